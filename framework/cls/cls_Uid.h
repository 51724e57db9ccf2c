// The persistent identity of a stored object: a 64-bit number, never 0 once allocated.
//
// The high half is a random prefix drawn when the process allocates its first identity, the
// low half counts (a new prefix is drawn when the count wraps, and a child of fork() draws its
// own). Identities are unique within the process; a model database keeps the identity of every
// object it stores and gives it back on reading, unless that could make two objects of the
// process share one (see cls_Identities). Safe to call from any thread.
// Copies of an object carry its identity: a copy is the same stored object.
#pragma once

#include <compare>
#include <cstdint>

class cls_Uid {
public:
    // The null identity (0): what a default-constructed object holds before it is given one.
    // Both O(1), no allocation.
    cls_Uid() = default;
    explicit cls_Uid(std::uint64_t value) : value_(value) {}

    // One atomic increment, no allocation; a lock only when a new prefix is drawn.
    static cls_Uid AllocateUid();
    // Gives this object a fresh identity in place, at AllocateUid's cost.
    void NewUid() { *this = AllocateUid(); }
    // Whether `uid` carries a prefix that this process has allocated with (its own, or its
    // parent's before a fork): such an identity may belong to an object of this process. O(1)
    // for the current prefix; otherwise one lock and a search of the prefixes drawn (a few).
    static bool IsOwnPrefix(std::uint64_t uid);

    // Plain value reads and comparisons: O(1).
    std::uint64_t Value() const { return value_; }
    bool IsNull() const { return value_ == 0; }

    friend bool operator==(const cls_Uid&, const cls_Uid&) = default;
    friend auto operator<=>(const cls_Uid&, const cls_Uid&) = default;

private:
    std::uint64_t value_ = 0;
};
