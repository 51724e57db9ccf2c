// The copy-on-write tree against std::map and absl::btree_map: building from shuffled keys,
// random hits, an in-order walk, and the persistent case (copy a filled map, insert one key).
// The tree runs with plain int values and with the shared value handles the module stores.
#include "BenchRatios.h"
#include "cow_ArrayCOW.h"
#include "cow_BtreeIterator.h"
#include "cow_Virtual.h"

#include <absl/container/btree_map.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <vector>

namespace {

struct Payload {
    int v;
    Payload* Copy() const { return new Payload(*this); }
};
using PayloadHandle = cow_ArrayCOW<Payload, cow_Virtual<Payload>>;

// One interface over the four maps, so each benchmark is written once.
struct CowInt {
    using Map = cow_Btree<int, int>;
    static void insert(Map& m, int k) { m.InsertUnlessMember(k, k); }
    static int lookup(const Map& m, int k) { return m.ConstFind(k)->Value(); }
    static long walk(const Map& m) {
        long sum = 0;
        cow_BtreeIterator<int, int> it(m);
        for (it.First(); !it.IsDone(); it.Next())
            sum += it.Value();
        return sum;
    }
};

struct CowHandle {
    using Map = cow_Btree<int, PayloadHandle>;
    static void insert(Map& m, int k) { m.InsertUnlessMember(k, PayloadHandle(new Payload{k})); }
    static int lookup(const Map& m, int k) { return m.ConstFind(k)->Value()->v; }
    static long walk(const Map& m) {
        long sum = 0;
        cow_BtreeIterator<int, PayloadHandle> it(m);
        for (it.First(); !it.IsDone(); it.Next())
            sum += it.Value()->v;
        return sum;
    }
};

template <class M>
struct Std {
    using Map = M;
    static void insert(Map& m, int k) { m.emplace(k, k); }
    static int lookup(const Map& m, int k) { return m.find(k)->second; }
    static long walk(const Map& m) {
        long sum = 0;
        for (const auto& [k, v] : m)
            sum += v;
        return sum;
    }
};
using StdMap = Std<std::map<int, int>>;
using AbslMap = Std<absl::btree_map<int, int>>;

// Even keys 0, 2, ... in a fixed shuffled order; odd keys are free for inserting.
const std::vector<int>& shuffledKeys(int n) {
    static std::vector<int> keys;
    if (static_cast<int>(keys.size()) != n) {
        keys.resize(n);
        for (int i = 0; i < n; ++i)
            keys[i] = 2 * i;
        std::shuffle(keys.begin(), keys.end(), std::mt19937(12345));
    }
    return keys;
}

// The filled map of the last size asked for, kept across the repeated runs of one benchmark.
template <class A>
const typename A::Map& filled(int n) {
    static std::unique_ptr<typename A::Map> map;
    static int size = -1;
    if (size != n) {
        map.reset();
        map = std::make_unique<typename A::Map>();
        for (int k : shuffledKeys(n))
            A::insert(*map, k);
        size = n;
    }
    return *map;
}

template <class A>
void insertKeys(benchmark::State& state) {
    const std::vector<int>& keys = shuffledKeys(int(state.range(0)));
    for (auto _ : state) {
        auto m = std::make_unique<typename A::Map>();
        for (int k : keys)
            A::insert(*m, k);
        benchmark::DoNotOptimize(m.get());
        state.PauseTiming();
        m.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

template <class A>
void lookupHits(benchmark::State& state) {
    const int n = int(state.range(0));
    const auto& m = filled<A>(n);
    std::vector<int> probes(1 << 16);
    std::mt19937 rng(777);
    for (int& p : probes)
        p = 2 * int(rng() % unsigned(n));
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(A::lookup(m, probes[i]));
        i = (i + 1) & (probes.size() - 1);
    }
    state.SetItemsProcessed(state.iterations());
}

template <class A>
void walkInOrder(benchmark::State& state) {
    const auto& m = filled<A>(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(A::walk(m));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The copy, the insertion and the destruction of the copy, as one version of a persistent map
// costs: for the tree that is one path, for the others a full copy.
template <class A>
void copyThenInsertOne(benchmark::State& state) {
    const int n = int(state.range(0));
    const auto& m = filled<A>(n);
    std::mt19937 rng(4242);
    for (auto _ : state) {
        typename A::Map copy = m;
        A::insert(copy, 2 * int(rng() % unsigned(n)) + 1);
        benchmark::DoNotOptimize(&copy);
    }
}

template <class A>
void registerAll(const char* impl) {
    const std::pair<const char*, void (*)(benchmark::State&)> families[] = {
        {"Btree.Insert", insertKeys<A>},
        {"Btree.Lookup", lookupHits<A>},
        {"Btree.Walk", walkInOrder<A>},
        {"Btree.CopyInsert", copyThenInsertOne<A>},
    };
    for (const auto& [family, fn] : families)
        benchmark::RegisterBenchmark((std::string(family) + "/" + impl).c_str(), fn)
            ->Arg(1000)
            ->Arg(100000)
            ->Arg(1000000)
            ->Unit(benchmark::kMicrosecond);
}

const bool registered = [] {
    registerAll<CowInt>("cow_Btree");
    registerAll<CowHandle>("cow_Btree<ArrayCOW>");
    registerAll<StdMap>("std::map");
    registerAll<AbslMap>("absl::btree_map");
    for (const char* family : {"Btree.Insert", "Btree.Lookup", "Btree.Walk", "Btree.CopyInsert"}) {
        rgnBenchRatio(family, "cow_Btree", "std::map");
        rgnBenchRatio(family, "cow_Btree", "absl::btree_map");
        rgnBenchRatio(family, "cow_Btree<ArrayCOW>", "std::map");
    }
    return true;
}();

} // namespace
