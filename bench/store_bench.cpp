// Storage benchmarks of the model database, each against anchors measured in this binary.
//
// Store.IntList.*  ten million ids stored as one int list (new file, commit and close
//                  included) and read back (open, load, close), against a raw SQLite BLOB
//                  insert with default settings, fwrite + fsync / fread of the same bytes, and
//                  an Exodus II node set (netCDF-4) of the same ids.
// Store.Lever.*    the same list written and read with raw SQLite calls the way the framework
//                  does it (zeroblob, then incremental BLOB I/O run by run from the list's
//                  blocks), one storage setting changed at a time: what each lever is worth;
//                  and the commit of one changed entry under each journal mode.
// Store.Map        a stored map of 1e5 small objects: open and read one entry, open and read
//                  all (against a raw SELECT of the same rows), flush one changed entry (among
//                  1e4, 1e5 and 1e6), store the whole map (rows per second) against raw
//                  prepared INSERTs of the same rows.
//
// Files go to a folder on a real disk (RGN_BENCH_TMP, else the temp folder, unless that is a
// memory file system). Reads run with the file in the OS page cache (it was just written).
#include "BenchRatios.h"
#include "StoreBenchItem.h"

#include "cls_Codes.h"
#include "cls_Map2ObjDefs.h"
#include "cls_Map2ObjIter.h"
#include "cls_xp1DArrayListInt.h"
#include "cow_1DArrayIter.h"
#include "ddr_Ddb.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#ifdef RGN_BENCH_HAVE_EXODUS
#include <exodusII.h>
#endif

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kListIds = 10'000'000;
constexpr int kMapEntries = 100'000;

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what);
}

// ---- files --------------------------------------------------------------------------------

bool onMemoryFileSystem(const std::filesystem::path& dir) {
    struct statfs fs {};
    if (::statfs(dir.c_str(), &fs) != 0)
        return true; // unusable either way
    return fs.f_type == TMPFS_MAGIC || fs.f_type == RAMFS_MAGIC;
}

// The disk-backed folder the benchmark files go under: RGN_BENCH_TMP, else the temp folder,
// else /var/tmp, else the working folder, skipping memory file systems.
const std::filesystem::path& benchParent() {
    static const std::filesystem::path parent = [] {
        std::vector<std::filesystem::path> candidates;
        if (const char* chosen = std::getenv("RGN_BENCH_TMP"))
            candidates.emplace_back(chosen);
        candidates.push_back(std::filesystem::temp_directory_path());
        candidates.emplace_back("/var/tmp");
        candidates.push_back(std::filesystem::current_path());
        for (const auto& dir : candidates)
            if (!onMemoryFileSystem(dir))
                return dir;
        return std::filesystem::path();
    }();
    return parent;
}

// A fresh folder for the benchmark files, made when a storage benchmark first needs it (runs
// of other families leave nothing behind) and removed at exit.
class BenchFolder {
public:
    static const BenchFolder& Get() {
        static const BenchFolder folder;
        return folder;
    }
    std::string File(const char* name) const { return (path_ / name).string(); }

private:
    BenchFolder() {
        if (benchParent().empty())
            fail("no folder on a disk-backed file system for the benchmark files");
        std::string pattern = (benchParent() / "rgn-store-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            fail("cannot make a folder under " + benchParent().string());
        path_ = pattern;
    }
    ~BenchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    std::filesystem::path path_;
};

std::string benchFile(const char* name) {
    return BenchFolder::Get().File(name);
}

// Removes a file with SQLite's companions.
void removeFile(const std::string& path) {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        std::filesystem::remove(path + suffix);
}

void fsyncFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0 || ::fsync(fd) != 0)
        fail("cannot fsync " + path);
    ::close(fd);
}

// ---- the ids -------------------------------------------------------------------------------

// Ten million ids as a model's node ids might be: positive, unsorted, spread over 4e7.
const std::vector<int>& idVector() {
    static const std::vector<int> ids = [] {
        std::vector<int> v(kListIds);
        std::uint32_t x = 12345;
        for (int& id : v) {
            x = x * 1664525u + 1013904223u;
            id = 1 + static_cast<int>(x % 40'000'000u);
        }
        return v;
    }();
    return ids;
}

// The ids in a list sized up front: blocks of 2^20 ids, the layout a loaded list has.
const cow_1DArrayList<int>& sizedList() {
    static const cow_1DArrayList<int> list = [] {
        cow_1DArray<int> array(kListIds);
        array.SetFromArray(idVector().data(), kListIds);
        return cow_1DArrayList<int>(array, kListIds);
    }();
    return list;
}

// The ids appended one by one: a growing list keeps blocks of 16 ids.
const cow_1DArrayList<int>& appendedList() {
    static const cow_1DArrayList<int> list = [] {
        cow_1DArrayList<int> l;
        for (int id : idVector())
            l.Append(id);
        return l;
    }();
    return list;
}

