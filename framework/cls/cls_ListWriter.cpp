#include "cls_ListWriter.h"

#include "cls_WriteRequestListObj.h"
#include "cls_Writer.h"

cls_ListWriter::cls_ListWriter(cls_Writer& writer, std::uint64_t listUid)
    : writer_(writer), listUid_(listUid) {
    writer_.RestartList(listUid_);
}

void cls_WriteRequestListObj::Place(std::uint64_t uid, std::uint32_t classId) const {
    list_->Writer().PutListElement(list_->ListUid(), position_, uid, classId);
}
