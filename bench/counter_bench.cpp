// The counter allocator against the C heap: n counters taken and returned in one thread, in
// allocation order (what a container's teardown does), and n counters taken in one thread
// and returned in another (objects handed over between threads).
#include "BenchRatios.h"
#include "cow_Counter.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <thread>
#include <vector>

namespace {

template <class Alloc, class Free>
void churn(benchmark::State& state, Alloc alloc, Free release) {
    const int n = int(state.range(0));
    std::vector<void*> blocks(n);
    for (auto _ : state) {
        for (int i = 0; i < n; ++i)
            blocks[i] = alloc();
        benchmark::DoNotOptimize(blocks.data());
        for (int i = 0; i < n; ++i)
            release(blocks[i]);
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void churnCounter(benchmark::State& state) {
    churn(
        state, [] { return cow_Counter::operator new(sizeof(int)); },
        [](void* p) { cow_Counter::operator delete(p); });
}

void churnMalloc(benchmark::State& state) {
    churn(
        state, [] { return std::malloc(sizeof(int)); }, [](void* p) { std::free(p); });
}

// Taken here, returned by a second thread. Both sides also pay one thread start and join
// (tens of microseconds) per iteration.
template <class Alloc, class Free>
void handOver(benchmark::State& state, Alloc alloc, Free release) {
    const int n = int(state.range(0));
    std::vector<void*> blocks(n);
    for (auto _ : state) {
        for (int i = 0; i < n; ++i)
            blocks[i] = alloc();
        std::thread other([&] {
            for (int i = 0; i < n; ++i)
                release(blocks[i]);
        });
        other.join();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void handOverCounter(benchmark::State& state) {
    handOver(
        state, [] { return cow_Counter::operator new(sizeof(int)); },
        [](void* p) { cow_Counter::operator delete(p); });
}

void handOverMalloc(benchmark::State& state) {
    handOver(
        state, [] { return std::malloc(sizeof(int)); }, [](void* p) { std::free(p); });
}

const bool registered = [] {
    benchmark::RegisterBenchmark("Counter.Churn/cow_Counter", churnCounter)->Arg(1000)->Arg(100000);
    benchmark::RegisterBenchmark("Counter.Churn/malloc", churnMalloc)->Arg(1000)->Arg(100000);
    benchmark::RegisterBenchmark("Counter.HandOver/cow_Counter", handOverCounter)
        ->Arg(100000)
        ->UseRealTime();
    benchmark::RegisterBenchmark("Counter.HandOver/malloc", handOverMalloc)
        ->Arg(100000)
        ->UseRealTime();
    rgnBenchRatio("Counter.Churn", "cow_Counter", "malloc");
    rgnBenchRatio("Counter.HandOver", "cow_Counter", "malloc");
    return true;
}();

} // namespace
