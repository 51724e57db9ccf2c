#include "cls_Writer.h"

#include "cls_AgentMapKey2ObjBase.h"
#include "cls_SqliteTransaction.h"

#include <algorithm>

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
        // Work on a copy: an agent that hears of the rollback may detach itself.
        const auto agents = agents_;
        for (cls_AgentMapKey2ObjBase* a : agents)
            a->WriteRolledBack();
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
    const auto agents = agents_;
    for (cls_AgentMapKey2ObjBase* a : agents)
        a->WriteCommitted();
    agents_.clear();
}
