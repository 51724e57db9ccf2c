#include "cls_AgentMapKey2ObjBase.h"

#include "cls_ClassRegistrar.h"
#include "cls_Codes.h"
#include "cls_Database.h"
#include "cls_MementoRead.h"
#include "cls_PC.h"
#include "cls_ReadVisitor.h"
#include "cls_Reader.h"
#include "cls_Writer.h"

#include <algorithm>

namespace {
// The first kept handle whose key is not below `key`.
template <class Kept>
auto keptAt(Kept& kept, int key) {
    return std::lower_bound(kept.begin(), kept.end(), key,
                            [](const auto& k, int wanted) { return k.first < wanted; });
}
} // namespace

cls_AgentMapKey2ObjBase::cls_AgentMapKey2ObjBase(std::shared_ptr<cls_Database> database,
                                                 std::uint64_t mapUid, std::uint64_t mapRow)
    : database_(std::move(database)), mapUid_(mapUid), mapRow_(mapRow),
      createdByWrite_(mapRow == 0) {
    if (mapRow_ == 0)
        return;
    const auto entries = database_->Rows().MapEntries(mapRow_);
    stored_.reserve(entries.size());
    for (const auto& e : entries)
        stored_.push_back({e.key, e.element.oid, 0, e.element.classId});
    database_->Pin(mapRow_);
}

cls_AgentMapKey2ObjBase::~cls_AgentMapKey2ObjBase() {
    if (joinedWriter_)
        joinedWriter_->StopListening(this);
    joinedWriter_ = nullptr;
    ownWriter_.reset(); // an own write never committed rolls back
    if (mapRow_ != 0)
        database_->Unpin(mapRow_);
}

std::vector<cls_AgentMapKey2ObjBase::Slot>::iterator cls_AgentMapKey2ObjBase::slotOf(int key) {
    return std::lower_bound(stored_.begin(), stored_.end(), key,
                            [](const Slot& s, int k) { return s.key < k; });
}

bool cls_AgentMapKey2ObjBase::WritesBlocked() const { return database_->IsReadOnly(); }

bool cls_AgentMapKey2ObjBase::WritesInto(const cls_Writer& writer) const {
    return &writer.Database() == database_.get();
}

void cls_AgentMapKey2ObjBase::Fail(const std::string& problem) const { database_->Fail(problem); }

void cls_AgentMapKey2ObjBase::KeepFailure(const std::string& problem) const {
    database_->KeepFailure(problem);
}

void cls_AgentMapKey2ObjBase::checkUnchanged() const { database_->CheckUnchanged(); }

bool cls_AgentMapKey2ObjBase::HoldsKey(int key) const {
    auto it = std::lower_bound(stored_.begin(), stored_.end(), key,
                               [](const Slot& s, int k) { return s.key < k; });
    return it != stored_.end() && it->key == key;
}

void cls_AgentMapKey2ObjBase::join(cls_Writer& writer) {
    if (joinedWriter_ == &writer)
        return;
    if (joinedWriter_)
        joinedWriter_->StopListening(this);
    joinedWriter_ = &writer;
    writer.Listen(this);
    undo_.clear();
    writtenKeys_.clear();
}

void cls_AgentMapKey2ObjBase::remember(int key) {
    auto it = slotOf(key);
    const bool had = it != stored_.end() && it->key == key;
    undo_.push_back({key, had, had ? *it : Slot{key, 0, 0, 0}});
}

cls_Writer& cls_AgentMapKey2ObjBase::Writer() {
    if (cls_Writer* active = database_->ActiveWriter()) {
        join(*active);
        return *active;
    }
    ownWriter_ = std::make_unique<cls_Writer>(database_);
    join(*ownWriter_);
    return *ownWriter_;
}

void cls_AgentMapKey2ObjBase::CommitWrite() {
    if (!ownWriter_)
        return;
    std::unique_ptr<cls_Writer> writer = std::move(ownWriter_);
    writer->Commit(); // tells this agent through WriteCommitted, or WriteRolledBack and throws
}

void cls_AgentMapKey2ObjBase::AbandonWrite() {
    std::unique_ptr<cls_Writer> writer = std::move(ownWriter_);
    writer.reset(); // rolls back and tells this agent
}

void cls_AgentMapKey2ObjBase::First() {
    walk_.clear();
    walk_.reserve(stored_.size());
    for (const Slot& s : stored_)
        walk_.push_back(s.key);
    position_ = 0;
}

void cls_AgentMapKey2ObjBase::RemoveKey(const int& key) {
    cls_Writer& writer = Writer();
    writer.RemoveMapEntry(mapUid_, key);
    remember(key);
    if (auto it = slotOf(key); it != stored_.end() && it->key == key)
        stored_.erase(it);
    writtenKeys_.push_back(key);
    if (auto at = keptAt(kept_, key); at != kept_.end() && at->first == key)
        kept_.erase(at);
}

void cls_AgentMapKey2ObjBase::Released() {
    std::erase_if(kept_, [this](const auto& k) { return !IsModified(k.first); });
}

void cls_AgentMapKey2ObjBase::Attach(const cls_PC* map) {
    attached_ = map;
    if (createdByWrite_) {
        createdByWrite_ = false;
        bornInWrite_ = true;
        Writer(); // join the write that is storing the map, to hear how it ends
        map->StoreEntries(*this);
    }
}

