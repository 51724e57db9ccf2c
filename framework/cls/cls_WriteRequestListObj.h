// A request to write the next element of a stored list.
#pragma once

#include "cls_ListWriter.h"
#include "cls_WriteRequest.h"

class cls_WriteRequestListObj : public cls_WriteRequest {
public:
    // Borrows the list writer and takes its next position: O(1), no allocation.
    explicit cls_WriteRequestListObj(cls_ListWriter* list)
        : list_(list), position_(list->NextPosition()) {}

    // O(1); never starts a write (the list's is running).
    cls_Writer& Writer() const override { return list_->Writer(); }
    // Queues one list element into the write: O(1) amortised.
    void Place(std::uint64_t uid, std::uint32_t classId) const override;

private:
    cls_ListWriter* list_;
    int position_;
};
