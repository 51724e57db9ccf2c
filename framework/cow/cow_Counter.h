// The cow_ library's allocator for reference counters and small block headers.
//
// Counters are allocated and freed constantly (every handle copy that un-shares, every
// new array block), so they come from size-classed free lists carved out of 64 KiB slabs:
// no general heap call per counter. Requests above the largest class go to the C heap.
//
//   int* count = static_cast<int*>(cow_Counter::operator new(sizeof(int)));
//   cow_Counter::operator delete(count);
#pragma once

#include <cstddef>

class cow_Counter {
public:
    static void* operator new(std::size_t size);
    static void operator delete(void* block) noexcept;

    // Blocks handed out and not yet returned: tests use it to prove nothing leaked.
    static long LiveCount();
};

void cow_initialize(int& count);
void cow_finalize(int& count);
