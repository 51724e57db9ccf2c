#include "cls_Uid.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <pthread.h>
#include <random>
#include <unistd.h>
#include <vector>

namespace {

// The last identity handed out: prefix << 32 | count. 0 before the first draw.
std::atomic<std::uint64_t> last{0};
// Every prefix drawn in this process and in the parents it was forked from.
std::mutex prefixesMutex;
std::vector<std::uint32_t>& prefixes() {
    static std::vector<std::uint32_t> drawn;
    return drawn;
}

std::uint32_t drawPrefix() {
    // random_device reads the kernel's entropy pool; time and pid only guard against a
    // platform where it is deterministic.
    std::random_device rd;
    std::uint64_t seed = (static_cast<std::uint64_t>(rd()) << 32) ^ rd();
    seed ^= static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    seed ^= static_cast<std::uint64_t>(::getpid()) << 17;
    const auto prefix = static_cast<std::uint32_t>(seed ^ (seed >> 32));
    return prefix ? prefix : 1; // a zero prefix could yield the null identity
}

// A child of fork() starts with its parent's counter; it must draw a prefix of its own, or two
// processes forked from one parent would hand out the same identities.
void forgetSessionInChild() { last.store(0); }

// Starts a new prefix unless another thread already has since `seen` was read.
void startSession(std::uint64_t seen) {
    static const bool watchingForks = ::pthread_atfork(nullptr, nullptr, forgetSessionInChild) == 0;
    (void)watchingForks;
    std::lock_guard<std::mutex> lock(prefixesMutex);
    if (last.load() != seen)
        return;
    std::uint32_t prefix = drawPrefix();
    while (std::find(prefixes().begin(), prefixes().end(), prefix) != prefixes().end())
        prefix = drawPrefix();
    prefixes().push_back(prefix);
    last.store(static_cast<std::uint64_t>(prefix) << 32);
}

} // namespace

cls_Uid cls_Uid::AllocateUid() {
    std::uint64_t seen = last.load();
    for (;;) {
        if ((seen >> 32) == 0 || (seen & 0xFFFFFFFFu) == 0xFFFFFFFFu) {
            startSession(seen);
            seen = last.load();
            continue;
        }
        if (last.compare_exchange_weak(seen, seen + 1))
            return cls_Uid(seen + 1);
    }
}

bool cls_Uid::IsOwnPrefix(std::uint64_t uid) {
    const auto prefix = static_cast<std::uint32_t>(uid >> 32);
    if (prefix == static_cast<std::uint32_t>(last.load() >> 32))
        return true;
    std::lock_guard<std::mutex> lock(prefixesMutex);
    return std::find(prefixes().begin(), prefixes().end(), prefix) != prefixes().end();
}
