// Set data benchmarks: adding subsets without copying ids, storing sets against storing their
// bare ids, resolving paths to sets not yet loaded, and many small node sets against Exodus II.
//
// Files go to RGN_BENCH_TMP, else the temp folder (on this machine a real disk).
#include "BenchRatios.h"

#include "cls_MetadataRegistrar.h"
#include "ddr_Ddb.h"
#include "ddr_Root.h"
#include "omi_Singleton.h"
#include "rgnC_Module.h"
#include "rgnC_Paths.h"
#include "rgnC_SetDataListRoot.h"
#include "thr_ThreadSingleton.h"

#include <benchmark/benchmark.h>
#ifdef RGN_BENCH_HAVE_EXODUS
#include <exodusII.h>
#endif

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

void startModule() {
    static const bool started = [] {
        static int count = 0;
        rgnC_initialize(count);
        return true;
    }();
    (void)started;
}

std::string benchFile(const std::string& name) {
    static const std::filesystem::path dir = [] {
        const char* chosen = std::getenv("RGN_BENCH_TMP");
        auto d = std::filesystem::path(chosen ? chosen : std::filesystem::temp_directory_path()) /
                 ("rgn-sets-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    const std::string path = (dir / name).string();
    for (const char* suffix : {"", "-journal", "-wal"})
        std::filesystem::remove(path + suffix);
    return path;
}

// A list of n ids filled block by block, the layout a loaded list has.
cow_1DArrayList<int> idList(int n, int first = 1) {
    cow_1DArray<int> array(n);
    for (int k = 0; k < n; ++k)
        array.Get(k) = first + k * 3;
    return cow_1DArrayList<int>(array, n);
}

// ---- AddSubset shares the caller's ids ---------------------------------------------------

void addSubset(benchmark::State& state, int ids) {
    startModule();
    const cow_1DArrayList<int> list = idList(ids);
    for (auto _ : state) {
        rgnC_SetData set(1, cow_String("S"), res_SetTypeEnm::NODE_SET, false, false);
        set.AddSubset(0, 0, list, res_SetTypeEnm::NODE_SET, false, {});
        benchmark::DoNotOptimize(set.NumSubset());
    }
}

// ---- a set of 1e7 ids against the bare ids -----------------------------------------------

constexpr int kBigIds = 10'000'000;

void storeAndReloadSet(benchmark::State& state) {
    startModule();
    rgnC_SetData set(1, cow_String("BIG"), res_SetTypeEnm::NODE_SET, false, false);
    for (int k = 0; k < 4; ++k)
        set.AddSubset(k, 0, idList(kBigIds / 4, k * kBigIds), res_SetTypeEnm::NODE_SET, false, {});
    for (auto _ : state) {
        const std::string file = benchFile("set.db");
        {
            ddr_Ddb db(cow_String("b"), file, ddr_Ddb::Mode::Create);
            db.StoreRoot(cow_String("set"), set);
        }
        ddr_Ddb db(cow_String("b"), file, ddr_Ddb::Mode::ReadOnly);
        const auto back = db.LoadRoot<rgnC_SetData>(cow_String("set"));
        int total = 0;
        for (int k = 0; k < back.NumSubset(); ++k)
            total += back.SubSet(k).IdArray().Count();
        if (total != kBigIds)
            state.SkipWithError("the ids did not come back");
    }
}

void storeAndReloadIds(benchmark::State& state) {
    startModule();
    const cls_xp1DArrayListInt ids(idList(kBigIds));
    for (auto _ : state) {
        const std::string file = benchFile("ids.db");
        {
            ddr_Ddb db(cow_String("b"), file, ddr_Ddb::Mode::Create);
            db.StoreRoot(cow_String("ids"), ids);
        }
        ddr_Ddb db(cow_String("b"), file, ddr_Ddb::Mode::ReadOnly);
        if (db.LoadRoot<cls_xp1DArrayListInt>(cow_String("ids")).Count() != kBigIds)
            state.SkipWithError("the ids did not come back");
    }
}

// ---- many node sets ------------------------------------------------------------------------

rgnC_SetData nodeSet(int s, int ids) {
    rgnC_SetData set(s, cow_String("NSET-" + std::to_string(s)), res_SetTypeEnm::NODE_SET, false,
                     false);
    set.AddSubset(0, 0, idList(ids, s * ids + 1), static_cast<res_SetTypeEnm>(7), false, {});
    return set;
}

const rgnC_SetDataMap& manySets(int count, int ids) {
    static std::map<std::pair<int, int>, rgnC_SetDataMap> built;
    auto it = built.find({count, ids});
    if (it == built.end()) {
        rgnC_SetDataMap sets;
        for (int s = 0; s < count; ++s)
            sets.Insert(s, nodeSet(s, ids));
        it = built.emplace(std::pair{count, ids}, sets).first;
    }
    return it->second;
}

// A fresh in-memory copy (the stored map becomes stored-backed on its first write).
void storeManySets(benchmark::State& state) {
    startModule();
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        const std::string file = benchFile("many.db");
        rgnC_SetDataMap sets;
        for (int s = 0; s < count; ++s)
            sets.Insert(s, nodeSet(s, 100));
        state.ResumeTiming();
        ddr_Ddb db(cow_String("b"), file, ddr_Ddb::Mode::Create);
        db.StoreRoot(cow_String("sets"), sets);
    }
    state.counters["sets/s"] =
        benchmark::Counter(static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate);
}

#ifdef RGN_BENCH_HAVE_EXODUS
void storeManyExodus(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    std::vector<int> ids(100);
    for (auto _ : state) {
        const std::string file = benchFile("many.exo");
        int cpu = 4, io = 4;
        const int exo = ex_create(file.c_str(), EX_CLOBBER | EX_NETCDF4, &cpu, &io);
        if (exo < 0 || ex_put_init(exo, "sets", 3, 100 * count, 0, 0, count, 0) < 0) {
            state.SkipWithError("cannot create the Exodus II file");
            break;
        }
        for (int s = 0; s < count; ++s) {
            for (int i = 0; i < 100; ++i)
                ids[i] = s * 100 + 1 + i * 3;
            ex_put_set_param(exo, EX_NODE_SET, s + 1, 100, 0);
            ex_put_set(exo, EX_NODE_SET, s + 1, ids.data(), nullptr);
        }
        ex_close(exo);
        const int fd = ::open(file.c_str(), O_RDONLY);
        ::fsync(fd);
        ::close(fd);
    }
    state.counters["sets/s"] =
        benchmark::Counter(static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate);
}
#endif

// Opening the database of 26,000 sets and reading one set (with its subset), or all of them.
const std::string& manySetsFile() {
    static const std::string file = [] {
        startModule();
        const std::string f = benchFile("many-read.db");
        ddr_Ddb db(cow_String("b"), f, ddr_Ddb::Mode::Create);
        rgnC_SetDataMap sets = manySets(26000, 100);
        db.StoreRoot(cow_String("sets"), sets);
        return f;
    }();
    return file;
}

void readSets(benchmark::State& state, bool all) {
    const std::string& file = manySetsFile();
    for (auto _ : state) {
        ddr_Ddb db(cow_String("b"), file, ddr_Ddb::Mode::ReadOnly);
        const auto sets = db.LoadRoot<rgnC_SetDataMap>(cow_String("sets"));
        long ids = 0;
        for (int s = all ? 0 : 12345; s < (all ? sets.Count() : 12346); ++s)
            ids += sets.ConstGet(s).SubSet(0).IdArray().Count();
        benchmark::DoNotOptimize(ids);
    }
}

// ---- resolving a path to a set ---------------------------------------------------------

constexpr int kPathSets = 100'000;

void resolvePath(benchmark::State& state, bool loaded) {
    startModule();
    static const std::string file = [] {
        const std::string f = benchFile("paths.db");
        ddr_Ddb db(cow_String("paths"), f, ddr_Ddb::Mode::Create);
        rgnC_SetDataMap sets;
        for (int s = 0; s < kPathSets; ++s)
            sets.Insert(s, nodeSet(s, 4));
        db.StoreRoot(cow_String("sets"), sets);
        return f;
    }();
    ddr_Ddb db(cow_String("paths"), file, ddr_Ddb::Mode::ReadOnly);
    const rgnC_SetDataListPath list(new rgnC_SetDataListRoot(cow_String("paths"), cow_String("sets")));
    const rgnC_SetDataPath path(new rgnC_SetDataInList(54321, list));
    const ddr_DdbContainer& open = thr_ThreadSingleton<ddr_Root>::Instance().Fetch();
    const rgnC_SetDataMap& sets = db.RootObject<rgnC_SetDataMap>(cow_String("sets"));
    path.ImplPtr()->ConstGet(open);
    const long fetchesBefore = db.Database().Fetches();
    for (auto _ : state) {
        if (!loaded) {
            state.PauseTiming();
            sets.Release(54321); // back to "not loaded": the next resolution fetches it
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(path.ImplPtr()->ConstGet(open).NumSubset());
    }
    state.counters["fetches/resolution"] = benchmark::Counter(
        static_cast<double>(db.Database().Fetches() - fetchesBefore) /
        static_cast<double>(state.iterations()));
}

const bool registered = [] {
    rgnBenchRatio("Sets.AddSubset", "1e7 ids", "1e3 ids");
    benchmark::RegisterBenchmark("Sets.AddSubset/1e3 ids", addSubset, 1000)->Arg(0);
    benchmark::RegisterBenchmark("Sets.AddSubset/1e7 ids", addSubset, 10'000'000)->Arg(0);

    rgnBenchRatio("Sets.StoreReload1e7", "rgnC_SetData", "cls_xp1DArrayListInt");
    benchmark::RegisterBenchmark("Sets.StoreReload1e7/rgnC_SetData", storeAndReloadSet)
        ->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);
    benchmark::RegisterBenchmark("Sets.StoreReload1e7/cls_xp1DArrayListInt", storeAndReloadIds)
        ->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);

    rgnBenchRatio("Sets.ResolvePath", "set not loaded", "set loaded");
    benchmark::RegisterBenchmark("Sets.ResolvePath/set not loaded",
                                 [](benchmark::State& s) { resolvePath(s, false); })->Arg(0);
    benchmark::RegisterBenchmark("Sets.ResolvePath/set loaded",
                                 [](benchmark::State& s) { resolvePath(s, true); })->Arg(0);

    rgnBenchRatio("Sets.StoreMany", "rgnC_SetData map", "Exodus II node sets");
    benchmark::RegisterBenchmark("Sets.StoreMany/rgnC_SetData map", storeManySets)
        ->Arg(26000)->Unit(benchmark::kMillisecond)->Iterations(3);
#ifdef RGN_BENCH_HAVE_EXODUS
    benchmark::RegisterBenchmark("Sets.StoreMany/Exodus II node sets", storeManyExodus)
        ->Arg(26000)->Unit(benchmark::kMillisecond)->Iterations(3);
#endif

    rgnBenchRatio("Sets.OpenRead", "one set", "all sets");
    benchmark::RegisterBenchmark("Sets.OpenRead/one set", [](benchmark::State& s) { readSets(s, false); })
        ->Arg(26000)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Sets.OpenRead/all sets", [](benchmark::State& s) { readSets(s, true); })
        ->Arg(26000)->Unit(benchmark::kMillisecond)->Iterations(3);
    return true;
}();

} // namespace