bool sameIds(const cow_1DArrayList<int>& list) {
    const std::vector<int>& ids = idVector();
    if (list.Count() != static_cast<int>(ids.size()))
        return false;
    std::size_t at = 0;
    for (cow_1DArrayIter<int> it(list.Array(), list.Count()); it.More();) {
        const int n = it.RunLength();
        if (std::memcmp(it.RunData(), ids.data() + at, n * sizeof(int)) != 0)
            return false;
        at += n;
        it.Skip(n);
    }
    return true;
}

bool sameIds(const std::vector<int>& v) {
    return v == idVector();
}

// ---- raw SQLite ----------------------------------------------------------------------------

class RawDb {
public:
    RawDb(const std::string& path, int flags) {
        if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK)
            fail("cannot open " + path + ": " + sqlite3_errmsg(db_));
    }
    ~RawDb() { sqlite3_close_v2(db_); }
    RawDb(const RawDb&) = delete;
    RawDb& operator=(const RawDb&) = delete;

    sqlite3* Handle() const { return db_; }
    void Exec(const char* sql) const {
        char* error = nullptr;
        if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string message = error ? error : "unknown error";
            sqlite3_free(error);
            fail(std::string(sql) + ": " + message);
        }
    }
    sqlite3_stmt* Prepare(const char* sql) const {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &s, nullptr) != SQLITE_OK)
            fail(std::string(sql) + ": " + sqlite3_errmsg(db_));
        return s;
    }
    void Check(int rc, const char* what) const {
        if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
            fail(std::string(what) + ": " + sqlite3_errmsg(db_));
    }

private:
    sqlite3* db_ = nullptr;
};

constexpr int kCreate = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;

// ---- Store.IntList: the framework ----------------------------------------------------------

// The stored list as a root LoadRoot can build: the framework's list under the list type id.
class StoredIds : public cls_xp1DArrayListInt {
public:
    static std::uint32_t TypeId() { return cls_ListTypeId; }
    using cls_xp1DArrayListInt::cls_xp1DArrayListInt;
};

void writeIdsCls(const std::string& path, const cls_xp1DArrayListInt& list) {
    ddr_Ddb db(cow_String("store-bench"), path, ddr_Ddb::Mode::Create);
    db.StoreRoot(cow_String("ids"), list);
}

// Into a model database that exists already (empty): the store without the file's creation.
void writeIdsClsExisting(const std::string& path, const cls_xp1DArrayListInt& list) {
    ddr_Ddb db(cow_String("store-bench"), path, ddr_Ddb::Mode::ReadWrite);
    db.StoreRoot(cow_String("ids"), list);
}

void createEmptyModelDatabase(const std::string& path) {
    ddr_Ddb db(cow_String("store-bench"), path, ddr_Ddb::Mode::Create);
}

cow_1DArrayList<int> readIdsCls(const std::string& path) {
    ddr_Ddb db(cow_String("store-bench"), path, ddr_Ddb::Mode::ReadOnly);
    return db.LoadRoot<StoredIds>(cow_String("ids"));
}

// ---- Store.IntList: the anchors ------------------------------------------------------------

// Default settings, a new file, one transaction, one INSERT of the whole BLOB.
void writeIdsSqlite(const std::string& path, const std::vector<int>& ids) {
    RawDb db(path, kCreate);
    db.Exec("BEGIN; CREATE TABLE ids (oid INTEGER PRIMARY KEY, ids BLOB NOT NULL)");
    sqlite3_stmt* s = db.Prepare("INSERT INTO ids (oid, ids) VALUES (1, ?)");
    sqlite3_bind_blob64(s, 1, ids.data(), ids.size() * sizeof(int), SQLITE_STATIC);
    db.Check(sqlite3_step(s), "inserting the ids");
    sqlite3_finalize(s);
    db.Exec("COMMIT");
}

std::vector<int> readIdsSqlite(const std::string& path) {
    RawDb db(path, SQLITE_OPEN_READONLY);
    sqlite3_stmt* s = db.Prepare("SELECT ids FROM ids WHERE oid = 1");
    db.Check(sqlite3_step(s), "reading the ids");
    std::vector<int> ids(static_cast<std::size_t>(sqlite3_column_bytes(s, 0)) / sizeof(int));
    std::memcpy(ids.data(), sqlite3_column_blob(s, 0), ids.size() * sizeof(int));
    sqlite3_finalize(s);
    return ids;
}

void writeIdsFile(const std::string& path, const std::vector<int>& ids) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        fail("cannot create " + path);
    const bool ok = std::fwrite(ids.data(), sizeof(int), ids.size(), f) == ids.size() &&
                    std::fflush(f) == 0 && ::fsync(::fileno(f)) == 0;
    std::fclose(f);
    if (!ok)
        fail("cannot write " + path);
}

std::vector<int> readIdsFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        fail("cannot open " + path);
    struct stat st {};
    ::fstat(::fileno(f), &st);
    std::vector<int> ids(static_cast<std::size_t>(st.st_size) / sizeof(int));
    const bool ok = std::fread(ids.data(), sizeof(int), ids.size(), f) == ids.size();
    std::fclose(f);
    if (!ok)
        fail("cannot read " + path);
    return ids;
}

