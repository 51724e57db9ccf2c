// Id-to-position lookup of a subset against the standard and abseil hash maps.
#include "BenchRatios.h"
#include "rgnC_SubsetData.h"

#include <absl/container/flat_hash_map.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <unordered_map>
#include <vector>

namespace {

// n distinct ids spread over four times their count, in random order, as mesh ids of a set
// picked from a larger model tend to be; and probes that hit and probes that miss.
struct IdSample {
    std::vector<int> ids, hits, misses;
    explicit IdSample(int n) {
        std::mt19937 rng(1234);
        std::vector<int> all(4 * static_cast<std::size_t>(n));
        std::iota(all.begin(), all.end(), 0);
        std::shuffle(all.begin(), all.end(), rng);
        ids.assign(all.begin(), all.begin() + n);
        misses.assign(all.begin() + n, all.begin() + 2 * n);
        hits = ids;
        std::shuffle(hits.begin(), hits.end(), rng);
    }
};

const IdSample& sample(int n) {
    static std::unordered_map<int, IdSample> cache;
    auto it = cache.find(n);
    if (it == cache.end())
        it = cache.emplace(n, IdSample(n)).first;
    return it->second;
}

rgnC_SubsetData makeSubset(const std::vector<int>& ids) {
    cow_1DArrayList<int> list;
    for (int id : ids)
        list.Append(id);
    return rgnC_SubsetData(0, 0, 0, 0, res_SetTypeEnm::NODE_SET, true, list, {});
}

template <class Map>
Map buildMap(const std::vector<int>& ids) {
    Map m;
    m.reserve(ids.size());
    int position = 0;
    for (int id : ids)
        m.emplace(id, position++);
    return m;
}

// Build: the first lookup after a copy rebuilds the table from the ids.
void buildSubset(benchmark::State& state) {
    const IdSample& s = sample(static_cast<int>(state.range(0)));
    const rgnC_SubsetData subset = makeSubset(s.ids);
    for (auto _ : state) {
        rgnC_SubsetData fresh(subset);
        benchmark::DoNotOptimize(fresh.LookupIndex(s.ids[0]));
    }
}

template <class Map>
void buildMapBench(benchmark::State& state) {
    const IdSample& s = sample(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        Map m = buildMap<Map>(s.ids);
        benchmark::DoNotOptimize(m.find(s.ids[0]));
    }
}

template <bool Hit>
void lookupSubset(benchmark::State& state) {
    const IdSample& s = sample(static_cast<int>(state.range(0)));
    const rgnC_SubsetData subset = makeSubset(s.ids);
    subset.LookupIndex(0);
    const std::vector<int>& probes = Hit ? s.hits : s.misses;
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(subset.LookupIndex(probes[i]));
        if (++i == probes.size())
            i = 0;
    }
}

template <class Map, bool Hit>
void lookupMap(benchmark::State& state) {
    const IdSample& s = sample(static_cast<int>(state.range(0)));
    const Map m = buildMap<Map>(s.ids);
    const std::vector<int>& probes = Hit ? s.hits : s.misses;
    std::size_t i = 0;
    for (auto _ : state) {
        auto it = m.find(probes[i]);
        benchmark::DoNotOptimize(it == m.end() ? 0x7FFFFFFF : it->second);
        if (++i == probes.size())
            i = 0;
    }
}

using Absl = absl::flat_hash_map<int, int>;
using Std = std::unordered_map<int, int>;

const bool registered = [] {
    for (const char* family : {"SubsetLookup.Build", "SubsetLookup.Hit", "SubsetLookup.Miss"}) {
        rgnBenchRatio(family, "rgnC_SubsetData", "absl::flat_hash_map");
        rgnBenchRatio(family, "rgnC_SubsetData", "std::unordered_map");
    }
    auto sizes = [](benchmark::internal::Benchmark* b) { b->Arg(1000)->Arg(1000000); };
    sizes(benchmark::RegisterBenchmark("SubsetLookup.Build/rgnC_SubsetData", buildSubset));
    sizes(benchmark::RegisterBenchmark("SubsetLookup.Build/absl::flat_hash_map", buildMapBench<Absl>));
    sizes(benchmark::RegisterBenchmark("SubsetLookup.Build/std::unordered_map", buildMapBench<Std>));
    sizes(benchmark::RegisterBenchmark("SubsetLookup.Hit/rgnC_SubsetData", lookupSubset<true>));
    sizes(benchmark::RegisterBenchmark("SubsetLookup.Hit/absl::flat_hash_map", lookupMap<Absl, true>));
    sizes(benchmark::RegisterBenchmark("SubsetLookup.Hit/std::unordered_map", lookupMap<Std, true>));
    sizes(benchmark::RegisterBenchmark("SubsetLookup.Miss/rgnC_SubsetData", lookupSubset<false>));
    sizes(benchmark::RegisterBenchmark("SubsetLookup.Miss/absl::flat_hash_map", lookupMap<Absl, false>));
    sizes(benchmark::RegisterBenchmark("SubsetLookup.Miss/std::unordered_map", lookupMap<Std, false>));
    return true;
}();

} // namespace
