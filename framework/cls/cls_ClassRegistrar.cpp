#include "cls_ClassRegistrar.h"

#include "omi_Singleton.h"

namespace {
// The framework's own stored classes: enumerated primitives are stored as their name.
void registerFrameworkClasses(cls_ClassRegistrar& registrar) {
    registrar.CreateClassMD(cow_String("omu_PrimEnum"), 0x00240002, 1, nullptr, 1)
        .AddAttribute(cls_FieldHandle(-1, "name"), cls_AttrString, 1, cls_CollSingle);
}
} // namespace

cls_ClassRegistrar& cls_ClassRegistrar::Current() {
    static cls_ClassRegistrar& current = []() -> cls_ClassRegistrar& {
        cls_ClassRegistrar& r = omi_Singleton<cls_ClassRegistrar>::Instance();
        registerFrameworkClasses(r);
        return r;
    }();
    return current;
}

cls_ClassMetadata& cls_ClassRegistrar::CreateClassMD(const cow_String& name, std::uint32_t typeId,
                                                     int version,
                                                     cls_ClassMetadata::CtorFunction ctor,
                                                     std::uint32_t parentTypeId) {
    return AddClassMD(new cls_ClassMetadata(name, typeId, version, ctor, parentTypeId));
}

cls_ClassMetadata& cls_ClassRegistrar::AddClassMD(cls_ClassMetadata* metadata) {
    auto& slot = byId_[metadata->TypeId()];
    slot.reset(metadata);
    return *metadata;
}

const cls_ClassMetadata* cls_ClassRegistrar::Find(std::uint32_t typeId) const {
    auto it = byId_.find(typeId);
    return it == byId_.end() ? nullptr : it->second.get();
}

const cls_ClassMetadata* cls_ClassRegistrar::FindByName(std::string_view name) const {
    for (const auto& [id, md] : byId_)
        if (md->Name().view() == name)
            return md.get();
    return nullptr;
}

bool cls_ClassRegistrar::IsA(std::uint32_t typeId, std::uint32_t ancestor) const {
    for (int depth = 0; depth < 64; ++depth) { // bounded: a damaged parent chain must not hang
        if (typeId == ancestor)
            return true;
        const cls_ClassMetadata* md = Find(typeId);
        if (!md || md->ParentTypeId() == 1 || md->ParentTypeId() == typeId)
            return false;
        typeId = md->ParentTypeId();
    }
    return false;
}
