#include "typ_ArchCompTable.h"

#include <unordered_map>

namespace {
std::unordered_map<unsigned short, typ_ArchCompEntry>& tables() {
    static std::unordered_map<unsigned short, typ_ArchCompEntry> t;
    return t;
}
} // namespace

void typ_ArchCompTable::InsertEntry(unsigned short module, typ_ArchCompEntry entry) {
    tables()[module] = entry;
}

const typ_Entry* typ_ArchCompTable::Lookup(std::uint32_t typeId) {
    auto it = tables().find(static_cast<unsigned short>(typeId >> 16));
    if (it == tables().end())
        return nullptr;
    const unsigned int row = typeId & 0xFFFFu;
    if (row >= it->second.RowCount())
        return nullptr;
    return &it->second.Rows()[row];
}

const char* typ_ArchCompTable::ClassName(std::uint32_t typeId) {
    const typ_Entry* e = Lookup(typeId);
    return e ? e->className : nullptr;
}

bool typ_ArchCompTable::HasModule(unsigned short module) { return tables().count(module) != 0; }
