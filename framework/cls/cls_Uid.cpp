#include "cls_Uid.h"

#include <chrono>
#include <pthread.h>
#include <random>
#include <unistd.h>

namespace {

struct Session {
    std::uint64_t prefix = 0;
    std::uint32_t next = 0;
};

std::uint64_t drawPrefix() {
    // random_device reads the kernel's entropy pool; time and pid only guard against a
    // platform where it is deterministic.
    std::random_device rd;
    std::uint64_t seed = (static_cast<std::uint64_t>(rd()) << 32) ^ rd();
    seed ^= static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    seed ^= static_cast<std::uint64_t>(::getpid()) << 17;
    std::uint32_t prefix = static_cast<std::uint32_t>(seed ^ (seed >> 32));
    return prefix ? prefix : 1; // a zero prefix could yield the null identity
}

Session& session() {
    static Session s;
    return s;
}

// A child of fork() starts with its parent's session; it must draw a prefix of its own, or
// two processes forked from one parent would hand out the same identities.
void forgetSessionInChild() {
    session() = Session{};
}

} // namespace

cls_Uid cls_Uid::AllocateUid() {
    Session& s = session();
    if (s.prefix == 0 || s.next == 0xFFFFFFFFu) {
        static const bool watchingForks =
            ::pthread_atfork(nullptr, nullptr, forgetSessionInChild) == 0;
        (void)watchingForks;
        s.prefix = drawPrefix();
        s.next = 0;
    }
    return cls_Uid((s.prefix << 32) | ++s.next);
}
