#include "cow_Counter.h"

#include "fwk_Lifecycle.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define RGN_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define RGN_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define RGN_POISON(p, n) ((void)(p), (void)(n))
#define RGN_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

// Every block starts with a header word naming its size class, so `operator delete` (which is
// given no size) returns it to the right free list. Class 3 marks a C-heap block.
constexpr std::size_t kHeader = 8;
constexpr std::size_t kClassPayload[] = {8, 16, 32};
constexpr int kClasses = 3;
constexpr int kHeapClass = kClasses;
constexpr std::size_t kSlabBytes = 64 * 1024;

struct FreeBlock {
    FreeBlock* next;
};

struct Slab {
    Slab* next;
};

struct Pool {
    FreeBlock* freeList[kClasses] = {};
    Slab* slabs = nullptr;
    long live = 0;
};

// Never destroyed: counters may still be released by other statics at exit, after any
// destructor of ours would have run. The slabs stay reachable, so leak checkers are quiet.
Pool& pool() {
    static Pool* p = new Pool;
    return *p;
}

int classFor(std::size_t size) {
    for (int c = 0; c < kClasses; ++c)
        if (size <= kClassPayload[c])
            return c;
    return kHeapClass;
}

// Slow path: carve a new slab into blocks of one class and thread them on its free list.
void refill(Pool& p, int c) {
    auto* raw = static_cast<char*>(std::malloc(kSlabBytes));
    if (!raw)
        throw std::bad_alloc();
    auto* slab = reinterpret_cast<Slab*>(raw);
    slab->next = p.slabs;
    p.slabs = slab;
    const std::size_t stride = kHeader + kClassPayload[c];
    for (std::size_t off = sizeof(Slab) + 8; off + stride <= kSlabBytes; off += stride) {
        auto* fb = reinterpret_cast<FreeBlock*>(raw + off);
        fb->next = p.freeList[c];
        p.freeList[c] = fb;
    }
    RGN_POISON(raw + sizeof(Slab), kSlabBytes - sizeof(Slab));
}

} // namespace

void* cow_Counter::operator new(std::size_t size) {
    Pool& p = pool();
    const int c = classFor(size);
    char* block;
    if (c == kHeapClass) {
        block = static_cast<char*>(std::malloc(kHeader + size));
        if (!block)
            throw std::bad_alloc();
    } else {
        if (!p.freeList[c])
            refill(p, c);
        FreeBlock* fb = p.freeList[c];
        RGN_UNPOISON(fb, kHeader + kClassPayload[c]);
        p.freeList[c] = fb->next;
        block = reinterpret_cast<char*>(fb);
    }
    *reinterpret_cast<std::uint64_t*>(block) = static_cast<std::uint64_t>(c);
    ++p.live;
    return block + kHeader;
}

void cow_Counter::operator delete(void* payload) noexcept {
    if (!payload)
        return;
    Pool& p = pool();
    char* block = static_cast<char*>(payload) - kHeader;
    const int c = static_cast<int>(*reinterpret_cast<std::uint64_t*>(block));
    --p.live;
    if (c == kHeapClass) {
        std::free(block);
        return;
    }
    auto* fb = reinterpret_cast<FreeBlock*>(block);
    fb->next = p.freeList[c];
    p.freeList[c] = fb;
    RGN_POISON(block, kHeader + kClassPayload[c]);
}

long cow_Counter::LiveCount() { return pool().live; }

namespace {
constinit fwk_Lifecycle lifecycle("cow");
} // namespace

void cow_initialize(int&) {
    if (lifecycle.Enter())
        pool(); // create the pool now rather than inside the first copy-on-write
}
void cow_finalize(int&) { lifecycle.Leave(); }
