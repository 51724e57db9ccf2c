#include "cls_Writer.h"

#include "cls_WriteListener.h"

#include <algorithm>
#include <cassert>

namespace {
// Fibonacci hashing: uids differ mostly in their low bits (a session counts up), and the
// multiplication spreads them over the high bits the slot is taken from.
std::size_t slotOf(std::uint64_t uid, std::size_t mask) {
    return static_cast<std::size_t>((uid * 0x9E3779B97F4A7C15ull) >> 32) & mask;
}
} // namespace

bool cls_Writer::UidSet::Insert(std::uint64_t uid) {
    assert(uid != 0 && "the null identity is never written");
    if (2 * (count_ + 1) > slots_.size())
        grow();
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = slotOf(uid, mask);; i = (i + 1) & mask) {
        if (slots_[i] == uid)
            return false;
        if (slots_[i] == 0) {
            slots_[i] = uid;
            ++count_;
            return true;
        }
    }
}

// Doubles the table (64 slots at first) and places every uid again.
void cls_Writer::UidSet::grow() {
    std::vector<std::uint64_t> old(std::max<std::size_t>(64, 2 * slots_.size()), 0);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (std::uint64_t uid : old) {
        if (uid == 0)
            continue;
        std::size_t i = slotOf(uid, mask);
        while (slots_[i] != 0)
            i = (i + 1) & mask;
        slots_[i] = uid;
    }
}

cls_Writer::cls_Writer(std::shared_ptr<cls_Database> database) : database_(std::move(database)) {
    database_->ThrowKeptFailure();
    if (database_->IsReadOnly())
        database_->Fail("opened read-only: nothing can be stored");
    if (database_->ActiveWriter())
        database_->Fail("a write is already in progress");
    database_->SetActiveWriter(this);
}

cls_Writer::~cls_Writer() {
    if (database_->ActiveWriter() == this)
        database_->SetActiveWriter(nullptr);
    if (!ended_)
        tellRolledBack();
}

cls_MementoWrite& cls_Writer::NewRecord(const cls_ClassMetadata* metadata, std::uint32_t classId,
                                        std::uint64_t uid, int collection) {
    return batch_.records.emplace_back(metadata, classId, uid, collection, &database_->Path());
}

void cls_Writer::PutMapEntry(std::uint64_t mapUid, int key, std::uint64_t elementUid,
                             std::uint32_t elementClassId, bool replaces) {
    batch_.mapEntries.push_back({mapUid, key, elementUid, elementClassId, replaces});
}

void cls_Writer::RemoveMapEntry(std::uint64_t mapUid, int key) {
    batch_.mapEntries.push_back({mapUid, key, 0, 0, true});
}

void cls_Writer::RestartList(std::uint64_t listUid) { batch_.listsRestarted.push_back(listUid); }

void cls_Writer::PutListElement(std::uint64_t listUid, int position, std::uint64_t elementUid,
                                std::uint32_t elementClassId) {
    batch_.listElements.push_back({listUid, position, elementUid, elementClassId});
}

void cls_Writer::SetRoot(const std::string& name, std::uint64_t uid, std::uint32_t classId,
                         int collection) {
    for (auto& root : batch_.roots) {
        if (root.name == name) {
            root = {name, uid, classId, collection};
            return;
        }
    }
    batch_.roots.push_back({name, uid, classId, collection});
}

void cls_Writer::Listen(cls_WriteListener* listener) {
    // Listeners join once per write (an agent remembers the write it joined): a search here
    // would make a write of n stored maps cost n^2.
    listeners_.push_back(listener);
}

void cls_Writer::StopListening(cls_WriteListener* listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void cls_Writer::Commit() {
    assert(!ended_ && "a write commits once");
    try {
        if (!batch_.Empty())
            database_->Commit(batch_);
    } catch (...) {
        database_->SetActiveWriter(nullptr);
        tellRolledBack();
        throw;
    }
    ended_ = true;
    committed_ = true;
    database_->SetActiveWriter(nullptr);
    batch_ = cls_WriteBatch();
    // One at a time from the live list: hearing the news may destroy other listeners (maps
    // dropped with the objects they held), which take themselves off the list.
    while (!listeners_.empty()) {
        cls_WriteListener* l = listeners_.back();
        listeners_.pop_back();
        l->WriteCommitted(*this);
    }
}

void cls_Writer::tellRolledBack() {
    ended_ = true;
    while (!listeners_.empty()) {
        cls_WriteListener* l = listeners_.back();
        listeners_.pop_back();
        l->WriteRolledBack();
    }
}
