// The cow_ library's allocator for reference counters and small block headers.
//
// Counters are allocated and freed constantly (every handle copy that un-shares, every
// new array block), so they come from size-classed free lists carved out of 64 KiB slabs:
// no general heap call per counter. Requests above the largest class go to the C heap.
// Each thread takes from a pool of its own, without locks; a block may be returned by any
// thread (objects move between threads through queues), and goes back to the pool it came from.
//
//   int* count = static_cast<int*>(cow_Counter::operator new(sizeof(int)));
//   cow_Counter::operator delete(count);
#pragma once

#include <cstddef>

class cow_Counter {
public:
    static void* operator new(std::size_t size);
    static void operator delete(void* block) noexcept;

    // Blocks handed out and not yet returned, in all threads: tests use it to prove nothing
    // leaked. Exact while no other thread is taking or returning blocks; takes a lock.
    static long LiveCount();
};

void cow_initialize(int& count);
void cow_finalize(int& count);
