// Keeps the old versions of the stored classes, each with its layout in a registrar of its own:
// an old layout never replaces the current metadata of its class.
//
//   omi_Singleton<dbc_OldClassRegistrar>::Instance().Register(
//       new cow_CountedHld<dbc_OldClassVersion>(new rgnC_Region_203), 4);
#pragma once

#include "cls_ClassRegistrar.h"
#include "cow_CountedHld.h"
#include "dbc_OldClassVersion.h"

#include <cstdint>
#include <memory>
#include <vector>

class dbc_OldClassRegistrar {
public:
    struct Entry {
        std::unique_ptr<cow_CountedHld<dbc_OldClassVersion>> holder;
        unsigned int flags;
        std::unique_ptr<cls_ClassRegistrar> layouts; // what the version's InitializeMetadata made
    };

    // Takes over `holder` (the caller keeps no reference) and registers the old layout it holds
    // in a registrar of its own. Registered at start-up, before threads use the registrar.
    void Register(cow_CountedHld<dbc_OldClassVersion>* holder, unsigned int flags);

    const std::vector<Entry>& Entries() const { return entries_; }
    // The metadata of class `typeId` in the old layout `version`, or null.
    const cls_ClassMetadata* Layout(std::uint32_t typeId, int version) const;
    // The versions registered for a class, ascending.
    std::vector<int> Versions(std::uint32_t typeId) const;

private:
    std::vector<Entry> entries_;
};
