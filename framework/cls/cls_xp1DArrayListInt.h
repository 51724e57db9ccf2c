// The framework's persistent list of ints: a copy-on-write int list with an identity of its own.
//
// Built from an in-memory list with cls_xp1DArrayListIntFromCow, which shares the list's
// storage instead of copying the ids.
#pragma once

#include "cls_Uid.h"
#include "cow_1DArrayList.h"

class cls_ReadVisitor;
class cls_WriteVisitor;

class cls_xp1DArrayListInt : public cow_1DArrayList<int> {
public:
    // An empty list with a fresh identity: one atomic increment, no allocation.
    cls_xp1DArrayListInt() : uid_(cls_Uid::AllocateUid()) {}
    // Shares `ids` (O(1)) under a fresh identity.
    explicit cls_xp1DArrayListInt(const cow_1DArrayList<int>& ids)
        : cow_1DArrayList<int>(ids), uid_(cls_Uid::AllocateUid()) {}
    // Reads a stored list (its ids in one piece: one query, one copy into a new array, O(n));
    // an absent list reads as empty. `owner` is not used.
    cls_xp1DArrayListInt(const cls_ReadVisitor& rv, cls_Uid* owner = nullptr);
    // Share the ids and carry the identity: O(1), no id copied.
    cls_xp1DArrayListInt(const cls_xp1DArrayListInt&) = default;
    cls_xp1DArrayListInt& operator=(const cls_xp1DArrayListInt&) = default;

    // Stores the ids as one packed BLOB (shared with the list until stored, not copied; the
    // commit writes them in one piece, O(n)).
    void DBWrite(const cls_WriteVisitor& wv) const;

    // No copy, O(1).
    const cls_Uid& Uid() const { return uid_; }
    static std::uint32_t TypeId() { return 0x00230001; } // O(1)

private:
    cls_Uid uid_;
};

// Shares the ids under a fresh identity, as the constructor from a list: O(1).
inline cls_xp1DArrayListInt cls_xp1DArrayListIntFromCow(const cow_1DArrayList<int>& ids) {
    return cls_xp1DArrayListInt(ids);
}
