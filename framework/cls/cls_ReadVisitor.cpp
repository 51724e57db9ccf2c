#include "cls_ReadVisitor.h"

#include "cls_AgentMapKey2ObjBase.h"
#include "cls_Codes.h"
#include "cls_ListCursor.h"
#include "nex_Exception.h"

#include <variant>

// ---- records ----

const cls_ClassMetadata* cls_MementoRead::Metadata() const {
    if (!present_ || classId_ == cls_ListTypeId || classId_ == cls_MapTypeId)
        return nullptr;
    return &reader_->Database().ClassOf(classId_);
}

const cls_MementoWrite::Value* cls_MementoRead::find(const cow_String& column) const {
    if (!present_ || !Metadata())
        return nullptr;
    if (!loaded_) {
        row_ = reader_->Database().LoadRow(classId_, oid_);
        loaded_ = true;
    }
    for (const auto& [name, value] : row_)
        if (name == column.view())
            return std::holds_alternative<cls_MementoWrite::Null>(value) ? nullptr : &value;
    return nullptr;
}

int cls_MementoRead::ReadInt(const cls_FieldHandle& handle, int defaultValue) const {
    const auto* v = find(handle.Name());
    const auto* i = v ? std::get_if<std::int64_t>(v) : nullptr;
    return i ? static_cast<int>(*i) : defaultValue;
}

bool cls_MementoRead::ReadBool(const cls_FieldHandle& handle, bool defaultValue) const {
    const auto* v = find(handle.Name());
    const auto* i = v ? std::get_if<std::int64_t>(v) : nullptr;
    return i ? *i != 0 : defaultValue;
}

cow_String cls_MementoRead::ReadString(const cls_FieldHandle& handle,
                                       const cow_String& defaultValue) const {
    const auto* v = find(handle.Name());
    const auto* s = v ? std::get_if<cow_String>(v) : nullptr;
    return s ? *s : defaultValue;
}

std::optional<cls_Database::Reference> cls_MementoRead::ReadReference(
    const cls_FieldHandle& handle) const {
    const auto* oid = find(handle.Name() + "#OID");
    const auto* classId = find(handle.Name() + "#ClassID");
    const auto* o = oid ? std::get_if<std::int64_t>(oid) : nullptr;
    const auto* c = classId ? std::get_if<std::int64_t>(classId) : nullptr;
    if (!o || !c)
        return std::nullopt;
    return cls_Database::Reference{static_cast<std::uint64_t>(*o), static_cast<std::uint32_t>(*c)};
}

cow_1DArrayList<int> cls_MementoRead::IntArray() const {
    if (!present_)
        return {};
    return reader_->Database().LoadIntList(oid_);
}

std::vector<cow_String> cls_MementoRead::StringList() const {
    if (!present_)
        return {};
    return reader_->Database().LoadStringList(oid_);
}

void* cls_MementoRead::buildObject(const cls_Database::Reference& ref, std::uint32_t declaredTypeId,
                                   int collection) const {
    cls_Database& db = reader_->Database();
    const cls_ClassMetadata& md = db.ClassOf(ref.classId);
    if (!cls_ClassRegistrar::Current().IsA(ref.classId, declaredTypeId))
        db.Fail("object " + std::to_string(ref.oid) + " is a '" + md.Name().str() +
                "' where another class was expected");
    cls_MementoRead memento(*reader_, ref.oid, ref.classId, collection);
    cls_ReadVisitor visitor(&memento);
    // A value the class itself refuses raises the class's own error, unchanged.
    void* object = md.Ctor(visitor);
    if (!object)
        db.Fail("class '" + md.Name().str() + "' cannot be built from a record");
    return object;
}

// ---- visitors ----

cls_ReadVisitor::cls_ReadVisitor(const cls_ReadVisitor& parent, const cls_FieldHandle& field) {
    const cls_MementoRead& p = parent.Memento();
    int collection = 0;
    if (const cls_ClassMetadata* md = p.Metadata())
        if (const auto* attribute = md->FindAttribute(field.Name().view()))
            collection = attribute->collection;
    if (const auto ref = p.ReadReference(field))
        own_ = std::make_unique<cls_MementoRead>(p.Reader(), ref->oid, ref->classId, collection);
    else
        own_ = std::make_unique<cls_MementoRead>(p.Reader());
    memento_ = own_.get();
}

cls_ReadVisitor::cls_ReadVisitor(cls_Reader& reader, const cls_Database::Root& root)
    : own_(std::make_unique<cls_MementoRead>(reader, root.oid, root.classId, root.collection)),
      memento_(own_.get()) {}

cls_ListCursor* cls_ReadVisitor::OpenCursor() const {
    return new cls_ListCursor(memento_->Reader(), memento_->Oid());
}

cls_AgentMapKey2Obj<int>* cls_ReadVisitor::MapAgent() const {
    return new cls_AgentMapKey2Obj<int>(memento_->Reader().DatabasePtr(), memento_->Oid(), false);
}

// ---- list cursor ----

cls_ListCursor::cls_ListCursor(cls_Reader& reader, std::uint64_t listOid) : reader_(reader) {
    if (listOid != 0)
        elements_ = reader_.Database().LoadListElements(listOid);
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
