// The blocked copy-on-write array and the value list against std::vector<int>: appending n
// ints, summing them, copying a filled container, and copying it then writing one element.
#include "BenchRatios.h"
#include "cow_1DArray.h"
#include "cow_1DArrayIter.h"
#include "cow_List.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

cow_1DArray<int> filledArray(int n) {
    cow_1DArray<int> a;
    for (int i = 0; i < n; ++i)
        a.Get(i) = i;
    return a;
}

cow_List<int> filledList(int n) {
    cow_List<int> l;
    for (int i = 0; i < n; ++i)
        l.Append(i);
    return l;
}

std::vector<int> filledVector(int n) {
    std::vector<int> v;
    for (int i = 0; i < n; ++i)
        v.push_back(i);
    return v;
}

// Sums through the iterator's runs: one pointer per block, a plain loop inside.
unsigned sumRuns(cow_1DArrayIter<int> it) {
    unsigned sum = 0; // unsigned: the sums wrap
    const int* p;
    for (int n; (n = it.NextRun(p)) > 0;)
        for (int k = 0; k < n; ++k)
            sum += unsigned(p[k]);
    return sum;
}

void appendArray(benchmark::State& state) {
    const int n = int(state.range(0));
    for (auto _ : state) {
        cow_1DArray<int> a = filledArray(n);
        benchmark::DoNotOptimize(&a.PartialArrayConstGet(n - 1));
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void appendList(benchmark::State& state) {
    const int n = int(state.range(0));
    for (auto _ : state) {
        cow_List<int> l = filledList(n);
        benchmark::DoNotOptimize(&l.ConstGet(n - 1));
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void appendVector(benchmark::State& state) {
    const int n = int(state.range(0));
    for (auto _ : state) {
        std::vector<int> v = filledVector(n);
        benchmark::DoNotOptimize(v.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void walkArray(benchmark::State& state) {
    const cow_1DArray<int> a = filledArray(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(sumRuns(cow_1DArrayIter<int>(a)));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Element by element through First/Next, for comparison with the run-wise walk.
void walkArrayByElement(benchmark::State& state) {
    const cow_1DArray<int> a = filledArray(int(state.range(0)));
    for (auto _ : state) {
        unsigned sum = 0;
        for (cow_1DArrayIter<int> it(a); it.More(); it.Next())
            sum += unsigned(it.Value());
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void walkList(benchmark::State& state) {
    const cow_List<int> l = filledList(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(sumRuns(cow_1DArrayIter<int>(l.Array(), l.Count())));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void walkVector(benchmark::State& state) {
    const std::vector<int> v = filledVector(int(state.range(0)));
    for (auto _ : state) {
        unsigned sum = 0;
        for (int x : v)
            sum += unsigned(x);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Copy alone: O(1) for the array, O(n) for the vector.
void copyArray(benchmark::State& state) {
    const cow_1DArray<int> a = filledArray(int(state.range(0)));
    for (auto _ : state) {
        cow_1DArray<int> b = a;
        benchmark::DoNotOptimize(&b);
    }
}

void copyVector(benchmark::State& state) {
    const std::vector<int> v = filledVector(int(state.range(0)));
    for (auto _ : state) {
        std::vector<int> b = v;
        benchmark::DoNotOptimize(b.data());
    }
}

// Copy, then write one element through the copy: the array copies its table (n / 16 block
// pointers) and one block, and adds a table reference to every block in use.
void copyWriteArray(benchmark::State& state) {
    const int n = int(state.range(0));
    const cow_1DArray<int> a = filledArray(n);
    for (auto _ : state) {
        cow_1DArray<int> b = a;
        b.Get(n / 2) = -1;
        benchmark::DoNotOptimize(&b.PartialArrayConstGet(n / 2));
    }
}

void copyWriteList(benchmark::State& state) {
    const int n = int(state.range(0));
    const cow_List<int> l = filledList(n);
    for (auto _ : state) {
        cow_List<int> b = l;
        b.Get(n / 2) = -1;
        benchmark::DoNotOptimize(&b.ConstGet(n / 2));
    }
}

void copyWriteVector(benchmark::State& state) {
    const int n = int(state.range(0));
    const std::vector<int> v = filledVector(n);
    for (auto _ : state) {
        std::vector<int> b = v;
        b[n / 2] = -1;
        benchmark::DoNotOptimize(b.data());
    }
}

const bool registered = [] {
    struct Entry {
        const char* name;
        void (*fn)(benchmark::State&);
    };
    const Entry entries[] = {
        {"Arrays.Append/cow_1DArray", appendArray},
        {"Arrays.Append/cow_List", appendList},
        {"Arrays.Append/std::vector", appendVector},
        {"Arrays.Walk/cow_1DArray", walkArray},
        {"Arrays.Walk/cow_1DArray.Next", walkArrayByElement},
        {"Arrays.Walk/cow_List", walkList},
        {"Arrays.Walk/std::vector", walkVector},
        {"Arrays.Copy/cow_1DArray", copyArray},
        {"Arrays.Copy/std::vector", copyVector},
        {"Arrays.CopyWriteOne/cow_1DArray", copyWriteArray},
        {"Arrays.CopyWriteOne/cow_List", copyWriteList},
        {"Arrays.CopyWriteOne/std::vector", copyWriteVector},
    };
    for (const Entry& e : entries)
        benchmark::RegisterBenchmark(e.name, e.fn)->Arg(1000)->Arg(100000)->Arg(1000000);
    for (const char* family : {"Arrays.Append", "Arrays.Walk", "Arrays.CopyWriteOne"}) {
        rgnBenchRatio(family, "cow_1DArray", "std::vector");
        rgnBenchRatio(family, "cow_List", "std::vector");
    }
    rgnBenchRatio("Arrays.Walk", "cow_1DArray.Next", "std::vector");
    rgnBenchRatio("Arrays.Copy", "cow_1DArray", "std::vector");
    return true;
}();

} // namespace
