// Names one stored attribute: an index (-1, or a number in older and indexed layouts) and the
// attribute's name. Attributes are found by name; the index is kept for the layouts that
// number their fields.
//
// Handles are usually kept in function-local statics and used by every thread, and visitors
// copy their names; a name given as a literal is therefore interned (one lookup under a lock
// per construction), so that those copies count nothing.
#pragma once

#include "cow_String.h"

class cls_FieldHandle {
public:
    // Interns the literal: a lookup under a shared lock; allocates the first time a text is seen.
    cls_FieldHandle(int index, const char* name)
        : index_(index), name_(cow_String::Interned(name ? name : "")) {}
    // Shares the name as given (interned or not): O(1), no allocation.
    cls_FieldHandle(int index, cow_String name) : index_(index), name_(std::move(name)) {}

    // No copy, O(1).
    int Index() const { return index_; }
    const cow_String& Name() const { return name_; }

private:
    int index_;
    cow_String name_;
};
