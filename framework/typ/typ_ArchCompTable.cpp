#include "typ_ArchCompTable.h"

#include <mutex>
#include <shared_mutex>
#include <unordered_map>

namespace {
// Filled at start-up, then read by every thread; a module may still start while others run.
// The rows themselves are the modules' constant arrays, so a row handed out needs no lock.
struct Tables {
    std::shared_mutex mutex;
    std::unordered_map<unsigned short, typ_ArchCompEntry> byModule;
};

Tables& tables() {
    static Tables t;
    return t;
}
} // namespace

void typ_ArchCompTable::InsertEntry(unsigned short module, typ_ArchCompEntry entry) {
    Tables& t = tables();
    std::lock_guard<std::shared_mutex> lock(t.mutex);
    t.byModule[module] = entry;
}

const typ_Entry* typ_ArchCompTable::Lookup(std::uint32_t typeId) {
    Tables& t = tables();
    std::shared_lock<std::shared_mutex> lock(t.mutex);
    auto it = t.byModule.find(static_cast<unsigned short>(typeId >> 16));
    if (it == t.byModule.end())
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

bool typ_ArchCompTable::HasModule(unsigned short module) {
    Tables& t = tables();
    std::shared_lock<std::shared_mutex> lock(t.mutex);
    return t.byModule.count(module) != 0;
}
