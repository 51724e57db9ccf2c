#include "cls_AgentMapKey2ObjBase.h"

#include "cls_PC.h"
#include "cls_Writer.h"
#include "nex_Exception.h"

#include <algorithm>

namespace {
// The first kept handle whose key is not below `key`.
template <class Kept>
auto keptAt(Kept& pending, int key) {
    return std::lower_bound(pending.begin(), pending.end(), key,
                            [](const auto& kept, int k) { return kept.first < k; });
}
} // namespace

cls_AgentMapKey2ObjBase::cls_AgentMapKey2ObjBase(std::shared_ptr<cls_Database> database,
                                                 std::uint64_t mapOid, bool createdByWrite)
    : database_(std::move(database)), mapOid_(mapOid), createdByWrite_(createdByWrite) {
    if (!createdByWrite_)
        keys_ = database_->LoadMapKeys(mapOid_);
}

cls_AgentMapKey2ObjBase::~cls_AgentMapKey2ObjBase() {
    if (joinedWriter_)
        joinedWriter_->UntrackAgent(this);
    ownWriter_.reset(); // an own write never committed rolls back
}

cls_Writer& cls_AgentMapKey2ObjBase::Writer() {
    if (cls_Writer* active = database_->ActiveWriter()) {
        if (active != ownWriter_.get() && active != joinedWriter_) {
            joinedWriter_ = active;
            active->TrackAgent(this);
        }
        return *active;
    }
    ownWriter_ = std::make_unique<cls_Writer>(database_);
    ownWriter_->TrackAgent(this);
    joinedWriter_ = ownWriter_.get();
    return *ownWriter_;
}

void cls_AgentMapKey2ObjBase::CommitWrite() {
    if (ownWriter_) {
        ownWriter_->Commit(); // also tells this agent through WriteCommitted
        ownWriter_.reset();
    }
}

void cls_AgentMapKey2ObjBase::AbandonWrite() {
    std::unique_ptr<cls_Writer> writer = std::move(ownWriter_);
    writer.reset(); // rolls back and tells this agent
}

void cls_AgentMapKey2ObjBase::First() {
    walk_ = keys_;
    position_ = 0;
}

void cls_AgentMapKey2ObjBase::RemoveKey(const int& key) {
    Writer().Database().RemoveMapEntry(mapOid_, key);
    keys_.erase(std::remove(keys_.begin(), keys_.end(), key), keys_.end());
    modified_.erase(key);
    if (auto at = keptAt(pending_, key); at != pending_.end() && at->first == key)
        pending_.erase(at);
}

void cls_AgentMapKey2ObjBase::Released() {
    std::erase_if(pending_, [this](const auto& kept) { return !IsModified(kept.first); });
}

void cls_AgentMapKey2ObjBase::KeepUntilCommitted(int key, std::shared_ptr<void> handle) {
    if (pending_.empty() || pending_.back().first < key) {
        pending_.emplace_back(key, std::move(handle));
        return;
    }
    auto at = keptAt(pending_, key);
    if (at != pending_.end() && at->first == key)
        at->second = std::move(handle);
    else
        pending_.emplace(at, key, std::move(handle));
}

const void* cls_AgentMapKey2ObjBase::Kept(int key) const {
    auto at = keptAt(pending_, key);
    return at != pending_.end() && at->first == key ? at->second.get() : nullptr;
}

void cls_AgentMapKey2ObjBase::Attach(cls_PC* map) {
    attached_ = map;
    if (createdByWrite_) {
        createdByWrite_ = false;
        bornInWrite_ = true;
        Writer(); // join the write that is storing the map, to hear how it ends
        map->StoreEntries(*this);
    }
}

void cls_AgentMapKey2ObjBase::RecordEntry(int key, cls_Database::Reference element) {
    Writer().Database().PutMapEntry(mapOid_, key, element);
    auto at = std::lower_bound(keys_.begin(), keys_.end(), key);
    if (at == keys_.end() || *at != key)
        keys_.insert(at, key);
    modified_.erase(key);
}

void cls_AgentMapKey2ObjBase::WriteCommitted() {
    joinedWriter_ = nullptr;
    bornInWrite_ = false;
    pending_.clear();
}

void cls_AgentMapKey2ObjBase::WriteRolledBack() {
    joinedWriter_ = nullptr;
    if (bornInWrite_ && attached_) {
        // The map was never stored: it takes its entries back and drops this agent (which may
        // delete the agent, so nothing follows).
        bornInWrite_ = false;
        attached_->ForgetAgent();
        return;
    }
    // What was written is gone: the stored keys are those of the file again, and every entry
    // still held in memory counts as changed so that a later flush writes it again.
    keys_ = database_->LoadMapKeys(mapOid_);
    for (const auto& [key, handle] : pending_)
        modified_.insert(key);
}

void* cls_AgentMapKey2ObjBase::fetchObject(int key, unsigned int typeId) {
    const auto entry = database_->FindMapEntry(mapOid_, key);
    if (!entry)
        return nullptr;
    const cls_ClassMetadata& md = database_->ClassOf(entry->classId);
    if (!cls_ClassRegistrar::Current().IsA(entry->classId, typeId))
        database_->Fail("map entry " + std::to_string(key) + " holds a '" + md.Name().str() +
                        "' where another class was expected");
    cls_Reader reader(database_);
    cls_MementoRead memento(reader, entry->oid, entry->classId, 0);
    cls_ReadVisitor visitor(&memento);
    void* object = md.Ctor(visitor); // the class's own errors pass unchanged
    if (!object)
        database_->Fail("class '" + md.Name().str() + "' cannot be built from a record");
    database_->CountFetch();
    return object;
}
