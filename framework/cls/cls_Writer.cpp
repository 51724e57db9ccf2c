#include "cls_Writer.h"

#include "cls_AgentMapKey2ObjBase.h"
#include "cls_SqliteTransaction.h"

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
    if (database_->IsReadOnly())
        database_->Fail("opened read-only: nothing can be stored");
    if (database_->ActiveWriter())
        database_->Fail("a write is already in progress");
    transaction_ = std::make_unique<cls_SqliteTransaction>(database_->Sql());
    database_->SetActiveWriter(this);
}

cls_Writer::~cls_Writer() {
    database_->SetActiveWriter(nullptr);
    if (!committed_) {
        transaction_.reset(); // rolls back
        // One at a time from the live list: hearing the news may destroy other agents (maps
        // dropped with the objects they held), which take themselves off the list.
        while (!agents_.empty()) {
            cls_AgentMapKey2ObjBase* a = agents_.back();
            agents_.pop_back();
            a->WriteRolledBack();
        }
    }
}

cls_MementoWrite& cls_Writer::NewRecord(const cls_ClassMetadata* metadata, std::uint32_t classId,
                                        std::uint64_t oid, int collection) {
    return records_.emplace_back(metadata, classId, oid, collection);
}

void cls_Writer::TrackAgent(cls_AgentMapKey2ObjBase* agent) {
    if (std::find(agents_.begin(), agents_.end(), agent) == agents_.end())
        agents_.push_back(agent);
}

void cls_Writer::UntrackAgent(cls_AgentMapKey2ObjBase* agent) {
    agents_.erase(std::remove(agents_.begin(), agents_.end(), agent), agents_.end());
}

void cls_Writer::Commit() {
    for (const cls_MementoWrite& record : records_)
        database_->StoreRow(record);
    transaction_->Commit();
    committed_ = true;
    records_.clear();
    database_->SetActiveWriter(nullptr);
    while (!agents_.empty()) { // as on rollback: agents may go while others hear the news
        cls_AgentMapKey2ObjBase* a = agents_.back();
        agents_.pop_back();
        a->WriteCommitted();
    }
}
