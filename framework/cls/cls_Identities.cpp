#include "cls_Identities.h"

#include "cls_Uid.h"

#include <absl/container/flat_hash_map.h>
#include <absl/container/flat_hash_set.h>

#include <memory>

namespace {
struct Row {
    std::uint64_t row;
    std::uint32_t classId;
};

// What the process knows of one file: the row of every identity it stored or read there, and
// the rows whose objects were given a fresh identity.
struct FileTable {
    absl::flat_hash_map<std::uint64_t, Row> rows;
    absl::flat_hash_map<std::uint64_t, std::uint64_t> renamed; // row -> identity
};
} // namespace

struct cls_Identities::Tables {
    absl::flat_hash_map<std::uint64_t, std::uint32_t> slots; // file id -> slot
    std::vector<std::unique_ptr<FileTable>> files;          // by slot - 1
    // Identities of other processes' prefixes taken on from any file: another row holding one
    // of them gets a fresh identity.
    absl::flat_hash_set<std::uint64_t> adopted;

    FileTable& file(std::uint32_t slot) { return *files[slot - 1]; }
};

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
        tables_->slots.try_emplace(fileId, static_cast<std::uint32_t>(tables_->files.size() + 1));
    if (added)
        tables_->files.push_back(std::make_unique<FileTable>());
    return it->second;
}

std::uint64_t cls_Identities::RowOf(std::uint32_t file, std::uint64_t uid,
                                    std::uint32_t classId) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const FileTable& t = tables_->file(file);
    auto it = t.rows.find(uid);
    return it != t.rows.end() && it->second.classId == classId ? it->second.row : 0;
}

void cls_Identities::RowsOf(std::uint32_t file, const std::vector<std::uint64_t>& uids,
                            const std::vector<std::uint32_t>& classIds,
                            std::vector<std::uint64_t>& rows) const {
    rows.assign(uids.size(), 0);
    std::lock_guard<std::mutex> lock(mutex_);
    const FileTable& t = tables_->file(file);
    if (t.rows.empty())
        return;
    for (std::size_t i = 0; i < uids.size(); ++i) {
        auto it = t.rows.find(uids[i]);
        if (it != t.rows.end() && it->second.classId == classIds[i])
            rows[i] = it->second.row;
    }
}

std::uint64_t cls_Identities::IdentityOfRow(std::uint32_t file, std::uint64_t row,
                                            std::uint32_t classId, std::uint64_t storedUid) {
    std::lock_guard<std::mutex> lock(mutex_);
    FileTable& t = tables_->file(file);
    if (!t.renamed.empty())
        if (auto renamed = t.renamed.find(row); renamed != t.renamed.end())
            return renamed->second;
    if (storedUid != 0) {
        if (auto it = t.rows.find(storedUid); it != t.rows.end()) {
            if (it->second.row == row)
                return storedUid;
        } else if (!cls_Uid::IsOwnPrefix(storedUid) && tables_->adopted.insert(storedUid).second) {
            t.rows[storedUid] = {row, classId};
            return storedUid;
        }
    }
    const std::uint64_t fresh = cls_Uid::AllocateUid().Value();
    t.rows[fresh] = {row, classId};
    t.renamed[row] = fresh;
    return fresh;
}

void cls_Identities::Record(std::uint32_t file, const std::vector<Assignment>& assignments) {
    std::lock_guard<std::mutex> lock(mutex_);
    FileTable& t = tables_->file(file);
    t.rows.reserve(t.rows.size() + assignments.size());
    for (const Assignment& a : assignments)
        t.rows[a.uid] = {a.row, a.classId};
}
