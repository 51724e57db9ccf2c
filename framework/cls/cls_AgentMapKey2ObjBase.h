// The agent of one stored int-keyed map: it knows the map's stored keys, fetches entries on
// demand, records which entries changed, and writes entries back.
//
// Several copies of a map share one agent (reference counted by the maps themselves). Writes
// go into the database's write in progress when there is one, otherwise into a write of the
// agent's own that CommitWrite commits.
#pragma once

#include "cls_ClassRegistrar.h"
#include "cls_Database.h"
#include "cls_MementoRead.h"
#include "cls_ReadVisitor.h"
#include "cls_Reader.h"
#include "cow_ArrayCOW.h"
#include "cow_Virtual.h"

#include <memory>
#include <set>
#include <unordered_map>
#include <vector>

class cls_PC;
class cls_Writer;

class cls_AgentMapKey2ObjBase {
public:
    // `createdByWrite`: the agent of a map being stored for the first time; attaching the map
    // then stores all of its entries.
    cls_AgentMapKey2ObjBase(std::shared_ptr<cls_Database> database, std::uint64_t mapOid,
                            bool createdByWrite);
    virtual ~cls_AgentMapKey2ObjBase();
    cls_AgentMapKey2ObjBase(const cls_AgentMapKey2ObjBase&) = delete;
    cls_AgentMapKey2ObjBase& operator=(const cls_AgentMapKey2ObjBase&) = delete;

    // Commits the agent's own write, if it started one.
    void CommitWrite();
    // Rolls back the agent's own write, if it started one (a flush that failed half way).
    void AbandonWrite();

    // Walks the stored keys in ascending order (a snapshot taken by First).
    void First();
    void Next() { ++position_; }
    bool IsDone() const { return position_ >= walk_.size(); }
    const int& CurrentKey() const { return walk_[position_]; }

    bool IsModified(const int& key) const { return modified_.count(key) != 0; }
    void SetModified(const int& key) { modified_.insert(key); }
    void RemoveKey(const int& key);

    void AddReference() { ++references_; }
    void RemoveReference() { --references_; }
    int ReferenceCount() const { return references_; }
    // The map dropped its unchanged objects: so do we.
    void Released();
    bool WritesBlocked() const { return database_->IsReadOnly(); }
    void Attach(cls_PC* map);
    // The map object goes away: forget it if it is the one attached.
    void Detached(const cls_PC* map) {
        if (attached_ == map)
            attached_ = nullptr;
    }

    // Entry requests record a written entry here.
    void RecordEntry(int key, cls_Database::Reference element);
    // Keeps the handle of an entry written in a write that has not committed yet, so the
    // object is not lost if that write fails. O(1) for keys given in ascending order, as a
    // map's first write gives them.
    void KeepUntilCommitted(int key, std::shared_ptr<void> handle);
    cls_Writer& Writer();
    std::uint64_t MapOid() const { return mapOid_; }
    const cls_Database* Database() const { return database_.get(); }
    const std::vector<int>& StoredKeys() const { return keys_; }

    // Called by the write the agent wrote into.
    void WriteCommitted();
    void WriteRolledBack();

    // The stored object of `key`, built anew (or the handle kept from an uncommitted write);
    // an empty handle when the store has no such key.
    template <class T>
    cow_ArrayCOW<T, cow_Virtual<T>> Fetch(const int& key, unsigned int typeId);
    // The handle kept for `key` by KeepUntilCommitted, or null.
    const void* Kept(int key) const;

private:
    // Reads the entry's row and builds the object; null when the key is not stored.
    void* fetchObject(int key, unsigned int typeId);

    std::shared_ptr<cls_Database> database_;
    std::uint64_t mapOid_;
    bool createdByWrite_;
    std::vector<int> keys_;
    std::vector<int> walk_;
    std::size_t position_ = 0;
    std::set<int> modified_;
    int references_ = 0;
    cls_PC* attached_ = nullptr;
    bool bornInWrite_ = false; // stored for the first time by a write not yet committed
    std::unique_ptr<cls_Writer> ownWriter_;
    cls_Writer* joinedWriter_ = nullptr;
    // The handles kept until the write commits, sorted by key. A sorted vector rather than a
    // hash map: a map's first write gives the keys in ascending order, so each handle is
    // appended, where a node-based map allocated a node per entry and rehashed as it grew.
    std::vector<std::pair<int, std::shared_ptr<void>>> pending_;
};

template <class T>
cow_ArrayCOW<T, cow_Virtual<T>> cls_AgentMapKey2ObjBase::Fetch(const int& key, unsigned int typeId) {
    using Handle = cow_ArrayCOW<T, cow_Virtual<T>>;
    if (const void* kept = Kept(key))
        return *static_cast<const Handle*>(kept);
    return Handle(static_cast<T*>(fetchObject(key, typeId)));
}

// The agent as the object map names it.
template <class K>
class cls_AgentMapKey2Obj : public cls_AgentMapKey2ObjBase {
    static_assert(std::is_same_v<K, int>, "stored maps are keyed by int");

public:
    using cls_AgentMapKey2ObjBase::cls_AgentMapKey2ObjBase;
};
