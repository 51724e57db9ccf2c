// Upgrade benchmarks: a file of 1e5 region rows in layout 203 upgraded to 331 (two steps), and
// one of 1e5 subset rows in layout 203 (25,000 sets of 4) upgraded to 405 (three steps), each
// against raw SQL doing the same column changes in the same binary: the same copy of the file
// (VACUUM INTO), then one INSERT ... SELECT per new table and per kind of new object, in one
// transaction. Rows per second count the rows of the class upgraded.
#include "BenchRatios.h"
#include "OldModel.h"

#include "dbc_Upgrade.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

constexpr int kRows = 100'000;

std::string benchFolder() {
    static const std::string folder = [] {
        const char* chosen = std::getenv("RGN_BENCH_TMP");
        const auto dir = std::filesystem::path(chosen ? chosen : std::filesystem::temp_directory_path()) /
                         ("rgn-upgrade-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        return dir.string();
    }();
    return folder;
}

void removeDb(const std::string& path) {
    for (const char* suffix : {"", "-journal", ".upgrading", ".upgrading-journal"})
        std::filesystem::remove(path + suffix);
}

// 1e5 regions (50,000 pairs over 100 sets) in layout 203.
const std::string& oldRegions() {
    static const std::string path = [] {
        OldModel::Start();
        const std::string p = benchFolder() + "/regions-203.rdb";
        removeDb(p);
        OldModel::Write(p, {{0x02540001, 203}}, 100, 1, kRows / 2, 0);
        return p;
    }();
    return path;
}

// 25,000 sets of 4 subsets, sets and subsets in layout 203.
const std::string& oldSubsets() {
    static const std::string path = [] {
        OldModel::Start();
        const std::string p = benchFolder() + "/subsets-203.rdb";
        removeDb(p);
        OldModel::Write(p, {{0x02540003, 203}, {0x02540004, 203}}, kRows / 4, 4, 0, 0);
        return p;
    }();
    return path;
}

void exec(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string what = error ? error : "sqlite error";
        sqlite3_free(error);
        throw std::runtime_error(what);
    }
}

// What the conversion does, by hand: copy, then the new table filled by one statement per kind.
void rawUpgrade(const std::string& old, const std::string& to, const std::string& work) {
    removeDb(to);
    sqlite3* db = nullptr;
    sqlite3_open_v2(old.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    exec(db, "VACUUM INTO '" + to + "'");
    sqlite3_close(db);
    sqlite3_open_v2(to.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    exec(db, "PRAGMA cache_size = -8000; BEGIN IMMEDIATE;" + work + "COMMIT;");
    sqlite3_close(db);
}

// Regions: an empty owner list each (new rows after the counter), then the 331 table with
// "_typeObsolete" "None", "_space" and "_setTypeBits" 0.
const char* kRegionSql =
    "CREATE TABLE r (oid INTEGER PRIMARY KEY, \"#uid\" INTEGER NOT NULL, name TEXT, "
    "  internal INTEGER, \"_ownerNames#OID\" INTEGER, \"_ownerNames#ClassID\" INTEGER, "
    "  _space INTEGER, _setTypeBits INTEGER, _typeObsolete TEXT, \"setData#OID\" INTEGER, "
    "  \"setData#ClassID\" INTEGER);"
    "INSERT INTO cls_strlist (oid, \"#uid\", texts) SELECT oid + (SELECT nextRow FROM "
    "  cls_counters), oid, x'' FROM rgnC_Region;"
    "INSERT INTO r SELECT oid, \"#uid\", name, internal, oid + (SELECT nextRow FROM cls_counters), "
    "  2293761, 0, 0, 'None', \"setData#OID\", \"setData#ClassID\" FROM rgnC_Region;"
    "DROP TABLE rgnC_Region; ALTER TABLE r RENAME TO rgnC_Region;";

// Subsets: an empty facet list each, the type of the set that lists them (found through an
// index on the entries' objects), no "numItems", "unsorted" false.
const char* kSubsetSql =
    "CREATE TABLE s (oid INTEGER PRIMARY KEY, \"#uid\" INTEGER NOT NULL, setIndex INTEGER, "
    "  subsetIndex INTEGER, \"idArray#OID\" INTEGER, \"idArray#ClassID\" INTEGER, "
    "  \"facetIdArray#OID\" INTEGER, \"facetIdArray#ClassID\" INTEGER, \"subsetType#OID\" INTEGER, "
    "  \"subsetType#ClassID\" INTEGER, unsorted INTEGER, meshIndex INTEGER, classIndex INTEGER, "
    "  constructionOk INTEGER);"
    "CREATE INDEX byElement ON cls_map (elemOid);"
    "INSERT INTO cls_intlist (oid, \"#uid\", count, ids) SELECT oid + (SELECT nextRow FROM "
    "  cls_counters), oid, 0, x'' FROM rgnC_SubsetData;"
    "INSERT INTO s SELECT d.oid, d.\"#uid\", d.setIndex, d.subsetIndex, d.\"idArray#OID\", "
    "  d.\"idArray#ClassID\", d.oid + (SELECT nextRow FROM cls_counters), 2293761, "
    "  t.\"setType#OID\", t.\"setType#ClassID\", 0, d.meshIndex, d.classIndex, d.constructionOk "
    "  FROM rgnC_SubsetData d LEFT JOIN cls_map m ON m.elemOid = d.oid "
    "  LEFT JOIN rgnC_SetData t ON t.\"subsetList#OID\" = m.oid;"
    "DROP TABLE rgnC_SubsetData; ALTER TABLE s RENAME TO rgnC_SubsetData; DROP INDEX byElement;";

template <class Upgrade>
void timeUpgrades(benchmark::State& state, const std::string& (*old)(), Upgrade upgrade) {
    const std::string to = benchFolder() + "/upgraded.rdb";
    try {
        old();
        for (auto _ : state) {
            state.PauseTiming();
            removeDb(to);
            state.ResumeTiming();
            upgrade(old(), to);
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(kRows) * state.iterations(),
                                                  benchmark::Counter::kIsRate);
}

const bool registered = [] {
    auto add = [](const char* name, void (*fn)(benchmark::State&)) {
        benchmark::RegisterBenchmark(name, fn)->Arg(kRows)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
    };
    add("Upgrade.Regions203/dbc", [](benchmark::State& s) {
        timeUpgrades(s, oldRegions, [](const std::string& o, const std::string& t) { dbc_Upgrade(o, t); });
    });
    add("Upgrade.Regions203/raw_sql", [](benchmark::State& s) {
        timeUpgrades(s, oldRegions,
                     [](const std::string& o, const std::string& t) { rawUpgrade(o, t, kRegionSql); });
    });
    add("Upgrade.Subsets203/dbc", [](benchmark::State& s) {
        timeUpgrades(s, oldSubsets, [](const std::string& o, const std::string& t) { dbc_Upgrade(o, t); });
    });
    add("Upgrade.Subsets203/raw_sql", [](benchmark::State& s) {
        timeUpgrades(s, oldSubsets,
                     [](const std::string& o, const std::string& t) { rawUpgrade(o, t, kSubsetSql); });
    });
    return true;
}();

const bool ratios[] = {
    rgnBenchRatio("Upgrade.Regions203", "dbc", "raw_sql"),
    rgnBenchRatio("Upgrade.Subsets203", "dbc", "raw_sql"),
};

} // namespace
