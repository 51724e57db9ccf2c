#include "cls_Identities.h"

#include "cls_Uid.h"

#include <absl/container/flat_hash_map.h>
#include <absl/container/inlined_vector.h>

namespace {
struct Place {
    std::uint32_t file;
    std::uint32_t classId;
    std::uint64_t row;
};
} // namespace

struct cls_Identities::Tables {
    // Where each identity is stored; one place in nearly every case.
    absl::flat_hash_map<std::uint64_t, absl::InlinedVector<Place, 1>> places;
    // Rows whose objects were given a fresh identity, keyed by file << 48 | row.
    absl::flat_hash_map<std::uint64_t, std::uint64_t> renamed;
    absl::flat_hash_map<std::uint64_t, std::uint32_t> files;
};

namespace {
std::uint64_t rowKey(std::uint32_t file, std::uint64_t row) {
    return static_cast<std::uint64_t>(file) << 48 ^ row;
}
} // namespace

cls_Identities::cls_Identities() : tables_(new Tables) {}
cls_Identities::~cls_Identities() { delete tables_; }

cls_Identities& cls_Identities::Instance() {
    // Never destroyed: objects may be stored or read while other statics are torn down.
    static cls_Identities* instance = new cls_Identities;
    return *instance;
}

std::uint32_t cls_Identities::FileSlot(std::uint64_t fileId) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto [it, added] =
        tables_->files.try_emplace(fileId, static_cast<std::uint32_t>(tables_->files.size() + 1));
    return it->second;
}

std::uint64_t cls_Identities::RowOf(std::uint32_t file, std::uint64_t uid,
                                    std::uint32_t classId) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = tables_->places.find(uid);
    if (it == tables_->places.end())
        return 0;
    for (const Place& p : it->second)
        if (p.file == file && p.classId == classId)
            return p.row;
    return 0;
}

void cls_Identities::RowsOf(std::uint32_t file, const std::vector<std::uint64_t>& uids,
                            const std::vector<std::uint32_t>& classIds,
                            std::vector<std::uint64_t>& rows) const {
    rows.assign(uids.size(), 0);
    std::lock_guard<std::mutex> lock(mutex_);
    if (tables_->places.empty())
        return;
    for (std::size_t i = 0; i < uids.size(); ++i) {
        auto it = tables_->places.find(uids[i]);
        if (it == tables_->places.end())
            continue;
        for (const Place& p : it->second)
            if (p.file == file && p.classId == classIds[i])
                rows[i] = p.row;
    }
}

std::uint64_t cls_Identities::IdentityOfRow(std::uint32_t file, std::uint64_t row,
                                            std::uint32_t classId, std::uint64_t storedUid) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (auto renamed = tables_->renamed.find(rowKey(file, row)); renamed != tables_->renamed.end())
        return renamed->second;
    if (storedUid != 0) {
        auto it = tables_->places.find(storedUid);
        if (it != tables_->places.end()) {
            for (const Place& p : it->second)
                if (p.file == file && p.row == row)
                    return storedUid;
        } else if (!cls_Uid::IsOwnPrefix(storedUid)) {
            tables_->places[storedUid].push_back({file, classId, row});
            return storedUid;
        }
    }
    const std::uint64_t fresh = cls_Uid::AllocateUid().Value();
    tables_->places[fresh].push_back({file, classId, row});
    tables_->renamed[rowKey(file, row)] = fresh;
    return fresh;
}

void cls_Identities::Record(std::uint32_t file, const std::vector<Assignment>& assignments) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const Assignment& a : assignments) {
        auto& places = tables_->places[a.uid];
        bool found = false;
        for (Place& p : places) {
            if (p.file == file && p.classId == a.classId) {
                p.row = a.row;
                found = true;
            }
        }
        if (!found)
            places.push_back({file, a.classId, a.row});
    }
}
