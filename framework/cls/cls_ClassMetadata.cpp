#include "cls_ClassMetadata.h"

cls_ClassMetadata::cls_ClassMetadata(cow_String name, std::uint32_t typeId, int version,
                                     CtorFunction ctor, std::uint32_t parentTypeId)
    : name_(cow_String::Interned(name.view())), typeId_(typeId), version_(version), ctor_(ctor),
      parentTypeId_(parentTypeId) {}

cls_ClassMetadata::~cls_ClassMetadata() = default;

cls_ClassMetadata& cls_ClassMetadata::AddAttribute(const cls_FieldHandle& handle,
                                                   cls_AttributeType type, std::uint32_t typeId,
                                                   cls_CollectionType collection) {
    const int index = static_cast<int>(attributes_.size());
    // Every thread copies these names while it stores or loads: they must count nothing.
    attributes_.push_back(
        {cls_FieldHandle(handle.Index(), cow_String::Interned(handle.Name().view())), type, typeId,
         collection});
    const std::string name = handle.Name().str();
    if (type == cls_AttrObject) {
        columns_.push_back({name + "#OID", "INTEGER", index, false});
        columns_.push_back({name + "#ClassID", "INTEGER", index, true});
    } else if (type == cls_AttrString || type == cls_AttrEnum) {
        columns_.push_back({name, "TEXT", index, false});
    } else {
        columns_.push_back({name, "INTEGER", index, false});
    }
    return *this;
}

cls_ClassMetadata& cls_ClassMetadata::AddDtor(DtorFunction dtor) {
    dtor_ = dtor;
    return *this;
}

cls_ClassMetadata& cls_ClassMetadata::AddStandIn(std::uint32_t classId, CtorFunction ctor) {
    standIns_.emplace_back(classId, ctor);
    return *this;
}

cls_ClassMetadata::CtorFunction cls_ClassMetadata::StandInCtor(std::uint32_t classId) const {
    for (const auto& [id, ctor] : standIns_)
        if (id == classId)
            return ctor;
    return nullptr;
}

void cls_ClassMetadata::DBWrite(const void*, const cls_WriteVisitor&) const {}

void cls_ClassMetadata::DeleteObject(void*) const {}

void cls_ClassMetadata::DeleteCow(cow_COW<int, cow_Direct<int>>* holder) const {
    if (dtor_)
        dtor_(holder);
}

void* cls_ClassMetadata::Ctor(cls_ReadVisitor& visitor) const {
    return ctor_ ? ctor_(visitor) : nullptr;
}

const cls_ClassMetadata::Attribute* cls_ClassMetadata::FindAttribute(std::string_view name) const {
    const int index = AttributeIndex(name);
    return index < 0 ? nullptr : &attributes_[index];
}

int cls_ClassMetadata::AttributeIndex(std::string_view name) const {
    for (std::size_t i = 0; i < attributes_.size(); ++i)
        if (attributes_[i].handle.Name().view() == name)
            return static_cast<int>(i);
    return -1;
}
