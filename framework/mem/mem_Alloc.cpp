#include "mem_Alloc.h"

#include "fwk_Lifecycle.h"

#include <cstdlib>
#include <new>

namespace {
constinit fwk_Lifecycle lifecycle("mem");
} // namespace

// A zero-byte request still yields a distinct block, and exhaustion is reported as the
// standard allocation failure rather than a null the callers do not test.
void* mem_Malloc(std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    return p;
}

void* mem_Realloc(void* block, std::size_t size) {
    void* p = std::realloc(block, size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    return p;
}

void mem_Free(void* block) { std::free(block); }

void mem_initialize(int&) { lifecycle.Enter(); }
void mem_finalize(int&) { lifecycle.Leave(); }
