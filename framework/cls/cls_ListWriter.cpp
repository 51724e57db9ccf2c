#include "cls_ListWriter.h"

#include "cls_WriteRequestListObj.h"
#include "cls_Writer.h"

cls_ListWriter::cls_ListWriter(cls_Writer& writer, std::uint64_t listOid)
    : writer_(writer), listOid_(listOid) {
    writer_.Database().ClearListElements(listOid_);
}

void cls_WriteRequestListObj::Place(std::uint64_t oid, std::uint32_t classId) const {
    list_->Writer().Database().PutListElement(list_->ListOid(), position_, {oid, classId});
}