#ifdef RGN_BENCH_HAVE_EXODUS
// One node set in a netCDF-4 file with no nodes, elements or coordinates: only the set.
void writeIdsExodus(const std::string& path, const std::vector<int>& ids) {
    int computeWordSize = 8, ioWordSize = 8;
    const int exo = ex_create(path.c_str(), EX_CLOBBER | EX_NETCDF4, &computeWordSize, &ioWordSize);
    if (exo < 0)
        fail("ex_create failed for " + path);
    const bool ok =
        ex_put_init(exo, "ids", 3, 0, 0, 0, 1, 0) >= 0 &&
        ex_put_set_param(exo, EX_NODE_SET, 1, static_cast<int64_t>(ids.size()), 0) >= 0 &&
        ex_put_set(exo, EX_NODE_SET, 1, ids.data(), nullptr) >= 0;
    if (ex_close(exo) < 0 || !ok)
        fail("cannot write the node set to " + path);
    fsyncFile(path);
}

std::vector<int> readIdsExodus(const std::string& path) {
    int computeWordSize = 8, ioWordSize = 0;
    float version = 0;
    const int exo = ex_open(path.c_str(), EX_READ, &computeWordSize, &ioWordSize, &version);
    if (exo < 0)
        fail("ex_open failed for " + path);
    int entries = 0, factors = 0;
    std::vector<int> ids;
    bool ok = ex_get_set_param(exo, EX_NODE_SET, 1, &entries, &factors) >= 0;
    if (ok) {
        ids.resize(static_cast<std::size_t>(entries));
        ok = ex_get_set(exo, EX_NODE_SET, 1, ids.data(), nullptr) >= 0;
    }
    ex_close(exo);
    if (!ok)
        fail("cannot read the node set of " + path);
    return ids;
}
#endif

// ---- Store.Lever: the framework's way, one setting at a time -------------------------------

enum class Source {
    Blocks,     // sqlite3_blob_write per run of the sized list (runs of 2^20 ids)
    SmallRuns,  // sqlite3_blob_write per run of the appended list (runs of 16 ids)
    StagedRuns, // the appended list's runs gathered in a 1 MiB buffer, one write per buffer
    BindCopy,   // the list copied into one buffer and bound: no zeroblob, one more copy
};

struct WriteLever {
    int pageSize;
    const char* journal;
    bool spill; // false: PRAGMA cache_spill = OFF, the transaction's pages stay in memory
    Source source;
    int cacheKiB = 0; // 0: SQLite's default page cache (2000 KiB)
};

void writeRun(sqlite3_blob* blob, const void* data, int bytes, int offset, const RawDb& db) {
    db.Check(sqlite3_blob_write(blob, data, bytes, offset), "writing the BLOB");
}

void writeIdsLever(const std::string& path, const WriteLever& lever) {
    RawDb db(path, kCreate);
    const std::string pragmas =
        "PRAGMA page_size = " + std::to_string(lever.pageSize) +
        "; PRAGMA journal_mode = " + lever.journal +
        (lever.spill ? "" : "; PRAGMA cache_spill = OFF") +
        (lever.cacheKiB ? "; PRAGMA cache_size = -" + std::to_string(lever.cacheKiB)
                        : std::string());
    db.Exec(pragmas.c_str());
    db.Exec(
        "BEGIN IMMEDIATE; CREATE TABLE cls_intlist (oid INTEGER PRIMARY KEY, ids BLOB NOT NULL)");
    const cow_1DArrayList<int>& list =
        lever.source == Source::Blocks ? sizedList() : appendedList();
    const int bytes = list.Count() * 4;
    if (lever.source == Source::BindCopy) {
        std::vector<int> copy(static_cast<std::size_t>(list.Count()));
        std::size_t at = 0;
        for (cow_1DArrayIter<int> it(list.Array(), list.Count()); it.More();) {
            const int n = it.RunLength();
            std::memcpy(copy.data() + at, it.RunData(), n * 4);
            at += n;
            it.Skip(n);
        }
        sqlite3_stmt* s = db.Prepare("INSERT INTO cls_intlist (oid, ids) VALUES (1, ?)");
        sqlite3_bind_blob(s, 1, copy.data(), bytes, SQLITE_STATIC);
        db.Check(sqlite3_step(s), "inserting the ids");
        sqlite3_finalize(s);
    } else {
        sqlite3_stmt* s = db.Prepare("INSERT INTO cls_intlist (oid, ids) VALUES (1, zeroblob(?))");
        sqlite3_bind_int(s, 1, bytes);
        db.Check(sqlite3_step(s), "inserting the zeroblob");
        sqlite3_finalize(s);
        sqlite3_blob* blob = nullptr;
        db.Check(sqlite3_blob_open(db.Handle(), "main", "cls_intlist", "ids", 1, 1, &blob),
                 "opening the BLOB");
        std::vector<char> stage(lever.source == Source::StagedRuns ? 1 << 20 : 0);
        int offset = 0, staged = 0;
        for (cow_1DArrayIter<int> it(list.Array(), list.Count()); it.More();) {
            const int n = it.RunLength();
            if (lever.source != Source::StagedRuns) {
                writeRun(blob, it.RunData(), n * 4, offset, db);
                offset += n * 4;
            } else {
                if (staged + n * 4 > static_cast<int>(stage.size())) {
                    writeRun(blob, stage.data(), staged, offset, db);
                    offset += staged;
                    staged = 0;
                }
                std::memcpy(stage.data() + staged, it.RunData(), n * 4);
                staged += n * 4;
            }
            it.Skip(n);
        }
        if (staged > 0)
            writeRun(blob, stage.data(), staged, offset, db);
        sqlite3_blob_close(blob);
    }
    db.Exec("COMMIT");
}

