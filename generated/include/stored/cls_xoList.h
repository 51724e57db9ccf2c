// A storable value list: a cow_List<T> with a persistent identity, stored element by element
// (each element writes its own record) and read back in order.
#pragma once

#include "cls_Codes.h"
#include "cls_ListCursor.h"
#include "cls_ListWriter.h"
#include "cls_ReadVisitor.h"
#include "cls_Uid.h"
#include "cls_WriteRequestListObj.h"
#include "cls_WriteVisitor.h"
#include "cow_1DArrayIter.h"
#include "cow_List.h"

#include <memory>

template <class T>
class cls_xoList : public cow_List<T> {
public:
    // Copies share the elements (O(1)) and carry the identity.
    cls_xoList() : uid(cls_Uid::AllocateUid()) {}
    cls_xoList(const cls_xoList&) = default;
    cls_xoList& operator=(const cls_xoList&) = default;

    // Reads the stored elements in order, each built by T's reading constructor: one record
    // read per element, O(Count()).
    explicit cls_xoList(const cls_ReadVisitor& rv) : uid(rv.GetUid()) {
        std::unique_ptr<cls_ListCursor> cursor(rv.OpenCursor());
        while (cursor->Advance())
            this->Append(cursor->template Read<T>());
    }

    // Takes l's content (shared) as a new persistent object; assigning the list's own content
    // changes nothing. O(1).
    cls_xoList& operator=(const cow_List<T>& l) {
        if (&l != static_cast<const cow_List<T>*>(this)) {
            cow_List<T>::operator=(l);
            uid.NewUid();
        }
        return *this;
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
};

// A list with a fresh identity sharing l's storage.
template <class T>
cls_xoList<T> cls_xoListFromCow(const cow_List<T>& l) {
    cls_xoList<T> list;
    list = l;
    return list;
}
