// Metadata of a value class T that stores itself: writing and deleting go through T's own
// virtual DBWrite and destructor; reading is left to the registered factory.
#pragma once

#include "cls_ClassMetadata.h"

template <class T>
class cls_AbsTypeAdapter : public cls_ClassMetadata {
public:
    // Interns the name (a lookup under a shared lock; allocates the first time a name is seen).
    cls_AbsTypeAdapter(const cow_String& name, int version, unsigned int parentTypeId)
        : cls_ClassMetadata(name, T::TypeId(), version, nullptr, parentTypeId) {}

    // Cost of T's DBWrite: rows queued into the write, none reaching the file before commit.
    void DBWrite(const void* object, const cls_WriteVisitor& visitor) const override {
        static_cast<const T*>(object)->DBWrite(visitor);
    }
    // Frees the object and what it alone holds.
    void DeleteObject(void* object) const override { delete static_cast<T*>(object); }
};