void cls_AgentMapKey2ObjBase::Detached(const cls_PC* map) {
    if (attached_ == map)
        attached_ = nullptr;
    flushers_.erase(std::remove(flushers_.begin(), flushers_.end(), map), flushers_.end());
}

void cls_AgentMapKey2ObjBase::RecordEntry(int key, std::uint64_t elementUid,
                                          std::uint32_t elementClassId) {
    cls_Writer& writer = Writer();
    remember(key);
    auto it = slotOf(key);
    const bool replaces = it != stored_.end() && it->key == key;
    writer.PutMapEntry(mapUid_, key, elementUid, elementClassId, replaces);
    const Slot slot{key, 0, elementUid, elementClassId};
    if (replaces)
        *it = slot;
    else
        stored_.insert(it, slot);
    writtenKeys_.push_back(key);
}

void cls_AgentMapKey2ObjBase::KeepUntilCommitted(int key, std::shared_ptr<void> handle) {
    if (kept_.empty() || kept_.back().first < key) {
        kept_.emplace_back(key, std::move(handle));
        return;
    }
    auto at = keptAt(kept_, key);
    if (at != kept_.end() && at->first == key)
        at->second = std::move(handle);
    else
        kept_.emplace(at, key, std::move(handle));
}

const void* cls_AgentMapKey2ObjBase::Kept(int key) const {
    auto at = keptAt(kept_, key);
    return at != kept_.end() && at->first == key ? at->second.get() : nullptr;
}

void cls_AgentMapKey2ObjBase::FlushedBy(const cls_PC* map) {
    if (std::find(flushers_.begin(), flushers_.end(), map) == flushers_.end())
        flushers_.push_back(map);
}

void cls_AgentMapKey2ObjBase::WriteCommitted(const cls_Writer&) {
    joinedWriter_ = nullptr;
    for (int key : writtenKeys_)
        modified_.erase(key);
    writtenKeys_.clear();
    undo_.clear();
    flushers_.clear();
    kept_.clear();
    bornInWrite_ = false;
    if (mapRow_ == 0) {
        mapRow_ = database_->RowOf(mapUid_, cls_MapTypeId);
        if (mapRow_ != 0)
            database_->Pin(mapRow_);
    }
}

void cls_AgentMapKey2ObjBase::WriteRolledBack() {
    joinedWriter_ = nullptr;
    for (auto u = undo_.rbegin(); u != undo_.rend(); ++u) {
        auto it = slotOf(u->key);
        const bool has = it != stored_.end() && it->key == u->key;
        if (u->had && has)
            *it = u->before;
        else if (u->had)
            stored_.insert(it, u->before);
        else if (has)
            stored_.erase(it);
    }
    undo_.clear();
    writtenKeys_.clear();
    // The marks were never cleared; the maps that flushed mark themselves changed again.
    for (const cls_PC* map : flushers_)
        map->MarkModified();
    flushers_.clear();
    if (bornInWrite_ && attached_) {
        // The map was never stored: it takes its entries back and drops this agent (which may
        // delete the agent, so nothing follows).
        bornInWrite_ = false;
        attached_->ForgetAgent();
    }
}

void* cls_AgentMapKey2ObjBase::fetchObject(int key, unsigned int typeId) {
    auto it = slotOf(key);
    if (it == stored_.end() || it->key != key)
        database_->Fail("the stored map " + std::to_string(mapRow_) + " holds no entry under key " +
                        std::to_string(key));
    std::uint64_t row = it->row;
    if (row == 0)
        row = database_->RowOf(it->uid, it->classId);
    if (row == 0)
        database_->Fail("internal: entry " + std::to_string(key) + " of stored map " +
                        std::to_string(mapRow_) + " was written by a write that did not commit");
    const cls_ClassMetadata& md = database_->ClassOf(it->classId);
    if (!cls_ClassRegistrar::Current().IsA(it->classId, typeId)) {
        const cls_ClassMetadata* wanted = cls_ClassRegistrar::Current().Find(typeId);
        damagedEntry(key, "it stands under key " + std::to_string(key) + " of stored map " +
                              std::to_string(mapRow_) + ", where a '" +
                              (wanted ? wanted->Name().str() : std::to_string(typeId)) +
                              "' belongs");
    }
    database_->ThrowKeptFailure();
    cls_Reader reader(database_);
    void* object = cls_MementoRead::BuildObject(reader, md, row, it->classId, 0);
    database_->CountFetch();
    return object;
}

void cls_AgentMapKey2ObjBase::damagedEntry(int key, const std::string& problem) const {
    auto it = std::lower_bound(stored_.begin(), stored_.end(), key,
                               [](const Slot& s, int k) { return s.key < k; });
    const std::uint64_t row = it != stored_.end() && it->key == key ? it->row : 0;
    const std::uint32_t classId = it != stored_.end() && it->key == key ? it->classId : 0;
    const cls_ClassMetadata* md = cls_ClassRegistrar::Current().Find(classId);
    database_->Fail("damaged: object " + std::to_string(row) + " (" +
                    (md ? md->Name().str() : "class id " + std::to_string(classId)) +
                    "): " + problem);
}
