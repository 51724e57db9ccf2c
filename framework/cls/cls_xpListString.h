// The framework's persistent list of strings: a copy-on-write list of shared texts with an
// identity of its own, stored as one packed record.
#pragma once

#include "cls_Uid.h"
#include "cow_List.h"
#include "cow_String.h"

class cls_ReadVisitor;
class cls_WriteVisitor;

class cls_xpListString : public cow_List<cow_String> {
public:
    // An empty list with a fresh identity: one atomic increment, no allocation.
    cls_xpListString() : uid_(cls_Uid::AllocateUid()) {}
    // Shares `texts` under a fresh identity: O(1), no text copied.
    explicit cls_xpListString(const cow_List<cow_String>& texts)
        : cow_List<cow_String>(texts), uid_(cls_Uid::AllocateUid()) {}
    // Reads the packed record (one query) and allocates each text, O(total length). An absent
    // list reads as empty.
    explicit cls_xpListString(const cls_ReadVisitor& rv);
    // Share the texts and carry the identity: O(1), no text copied.
    cls_xpListString(const cls_xpListString&) = default;
    cls_xpListString& operator=(const cls_xpListString&) = default;

    // Queues the texts as one record: allocates a vector of their handles (no text is
    // copied until the commit packs them), O(Count()).
    void DBWrite(const cls_WriteVisitor& wv) const;
    // No copy, O(1).
    const cls_Uid& Uid() const { return uid_; }
    static std::uint32_t TypeId() { return 0x00230001; } // O(1)

private:
    cls_Uid uid_;
};
