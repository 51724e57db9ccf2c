#include "cls_WriteVisitor.h"

#include "cls_AgentMapKey2ObjBase.h"
#include "cls_ClassMetadata.h"
#include "cls_Codes.h"
#include "cls_ListWriter.h"
#include "cls_WriteRequest.h"
#include "cls_WriteRequestListObj.h"
#include "cls_Writer.h"

#include <cassert>

namespace {
bool isFrameworkCollection(std::uint32_t typeId) {
    return typeId == cls_ListTypeId || typeId == cls_MapTypeId;
}

// A stored map declares itself as kind 5; its fields are declared as kind 3.
bool compatible(int declared, int actual) {
    if (declared == 0 || declared == actual)
        return true;
    const bool mapKinds = (declared == cls_CollIntMap || declared == cls_CollIntKeyedMap) &&
                          (actual == cls_CollIntMap || actual == cls_CollIntKeyedMap);
    return mapKinds;
}
} // namespace

cls_WriteVisitor::cls_WriteVisitor(cls_Writer& writer, const cow_String& rootName)
    : writer_(&writer), target_(Target::Root), name_(rootName) {}

cls_WriteVisitor::cls_WriteVisitor(const cls_WriteVisitor& parent, const cls_FieldHandle& field,
                                   const void*, const void*)
    : writer_(parent.writer_), target_(Target::Field), name_(field.Name()),
      parent_(&parent.Memento()) {
    if (const cls_ClassMetadata* md = parent_->Metadata()) {
        const auto* attribute = md->FindAttribute(field.Name().view());
        if (!attribute)
            writer_->Database().Fail("class '" + md->Name().str() + "' has no stored attribute '" +
                                     field.Name().str() + "'");
        declaredCollection_ = attribute->collection;
    }
}

cls_WriteVisitor::cls_WriteVisitor(const cls_WriteRequest& request, const void*)
    : writer_(&request.Writer()), target_(Target::Request), request_(&request) {}

int cls_WriteVisitor::StartWrite(std::uint32_t typeId, const cls_Uid& uid) const {
    cls_Database& db = writer_->Database();
    if (uid.IsNull())
        db.Fail("an object without identity cannot be stored");
    oid_ = uid.Value();
    classId_ = typeId;
    started_ = true;
    const cls_ClassMetadata* md = isFrameworkCollection(typeId) ? nullptr : &db.ClassOf(typeId);

    switch (target_) {
    case Target::Root:
        writer_->SetRoot(name_.str(), oid_, typeId, declaredCollection_);
        break;
    case Target::Field:
        parent_->SetReference(name_, oid_, typeId);
        break;
    case Target::Request:
        request_->Place(oid_, typeId);
        break;
    }
    if (!writer_->FirstTime(oid_))
        return 0;
    record_ = &writer_->NewRecord(md, typeId, oid_, declaredCollection_);
    return 1;
}

cls_MementoWrite& cls_WriteVisitor::Memento() const {
    assert(record_ && "Memento() needs a StartWrite that answered 1");
    return *record_;
}

void cls_WriteVisitor::CheckCollectionType(const cls_CollectionTypeFix& fix) const {
    if (!compatible(declaredCollection_, fix.type))
        writer_->Database().Fail("attribute '" + name_.str() + "' holds collections of kind " +
                                 std::to_string(declaredCollection_) + ", not " +
                                 std::to_string(fix.type));
    if (record_)
        record_->SetCollection(fix.type);
    if (target_ == Target::Root && started_)
        writer_->SetRoot(name_.str(), oid_, classId_, fix.type);
}

void cls_WriteVisitor::WriteObjectList(const cls_Uid& uid, int count,
                                       const ElementWriter& writeElement) const {
    StartWrite(cls_ListTypeId, uid);
    CheckCollectionType(cls_CollObjectList);
    cls_ListWriter list(*writer_, oid_);
    for (int i = 0; i < count; ++i) {
        cls_WriteRequestListObj request(&list);
        writeElement(i, cls_WriteVisitor(request, nullptr));
    }
}

cls_AgentMapKey2Obj<int>* cls_WriteVisitor::CreateMapAgent() const {
    return new cls_AgentMapKey2Obj<int>(writer_->DatabasePtr(), oid_, 0);
}
