#include "dbc_OldClassRegistrar.h"

#include <algorithm>

void dbc_OldClassRegistrar::Register(cow_CountedHld<dbc_OldClassVersion>* holder,
                                     unsigned int flags) {
    Entry entry{std::unique_ptr<cow_CountedHld<dbc_OldClassVersion>>(holder), flags,
                std::make_unique<cls_ClassRegistrar>()};
    if (const dbc_OldClassVersion* version = holder->ConstPtr())
        version->InitializeMetadata(*entry.layouts);
    entries_.push_back(std::move(entry));
}

const cls_ClassMetadata* dbc_OldClassRegistrar::Layout(std::uint32_t typeId, int version) const {
    for (const Entry& e : entries_)
        if (const cls_ClassMetadata* md = e.layouts->Find(typeId); md && md->Version() == version)
            return md;
    return nullptr;
}

std::vector<int> dbc_OldClassRegistrar::Versions(std::uint32_t typeId) const {
    std::vector<int> versions;
    for (const Entry& e : entries_)
        if (const cls_ClassMetadata* md = e.layouts->Find(typeId))
            versions.push_back(md->Version());
    std::sort(versions.begin(), versions.end());
    versions.erase(std::unique(versions.begin(), versions.end()), versions.end());
    return versions;
}
