// Holds the metadata of the stored classes of one schema, by type id and by name.
//
// The current schema's registrar is cls_ClassRegistrar::Current(); older layouts are kept in
// registrars of their own by the conversion framework.
//
// Classes are registered at start-up, before other threads store or load. From then on the
// registrar is only read, by any number of threads at once and without a lock; registering
// again while other threads use it is not supported.
#pragma once

#include "cls_ClassMetadata.h"

#include <memory>
#include <unordered_map>

class cls_ClassRegistrar {
public:
    cls_ClassRegistrar() = default;
    cls_ClassRegistrar(const cls_ClassRegistrar&) = delete;
    cls_ClassRegistrar& operator=(const cls_ClassRegistrar&) = delete;

    // The first call creates it and registers the framework's own classes (allocates, under the
    // static's guard); later calls O(1).
    static cls_ClassRegistrar& Current();

    // Creates and keeps the metadata of a class (replacing an earlier one of the same id, which
    // is deleted). Allocates it, and a hash node for a new id; O(1) amortised.
    cls_ClassMetadata& CreateClassMD(const cow_String& name, std::uint32_t typeId, int version,
                                     cls_ClassMetadata::CtorFunction ctor,
                                     std::uint32_t parentTypeId);
    // Takes over metadata that the caller allocated: no copy, otherwise as CreateClassMD.
    cls_ClassMetadata& AddClassMD(cls_ClassMetadata* metadata);

    // A hash lookup, O(1); no allocation, no lock.
    const cls_ClassMetadata* Find(std::uint32_t typeId) const;
    // A walk over every class comparing names, O(classes).
    const cls_ClassMetadata* FindByName(std::string_view name) const;
    // Whether `typeId` is `ancestor` or derives from it through registered parents. One Find per
    // level of the parent chain (64 at most).
    bool IsA(std::uint32_t typeId, std::uint32_t ancestor) const;
    // O(1).
    int Count() const { return static_cast<int>(byId_.size()); }

private:
    std::unordered_map<std::uint32_t, std::unique_ptr<cls_ClassMetadata>> byId_;
};
