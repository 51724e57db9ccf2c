// The persistent identity of a stored object: a 64-bit number, never 0 once allocated.
//
// Identities are unique across the processes and sessions that write one model database: the
// high half is a random session prefix drawn when the process allocates its first identity,
// the low half counts within the session (a new prefix is drawn when the count wraps).
// Copies of an object carry its identity: a copy is the same stored object.
#pragma once

#include <compare>
#include <cstdint>

class cls_Uid {
public:
    // The null identity (0): what a default-constructed object holds before it is given one.
    cls_Uid() = default;
    explicit cls_Uid(std::uint64_t value) : value_(value) {}

    static cls_Uid AllocateUid();
    // Gives this object a fresh identity in place.
    void NewUid() { *this = AllocateUid(); }

    std::uint64_t Value() const { return value_; }
    bool IsNull() const { return value_ == 0; }

    friend bool operator==(const cls_Uid&, const cls_Uid&) = default;
    friend auto operator<=>(const cls_Uid&, const cls_Uid&) = default;

private:
    std::uint64_t value_ = 0;
};
