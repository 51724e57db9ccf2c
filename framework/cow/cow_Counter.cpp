#include "cow_Counter.h"

#include "fwk_Lifecycle.h"

#include <atomic>
#include <cassert>
#include <cstdint>
#include <cstdlib>
#include <mutex>
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

// Every block starts with a header word: the address of the pool that took it with its size
// class in the two low bits, so `operator delete` (which is given no size and may run in any
// thread) finds both. Class 3 marks a C-heap block (its pool only counts it). While a block is
// free the header word links it into a free list instead.
constexpr std::size_t kHeader = 8;
constexpr std::size_t kClassPayload[] = {8, 16, 32};
constexpr int kClasses = 3;
constexpr std::uintptr_t kHeapClass = kClasses;
constexpr std::uintptr_t kClassBits = 3;
constexpr std::size_t kSlabBytes = 64 * 1024;

struct FreeBlock {
    FreeBlock* next;
};

struct Slab {
    Slab* next;
};

// The blocks of one thread. Only the owning thread takes blocks from it or touches its local
// free lists, so the fast paths need no lock and no atomic read-modify-write. Another thread
// returns a block by pushing it on the pool's remote list of its class; the owner takes a whole
// remote list in one exchange when its local list of that class runs dry.
//
// A pool outlives its thread: blocks it carved may still be alive in objects handed to other
// threads. When its thread ends, the pool goes idle and the next new thread adopts it, free
// lists and all, so threads that come and go do not grow the memory.
struct alignas(64) Pool {
    FreeBlock* freeList[kClasses] = {};
    Slab* slabs = nullptr;
    // Blocks this pool's thread took, minus the blocks it returned (to any pool); written by
    // the owner only. Summed over all pools it is the number of blocks alive.
    std::atomic<long> ownLive{0};
    Pool* nextPool = nullptr; // every pool ever made, for LiveCount
    Pool* nextIdle = nullptr;

    alignas(64) std::atomic<FreeBlock*> remote[kClasses] = {};
};
static_assert(alignof(Pool) > kClassBits, "the class bits of a header share the pool address");

// Pools are never destroyed (a counter may be released by another static at exit, after any
// destructor of ours); the registry keeps them reachable, so leak checkers stay quiet.
struct Registry {
    std::mutex mutex;
    Pool* all = nullptr;
    Pool* idle = nullptr;
};

Registry& registry() {
    static Registry* r = new Registry;
    return *r;
}

// Blocks taken minus blocks returned by threads that have no pool (exiting ones).
std::atomic<long> poolless{0};

// The calling thread's pool: read on every allocation and free, so it is a plain pointer in
// the static TLS block (no lookup call). Null before the thread's first counter and again once
// the thread has begun to exit.
__attribute__((tls_model("initial-exec"))) thread_local Pool* tlsPool = nullptr;
__attribute__((tls_model("initial-exec"))) thread_local bool tlsExiting = false;

// Hands the thread's pool back when the thread exits.
struct PoolRelease {
    Pool* pool;
    ~PoolRelease() {
        tlsPool = nullptr;
        tlsExiting = true; // counters taken from here on come from the C heap
        Registry& r = registry();
        std::lock_guard<std::mutex> lock(r.mutex);
        pool->nextIdle = r.idle;
        r.idle = pool;
    }
};

// Slow path: the thread's first counter. Returns null while the thread is exiting.
Pool* adoptPool() {
    if (tlsExiting)
        return nullptr;
    Registry& r = registry();
    Pool* p;
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        if (r.idle) {
            p = r.idle;
            r.idle = p->nextIdle;
            p->nextIdle = nullptr;
        } else {
            p = new Pool;
            p->nextPool = r.all;
            r.all = p;
        }
    }
    thread_local PoolRelease release{p};
    tlsPool = p;
    return p;
}

int classFor(std::size_t size) {
    for (int c = 0; c < kClasses; ++c)
        if (size <= kClassPayload[c])
            return c;
    return kHeapClass;
}

// Slow path: take what other threads returned, else carve a new slab into blocks of one class.
void refill(Pool& p, int c) {
    if ((p.freeList[c] = p.remote[c].exchange(nullptr, std::memory_order_acquire)))
        return;
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

// Counts a block taken (+1) or returned (-1) by the calling thread, whose pool is `p`: a plain
// add, no locked instruction, yet readable by LiveCount.
void count(Pool* p, long delta) {
    if (p)
        p->ownLive.store(p->ownLive.load(std::memory_order_relaxed) + delta,
                         std::memory_order_relaxed);
    else
        poolless.fetch_add(delta, std::memory_order_relaxed);
}

void* heapBlock(Pool* p, std::size_t size) {
    auto* block = static_cast<char*>(std::malloc(kHeader + size));
    if (!block)
        throw std::bad_alloc();
    *reinterpret_cast<std::uintptr_t*>(block) = reinterpret_cast<std::uintptr_t>(p) | kHeapClass;
    count(p, 1);
    return block + kHeader;
}

} // namespace

void* cow_Counter::operator new(std::size_t size) {
    const int c = classFor(size);
    Pool* p = tlsPool;
    if (!p)
        p = adoptPool();
    if (c == kHeapClass || !p)
        return heapBlock(p, size);
    if (!p->freeList[c])
        refill(*p, c);
    FreeBlock* fb = p->freeList[c];
    RGN_UNPOISON(fb, kHeader + kClassPayload[c]);
    p->freeList[c] = fb->next;
    char* block = reinterpret_cast<char*>(fb);
    *reinterpret_cast<std::uintptr_t*>(block) = reinterpret_cast<std::uintptr_t>(p) | c;
    count(p, 1);
    return block + kHeader;
}

void cow_Counter::operator delete(void* payload) noexcept {
    if (!payload)
        return;
    char* block = static_cast<char*>(payload) - kHeader;
    const std::uintptr_t header = *reinterpret_cast<std::uintptr_t*>(block);
    const int c = static_cast<int>(header & kClassBits);
    Pool* owner = reinterpret_cast<Pool*>(header & ~kClassBits);
    Pool* mine = tlsPool;
    count(mine, -1);
    if (c == kHeapClass) {
        std::free(block);
        return;
    }
    assert(owner && "a block of a size class names the pool that carved it");
    auto* fb = reinterpret_cast<FreeBlock*>(block);
    if (owner == mine) {
        fb->next = owner->freeList[c];
        owner->freeList[c] = fb;
        RGN_POISON(block, kHeader + kClassPayload[c]);
        return;
    }
    // The header word stays addressable: it carries the link until the owner takes the list.
    RGN_POISON(block + kHeader, kClassPayload[c]);
    FreeBlock* head = owner->remote[c].load(std::memory_order_relaxed);
    do {
        fb->next = head;
    } while (!owner->remote[c].compare_exchange_weak(head, fb, std::memory_order_release,
                                                     std::memory_order_relaxed));
}

long cow_Counter::LiveCount() {
    Registry& r = registry();
    long live = poolless.load(std::memory_order_relaxed);
    std::lock_guard<std::mutex> lock(r.mutex);
    for (const Pool* p = r.all; p; p = p->nextPool)
        live += p->ownLive.load(std::memory_order_relaxed);
    return live;
}

namespace {
constinit fwk_Lifecycle lifecycle("cow");
} // namespace

void cow_initialize(int&) {
    if (lifecycle.Enter())
        registry(); // created now rather than inside the first copy-on-write of some thread
}
void cow_finalize(int&) { lifecycle.Leave(); }
