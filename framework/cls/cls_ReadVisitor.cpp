#include "cls_ReadVisitor.h"

#include "cls_AgentMapKey2ObjBase.h"
#include "cls_ClassRegistrar.h"
#include "cls_Codes.h"
#include "cls_Database.h"
#include "cls_ListCursor.h"

cls_ReadVisitor::cls_ReadVisitor(const cls_ReadVisitor& parent, const cls_FieldHandle& field) {
    const cls_MementoRead& p = parent.Memento();
    int collection = 0;
    std::uint32_t declared = 0; // the class the attribute holds, when it holds an object
    if (const cls_ClassMetadata* md = p.Metadata())
        if (const auto* attribute = md->FindAttribute(field.Name().view())) {
            collection = attribute->collection;
            if (attribute->type == cls_AttrObject)
                declared = attribute->typeId;
        }
    if (const auto ref = p.ReadReference(field)) {
        // Read as the declared class, the record of another would give that class's defaults
        // or its values under the same names.
        if (declared != 0 && !cls_ClassRegistrar::Current().IsA(ref->classId, declared)) {
            const cls_ClassMetadata& held = p.Reader().Database().ClassOf(ref->classId);
            p.Damaged("attribute '" + field.Name().str() + "' refers to a '" + held.Name().str() +
                      "' where another class belongs");
        }
        own_ = std::make_unique<cls_MementoRead>(p.Reader(), ref->oid, ref->classId, collection);
    } else {
        own_ = std::make_unique<cls_MementoRead>(p.Reader());
    }
    memento_ = own_.get();
}

cls_ReadVisitor::cls_ReadVisitor(cls_Reader& reader, const cls_RowStore::Root& root)
    : own_(std::make_unique<cls_MementoRead>(reader, root.oid, root.classId, root.collection)),
      memento_(own_.get()) {}

cls_ListCursor* cls_ReadVisitor::OpenCursor() const {
    if (memento_->IsPresent())
        memento_->Uid(); // the list's own row must be there
    return new cls_ListCursor(memento_->Reader(), memento_->IsPresent() ? memento_->Oid() : 0);
}

cls_AgentMapKey2Obj<int>* cls_ReadVisitor::MapAgent() const {
    if (!memento_->IsPresent())
        return nullptr;
    if (memento_->ClassId() != cls_MapTypeId)
        memento_->Damaged("something else stands where a stored map belongs");
    const cls_Uid uid = memento_->Uid();
    return new cls_AgentMapKey2Obj<int>(memento_->Reader().DatabasePtr(), uid.Value(),
                                        memento_->Oid());
}

cls_ListCursor::cls_ListCursor(cls_Reader& reader, std::uint64_t listOid) : reader_(reader) {
    if (listOid != 0)
        elements_ = reader_.Database().Rows().ListElements(listOid);
}

bool cls_ListCursor::Advance() {
    if (next_ >= elements_.size()) {
        current_.reset();
        return false;
    }
    const cls_Database::Reference& e = elements_[next_++];
    current_ = std::make_unique<cls_MementoRead>(reader_, e.oid, e.classId, 0);
    return true;
}
