// A storable array list: a cow_1DArrayList<T> with a persistent identity, stored element by
// element and read back in order.
#pragma once

#include "cls_Codes.h"
#include "cls_ListCursor.h"
#include "cls_ListWriter.h"
#include "cls_ReadVisitor.h"
#include "cls_Uid.h"
#include "cls_WriteRequestListObj.h"
#include "cls_WriteVisitor.h"
#include "cow_1DArrayList.h"

#include <memory>

template <class T>
class cls_xo1DArrayList : public cow_1DArrayList<T> {
public:
    // A fresh identity; the list form shares l's elements (O(1)), and copies carry the
    // identity.
    cls_xo1DArrayList() : uid(cls_Uid::AllocateUid()), owner(nullptr) {}
    explicit cls_xo1DArrayList(const cow_1DArrayList<T>& l)
        : cow_1DArrayList<T>(l), uid(cls_Uid::AllocateUid()), owner(nullptr) {}
    cls_xo1DArrayList(const cls_xo1DArrayList&) = default;
    cls_xo1DArrayList& operator=(const cls_xo1DArrayList&) = default;

    // Sizes the array for the stored count first, then reads the elements in order. The owner
    // uid is kept, not used. One record read per element, O(Count()).
    explicit cls_xo1DArrayList(const cls_ReadVisitor& rv, cls_Uid* owner = nullptr)
        : uid(rv.GetUid()), owner(owner) {
        std::unique_ptr<cls_ListCursor> cursor(rv.OpenCursor());
        if (cursor->ElementCount() > 0)
            this->Get(cursor->ElementCount() - 1); // extends the array to the stored size
        while (cursor->Advance())
            this->Append(cursor->template Read<T>());
    }

    // Writes every element on every call, in order: queues one row per element and what the
    // elements write; O(Count()).
    void DBWrite(const cls_WriteVisitor& wv) const {
        wv.WriteObjectList(uid, this->Count(), [this](int i, const cls_WriteVisitor& element) {
            this->ConstGet(i).DBWrite(element);
        });
    }

    // No copy, O(1).
    const cls_Uid& Uid() const { return uid; }
    static std::uint32_t TypeId() { return cls_ListTypeId; }

private:
    cls_Uid uid;
    cls_Uid* owner;
};
