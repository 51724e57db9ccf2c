// A request to write the next element of a stored list.
#pragma once

#include "cls_ListWriter.h"
#include "cls_WriteRequest.h"

class cls_WriteRequestListObj : public cls_WriteRequest {
public:
    explicit cls_WriteRequestListObj(cls_ListWriter* list)
        : list_(list), position_(list->NextPosition()) {}

    cls_Writer& Writer() const override { return list_->Writer(); }
    void Place(std::uint64_t uid, std::uint32_t classId) const override;

private:
    cls_ListWriter* list_;
    int position_;
};