// Reads the BLOB into the blocks of a sized list, as the framework does.
cow_1DArrayList<int> readIdsLever(const std::string& path, bool mmap) {
    RawDb db(path, SQLITE_OPEN_READONLY);
    if (mmap)
        db.Exec("PRAGMA mmap_size = 1073741824");
    sqlite3_blob* blob = nullptr;
    db.Check(sqlite3_blob_open(db.Handle(), "main", "cls_intlist", "ids", 1, 0, &blob),
             "opening the BLOB");
    const int n = sqlite3_blob_bytes(blob) / 4;
    cow_1DArray<int> array(n);
    for (int k = 0; k < n;) {
        int* block = &array.Get(k);
        const int chunk =
            std::min(array.BlockSize() - ((array.Start() + k) & (array.BlockSize() - 1)), n - k);
        db.Check(sqlite3_blob_read(blob, block, chunk * 4, k * 4), "reading the BLOB");
        k += chunk;
    }
    sqlite3_blob_close(blob);
    return cow_1DArrayList<int>(array, n);
}

// A commit of one changed entry (its object row and its map row) in a file of 1e5 entries,
// as a stored map's Flush makes it, under one journal mode: what a small commit costs.
void smallCommits(benchmark::State& state, const char* journal) {
    const std::string path = benchFile("lever-commit.db");
    try {
        removeFile(path);
        RawDb db(path, kCreate);
        db.Exec(
            ("PRAGMA page_size = 65536; PRAGMA journal_mode = " + std::string(journal)).c_str());
        db.Exec("BEGIN; CREATE TABLE item (oid INTEGER PRIMARY KEY, number INTEGER, label TEXT);"
                "CREATE TABLE entry (oid INTEGER NOT NULL, key INTEGER NOT NULL, elemOid INTEGER, "
                "  PRIMARY KEY (oid, key)) WITHOUT ROWID");
        sqlite3_stmt* fill = db.Prepare("INSERT INTO item VALUES (?, ?, 'item')");
        sqlite3_stmt* fillEntry = db.Prepare("INSERT INTO entry VALUES (1, ?, ?)");
        for (int i = 1; i <= kMapEntries; ++i) {
            sqlite3_bind_int(fill, 1, i);
            sqlite3_bind_int(fill, 2, i);
            db.Check(sqlite3_step(fill), "filling");
            sqlite3_reset(fill);
            sqlite3_bind_int(fillEntry, 1, i);
            sqlite3_bind_int(fillEntry, 2, i);
            db.Check(sqlite3_step(fillEntry), "filling");
            sqlite3_reset(fillEntry);
        }
        sqlite3_finalize(fill);
        sqlite3_finalize(fillEntry);
        db.Exec("COMMIT");
        sqlite3_stmt* change = db.Prepare("INSERT OR REPLACE INTO item VALUES (?, ?, 'changed')");
        sqlite3_stmt* place = db.Prepare("INSERT OR REPLACE INTO entry VALUES (1, ?, ?)");
        int i = 0;
        for (auto _ : state) {
            i = (i + 7919) % kMapEntries + 1;
            db.Exec("BEGIN IMMEDIATE");
            sqlite3_bind_int(change, 1, i);
            sqlite3_bind_int(change, 2, -i);
            db.Check(sqlite3_step(change), "changing a row");
            sqlite3_reset(change);
            sqlite3_bind_int(place, 1, i);
            sqlite3_bind_int(place, 2, i);
            db.Check(sqlite3_step(place), "placing an entry");
            sqlite3_reset(place);
            db.Exec("COMMIT");
        }
        sqlite3_finalize(change);
        sqlite3_finalize(place);
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

// ---- benchmark bodies ----------------------------------------------------------------------

// Runs `write` once per iteration into a new file (the old one removed untimed, and `prepare`
// run on the path untimed).
template <class Write, class Prepare>
void timeWrites(benchmark::State& state, const char* name, Write write, Prepare prepare) {
    const std::string path = benchFile(name);
    try {
        for (auto _ : state) {
            state.PauseTiming();
            removeFile(path);
            prepare(path);
            state.ResumeTiming();
            write(path);
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t{kListIds} * 4);
}

template <class Write>
void timeWrites(benchmark::State& state, const char* name, Write write) {
    timeWrites(state, name, write, [](const std::string&) {});
}

// Writes the file once with `write`, checks that `read` gives the ids back, then times `read`.
template <class Write, class Read>
void timeReads(benchmark::State& state, const char* name, Write write, Read read) {
    const std::string path = benchFile(name);
    try {
        removeFile(path);
        write(path);
        if (!sameIds(read(path))) {
            state.SkipWithError("the ids read back differ from those written");
            return;
        }
        for (auto _ : state) {
            auto ids = read(path);
            benchmark::DoNotOptimize(ids);
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t{kListIds} * 4);
}

void registerIntListBenchmarks() {
    auto add = [](const char* family, const char* impl, auto fn) {
        benchmark::RegisterBenchmark((std::string(family) + "/" + impl).c_str(), fn)
            ->Arg(kListIds)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(2.0);
    };
    add("Store.IntList.Write", "cls", [](benchmark::State& s) {
        const cls_xp1DArrayListInt list(sizedList());
        timeWrites(s, "w-cls.rdb", [&](const std::string& p) { writeIdsCls(p, list); });
    });
    add("Store.IntList.Write", "cls_appended", [](benchmark::State& s) {
        const cls_xp1DArrayListInt list(appendedList());
        timeWrites(s, "w-cls-appended.rdb", [&](const std::string& p) { writeIdsCls(p, list); });
    });
    add("Store.IntList.Write", "cls_existing_file", [](benchmark::State& s) {
        const cls_xp1DArrayListInt list(sizedList());
        timeWrites(
            s, "w-cls-existing.rdb", [&](const std::string& p) { writeIdsClsExisting(p, list); },
            createEmptyModelDatabase);
    });
    add("Store.IntList.Write", "sqlite_blob", [](benchmark::State& s) {
        timeWrites(s, "w-sqlite.db", [](const std::string& p) { writeIdsSqlite(p, idVector()); });
    });
    add("Store.IntList.Write", "fwrite_fsync", [](benchmark::State& s) {
        timeWrites(s, "w-ids.bin", [](const std::string& p) { writeIdsFile(p, idVector()); });
    });
    add("Store.IntList.Read", "cls", [](benchmark::State& s) {
        const cls_xp1DArrayListInt list(sizedList());
        timeReads(
            s, "r-cls.rdb", [&](const std::string& p) { writeIdsCls(p, list); }, readIdsCls);
    });
    add("Store.IntList.Read", "sqlite_blob", [](benchmark::State& s) {
        timeReads(
            s, "r-sqlite.db", [](const std::string& p) { writeIdsSqlite(p, idVector()); },
            readIdsSqlite);
    });
    add("Store.IntList.Read", "fread", [](benchmark::State& s) {
        timeReads(
            s, "r-ids.bin", [](const std::string& p) { writeIdsFile(p, idVector()); }, readIdsFile);
    });
#ifdef RGN_BENCH_HAVE_EXODUS
    add("Store.IntList.Write", "exodus", [](benchmark::State& s) {
        timeWrites(s, "w-ids.exo", [](const std::string& p) { writeIdsExodus(p, idVector()); });
    });
    add("Store.IntList.Read", "exodus", [](benchmark::State& s) {
        timeReads(
            s, "r-ids.exo", [](const std::string& p) { writeIdsExodus(p, idVector()); },
            readIdsExodus);
    });
#endif

    struct NamedWriteLever {
        const char* name;
        WriteLever lever;
    };
    static const NamedWriteLever writeLevers[] = {
        {"p4k_delete", {4096, "DELETE", true, Source::Blocks}},
        {"p64k_delete", {65536, "DELETE", true, Source::Blocks}},
        // The cache a connection that created its file had before its size was set again:
        // 500 pages of 64 KiB.
        {"p64k_delete_cache31m", {65536, "DELETE", true, Source::Blocks, 500 * 64}},
        {"p64k_delete_nospill", {65536, "DELETE", false, Source::Blocks}},
        {"p64k_truncate_nospill", {65536, "TRUNCATE", false, Source::Blocks}},
        {"p64k_persist_nospill", {65536, "PERSIST", false, Source::Blocks}},
        {"p64k_wal_nospill", {65536, "WAL", false, Source::Blocks}},
        {"p64k_delete_nospill_bind", {65536, "DELETE", false, Source::BindCopy}},
        {"p64k_delete_nospill_runs16", {65536, "DELETE", false, Source::SmallRuns}},
        {"p64k_delete_nospill_staged", {65536, "DELETE", false, Source::StagedRuns}},
    };
    for (const NamedWriteLever& w : writeLevers) {
        add("Store.Lever.Write", w.name, [&w](benchmark::State& s) {
            timeWrites(s, "lever-w.db", [&w](const std::string& p) { writeIdsLever(p, w.lever); });
        });
    }
    for (const char* journal : {"DELETE", "TRUNCATE", "PERSIST", "WAL"}) {
        const std::string name = std::string("p64k_") + journal;
        benchmark::RegisterBenchmark(("Store.Lever.Commit/" + name).c_str(),
                                     [journal](benchmark::State& s) { smallCommits(s, journal); })
            ->Arg(kMapEntries)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(2.0);
    }
    for (const int pageSize : {4096, 65536}) {
        for (const bool mmap : {false, true}) {
            const std::string name =
                std::string(pageSize == 4096 ? "p4k" : "p64k") + (mmap ? "_mmap" : "_nommap");
            add("Store.Lever.Read", name.c_str(), [pageSize, mmap](benchmark::State& s) {
                const WriteLever lever{pageSize, "DELETE", false, Source::Blocks};
                timeReads(
                    s, "lever-r.db", [&](const std::string& p) { writeIdsLever(p, lever); },
                    [mmap](const std::string& p) { return readIdsLever(p, mmap); });
            });
        }
    }
}

// ---- Store.Map -----------------------------------------------------------------------------

using ItemValue = cow_ArrayCOW<StoreBenchItem, cow_Virtual<StoreBenchItem>>;
using ItemMap = cls_Map2Obj<int, StoreBenchItem, ItemValue>;

int mapKey(int i) {
    return 3 * i + 1;
}

StoreBenchItem makeItem(int i) {
    return StoreBenchItem(i, cow_String("item " + std::to_string(i)), i % 2 == 0, i % 17);
}

// A map of n items in memory.
ItemMap mapOf(int n) {
    StoreBenchItem::Register();
    ItemMap m;
    for (int i = 0; i < n; ++i)
        m.Insert(mapKey(i), makeItem(i));
    return m;
}

// The map in memory; every store works on a copy (O(1), shares the entries).
const ItemMap& prototypeMap() {
    static const ItemMap map = mapOf(kMapEntries);
    return map;
}

// Stores a copy of the map as root "items" of a new file, closing it; answers the rows
// written. Freeing the map's 1e5 objects afterwards is left out of the time.
long writeMapCls(const std::string& path, benchmark::State* state) {
    auto map = std::make_unique<ItemMap>(prototypeMap());
    auto db = std::make_unique<ddr_Ddb>(cow_String("store-bench"), path, ddr_Ddb::Mode::Create);
    const long before = db->Database().RowsWritten();
    db->StoreRoot(cow_String("items"), *map);
    const long rows = db->Database().RowsWritten() - before;
    if (state)
        state->PauseTiming();
    map.reset();
    if (state)
        state->ResumeTiming();
    db.reset();
    return rows;
}

// The same rows by hand: the class table with the same columns and the entry table, default
// settings, one transaction, one prepared INSERT per row.
struct PlainItem {
    std::int64_t oid;
    int key, number, group;
    std::string label;
    bool flag;
};

const std::vector<PlainItem>& plainItems() {
    static const std::vector<PlainItem> items = [] {
        std::vector<PlainItem> v;
        v.reserve(kMapEntries);
        for (int i = 0; i < kMapEntries; ++i) {
            const StoreBenchItem item = makeItem(i);
            v.push_back({static_cast<std::int64_t>(item.uid.Value()), mapKey(i), item.number,
                         item.group, item.label.str(), item.flag});
        }
        return v;
    }();
    return items;
}

long writeMapSqlite(const std::string& path) {
    const std::vector<PlainItem>& items = plainItems();
    RawDb db(path, kCreate);
    db.Exec("BEGIN;"
            "CREATE TABLE \"StoreBenchItem\" (oid INTEGER PRIMARY KEY, \"number\" INTEGER, "
            "  \"label\" TEXT, \"flag\" INTEGER, \"group\" INTEGER);"
            "CREATE TABLE cls_map (oid INTEGER NOT NULL, key INTEGER NOT NULL, "
            "  elemOid INTEGER NOT NULL, elemClassId INTEGER NOT NULL, PRIMARY KEY (oid, key)) "
            "  WITHOUT ROWID");
    sqlite3_stmt* row = db.Prepare("INSERT INTO \"StoreBenchItem\" (oid, \"number\", \"label\", "
                                   "\"flag\", \"group\") VALUES (?, ?, ?, ?, ?)");
    sqlite3_stmt* entry =
        db.Prepare("INSERT INTO cls_map (oid, key, elemOid, elemClassId) VALUES (?, ?, ?, ?)");
    for (const PlainItem& item : items) {
        sqlite3_bind_int64(row, 1, item.oid);
        sqlite3_bind_int(row, 2, item.number);
        sqlite3_bind_text(row, 3, item.label.data(), static_cast<int>(item.label.size()),
                          SQLITE_STATIC);
        sqlite3_bind_int(row, 4, item.flag ? 1 : 0);
        sqlite3_bind_int(row, 5, item.group);
        db.Check(sqlite3_step(row), "inserting an item");
        sqlite3_reset(row);
        sqlite3_bind_int64(entry, 1, 1);
        sqlite3_bind_int(entry, 2, item.key);
        sqlite3_bind_int64(entry, 3, item.oid);
        sqlite3_bind_int64(entry, 4, StoreBenchItem::TypeId());
        db.Check(sqlite3_step(entry), "inserting an entry");
        sqlite3_reset(entry);
    }
    sqlite3_finalize(row);
    sqlite3_finalize(entry);
    db.Exec("COMMIT");
    return 2L * static_cast<long>(items.size());
}

// The file that the reading and flushing benchmarks open, written once.
const std::string& storedMapFile() {
    static const std::string path = [] {
        const std::string p = benchFile("map.rdb");
        removeFile(p);
        writeMapCls(p, nullptr);
        return p;
    }();
    return path;
}

void mapWriteAll(benchmark::State& state) {
    const std::string path = benchFile("map-w.rdb");
    prototypeMap();
    long rows = 0;
    try {
        for (auto _ : state) {
            state.PauseTiming();
            removeFile(path);
            state.ResumeTiming();
            rows += writeMapCls(path, &state);
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    state.counters["rows"] = static_cast<double>(rows) / static_cast<double>(state.iterations());
    state.counters["rows/s"] =
        benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
}

void mapWriteSqlite(benchmark::State& state) {
    const std::string path = benchFile("map-sqlite.db");
    plainItems();
    long rows = 0;
    try {
        for (auto _ : state) {
            state.PauseTiming();
            removeFile(path);
            state.ResumeTiming();
            rows += writeMapSqlite(path);
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    state.counters["rows"] = static_cast<double>(rows) / static_cast<double>(state.iterations());
    state.counters["rows/s"] =
        benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
}

// Open the file, read the keys (LoadRoot), fetch one entry, close.
void mapOpenReadOne(benchmark::State& state) {
    const std::string& path = storedMapFile();
    const int key = mapKey(kMapEntries / 2);
    try {
        for (auto _ : state) {
            ddr_Ddb db(cow_String("store-bench"), path, ddr_Ddb::Mode::ReadOnly);
            const ItemMap map = db.LoadRoot<ItemMap>(cow_String("items"));
            const int number = map.ConstGet(key).number;
            benchmark::DoNotOptimize(number);
            if (map.Count() != kMapEntries || number != kMapEntries / 2 ||
                db.Database().Fetches() != 1) {
                const std::string what = "the map read back differs from the one stored (" +
                                         std::to_string(map.Count()) + " entries, number " +
                                         std::to_string(number) + ", " +
                                         std::to_string(db.Database().Fetches()) + " fetches)";
                state.SkipWithError(what.c_str());
                return;
            }
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

// Open the file, read the keys, fetch every entry in key order, close.
void mapOpenReadAll(benchmark::State& state) {
    const std::string& path = storedMapFile();
    try {
        for (auto _ : state) {
            ddr_Ddb db(cow_String("store-bench"), path, ddr_Ddb::Mode::ReadOnly);
            const ItemMap map = db.LoadRoot<ItemMap>(cow_String("items"));
            long sum = 0;
            cls_Map2ObjIter<int, StoreBenchItem, ItemValue> it(map);
            for (it.First(); !it.IsDone(); it.Next())
                sum += it.CurrentValue().number;
            benchmark::DoNotOptimize(sum);
            if (sum != static_cast<long>(kMapEntries) * (kMapEntries - 1) / 2 ||
                db.Database().Fetches() != kMapEntries) {
                state.SkipWithError("the map read back differs from the one stored");
                return;
            }
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

// The same rows read back by hand: every entry row of the map and every item row, each column
// read, in key order.
void mapSelectSqlite(benchmark::State& state) {
    const std::string& path = storedMapFile();
    try {
        for (auto _ : state) {
            RawDb db(path, SQLITE_OPEN_READONLY);
            sqlite3_stmt* entries = db.Prepare("SELECT key, elemOid, elemClassId FROM cls_map");
            long keys = 0;
            while (sqlite3_step(entries) == SQLITE_ROW)
                keys += sqlite3_column_int(entries, 0) + sqlite3_column_int64(entries, 1) +
                        sqlite3_column_int(entries, 2);
            sqlite3_finalize(entries);
            sqlite3_stmt* items = db.Prepare(
                "SELECT oid, \"#uid\", \"number\", \"label\", \"flag\", \"group\" FROM \"StoreBenchItem\"");
            long sum = 0, rows = 0;
            while (sqlite3_step(items) == SQLITE_ROW) {
                sum += sqlite3_column_int(items, 2) + sqlite3_column_int(items, 4) +
                       sqlite3_column_int(items, 5) + sqlite3_column_bytes(items, 3) +
                       sqlite3_column_int64(items, 0) + sqlite3_column_int64(items, 1);
                ++rows;
            }
            sqlite3_finalize(items);
            benchmark::DoNotOptimize(keys);
            benchmark::DoNotOptimize(sum);
            if (rows != kMapEntries) {
                state.SkipWithError("the raw reading found another number of rows");
                return;
            }
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

// A stored map of n entries opened for writing: change one entry (untimed, the entry is fetched
// then), then time the Flush that writes it back in its own transaction. Flat in n: a flush
// costs its changes, not the map.
void mapFlushOne(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::string path = benchFile("map-flush.rdb");
    long rows = 0;
    try {
        removeFile(path);
        {
            ddr_Ddb db(cow_String("store-bench"), path, ddr_Ddb::Mode::Create);
            db.StoreRoot(cow_String("items"), mapOf(n));
        }
        ddr_Ddb db(cow_String("store-bench"), path, ddr_Ddb::Mode::ReadWrite);
        ItemMap map = db.LoadRoot<ItemMap>(cow_String("items"));
        int i = 0;
        for (auto _ : state) {
            state.PauseTiming();
            i = (i + 7919) % n;
            map.Get(mapKey(i)).number += n;
            const long before = db.Database().RowsWritten();
            state.ResumeTiming();
            map.Flush();
            rows += db.Database().RowsWritten() - before;
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    state.counters["rows"] = static_cast<double>(rows) / static_cast<double>(state.iterations());
}

void registerMapBenchmarks() {
    // One minimum time for the family: it is part of the name the ratios pair up by.
    auto add = [](const char* impl, void (*fn)(benchmark::State&)) {
        benchmark::RegisterBenchmark((std::string("Store.Map/") + impl).c_str(), fn)
            ->Arg(kMapEntries)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(2.0);
    };
    add("write_all", mapWriteAll);
    add("sqlite_insert", mapWriteSqlite);
    add("open_read_one", mapOpenReadOne);
    add("open_read_all", mapOpenReadAll);
    add("sqlite_select", mapSelectSqlite);
    // The flush family has a size of its own: one change among 1e4, 1e5 and 1e6 entries.
    benchmark::RegisterBenchmark("Store.Map/flush_one", mapFlushOne)
        ->Arg(10'000)
        ->Arg(kMapEntries)
        ->Arg(1'000'000)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MinTime(2.0);
}

const bool registered = [] {
    benchmark::AddCustomContext("store_bench_folder", benchParent().string());
    registerIntListBenchmarks();
    registerMapBenchmarks();
    return true;
}();

const bool ratios[] = {
    rgnBenchRatio("Store.IntList.Write", "cls", "fwrite_fsync"),
    rgnBenchRatio("Store.IntList.Write", "cls", "exodus"),
    rgnBenchRatio("Store.IntList.Write", "cls", "sqlite_blob"),
    rgnBenchRatio("Store.IntList.Write", "cls_appended", "fwrite_fsync"),
    rgnBenchRatio("Store.IntList.Write", "cls_existing_file", "fwrite_fsync"),
    rgnBenchRatio("Store.IntList.Read", "cls", "exodus"),
    rgnBenchRatio("Store.IntList.Read", "cls", "fread"),
    rgnBenchRatio("Store.IntList.Read", "cls", "sqlite_blob"),
    rgnBenchRatio("Store.Lever.Write", "p4k_delete", "p64k_delete"),
    rgnBenchRatio("Store.Lever.Write", "p64k_delete_cache31m", "p64k_delete"),
    rgnBenchRatio("Store.Lever.Write", "p64k_delete_nospill", "p64k_delete"),
    rgnBenchRatio("Store.Lever.Write", "p64k_truncate_nospill", "p64k_delete_nospill"),
    rgnBenchRatio("Store.Lever.Write", "p64k_persist_nospill", "p64k_delete_nospill"),
    rgnBenchRatio("Store.Lever.Write", "p64k_wal_nospill", "p64k_delete_nospill"),
    rgnBenchRatio("Store.Lever.Write", "p64k_delete_nospill_bind", "p64k_delete_nospill"),
    rgnBenchRatio("Store.Lever.Write", "p64k_delete_nospill_runs16", "p64k_delete_nospill"),
    rgnBenchRatio("Store.Lever.Write", "p64k_delete_nospill_staged", "p64k_delete_nospill"),
    rgnBenchRatio("Store.Lever.Commit", "p64k_TRUNCATE", "p64k_DELETE"),
    rgnBenchRatio("Store.Lever.Commit", "p64k_PERSIST", "p64k_DELETE"),
    rgnBenchRatio("Store.Lever.Commit", "p64k_WAL", "p64k_DELETE"),
    rgnBenchRatio("Store.Lever.Read", "p64k_mmap", "p64k_nommap"),
    rgnBenchRatio("Store.Lever.Read", "p4k_mmap", "p4k_nommap"),
    rgnBenchRatio("Store.Lever.Read", "p64k_mmap", "p4k_mmap"),
    rgnBenchRatio("Store.Map", "open_read_one", "open_read_all"),
    rgnBenchRatio("Store.Map", "flush_one", "write_all"),
    rgnBenchRatio("Store.Map", "write_all", "sqlite_insert"),
    rgnBenchRatio("Store.Map", "open_read_all", "sqlite_select"),
};

} // namespace
