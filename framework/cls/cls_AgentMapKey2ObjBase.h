// The agent of one stored int-keyed map: it knows the map's stored entries, fetches them on
// demand, records which entries changed, and queues entries into writes.
//
// Several copies of a map share one agent (reference counted by the maps themselves). Entries
// go into the database's write in progress when there is one, otherwise into a write of the
// agent's own that CommitWrite commits. The agent listens to the writes it put entries into:
// a change mark is cleared only once the write that stored the entry has committed, and a
// write that rolls back leaves every mark, and the stored keys, as they were before it.
#pragma once

#include "cls_WriteListener.h"
#include "cow_ArrayCOW.h"
#include "cow_Virtual.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

class cls_Database;
class cls_PC;
class cls_Writer;

class cls_AgentMapKey2ObjBase : public cls_WriteListener {
public:
    // The agent of the map `mapUid` stored in row `mapRow`, whose entries are read here; or,
    // with `mapRow` 0, the agent that a map's first write makes (its entries come when the map
    // is attached). With a row: one query for the map's entries (read ahead with the maps stored
    // after it), a slot allocated per entry, O(entries), and the row pinned. With 0: no query.
    cls_AgentMapKey2ObjBase(std::shared_ptr<cls_Database> database, std::uint64_t mapUid,
                            std::uint64_t mapRow);
    // Leaves the write it joined (O(listeners of that write)); an own write never committed
    // rolls back with no file access; unpins the row.
    virtual ~cls_AgentMapKey2ObjBase();
    cls_AgentMapKey2ObjBase(const cls_AgentMapKey2ObjBase&) = delete;
    cls_AgentMapKey2ObjBase& operator=(const cls_AgentMapKey2ObjBase&) = delete;

    // Commits the agent's own write, if it started one: one transaction, with the commit's
    // syncs (see cls_Writer::Commit). Nothing otherwise.
    void CommitWrite();
    // Rolls back the agent's own write, if it started one (a flush that failed half way). Nothing
    // had reached the file: the queue is dropped.
    void AbandonWrite();

    // Walks the stored keys in ascending order (a snapshot taken by First: the keys copied into
    // a vector, O(entries), no query). The other three are O(1).
    void First();
    void Next() { ++position_; }
    bool IsDone() const { return position_ >= walk_.size(); }
    const int& CurrentKey() const { return walk_[position_]; }

    // The change marks, a std::set: O(log changed); a new mark allocates a node.
    bool IsModified(const int& key) const { return modified_.count(key) != 0; }
    void SetModified(const int& key) { modified_.insert(key); }
    // The keys changed and not yet stored, in ascending order: copied into a new vector,
    // O(changed).
    std::vector<int> ModifiedKeys() const { return {modified_.begin(), modified_.end()}; }
    // Queues the removal of a stored entry into the current write (may start one); nothing
    // reaches the file before commit. O(entries): the slot is erased from a sorted vector.
    void RemoveKey(const int& key);

    // Plain counts, O(1).
    void AddReference() { ++references_; }
    void RemoveReference() { --references_; }
    int ReferenceCount() const { return references_; }
    // The map dropped its unchanged objects: so do we. O(kept handles); frees the dropped ones.
    void Released();
    // O(1), no query.
    bool WritesBlocked() const;
    // Remembers the map, O(1). After the map's first write it also queues every entry
    // (StoreEntries): O(entries), a kept handle each, nothing reaching the file before commit.
    void Attach(const cls_PC* map);
    // The map object goes away: forget it wherever it is remembered. O(maps flushed into the
    // joined write).
    void Detached(const cls_PC* map);

    // The write entries go into: the database's write in progress (joined), else a new write of
    // the agent's own. May start a transaction-to-be; nothing reaches the file before commit.
    // O(1); allocates the writer when it starts one.
    cls_Writer& Writer();
    // Entry requests queue a written entry here: O(log entries) to find the key; a new key amid
    // the stored ones moves the slots after it (appended when keys come in ascending order).
    void RecordEntry(int key, std::uint64_t elementUid, std::uint32_t elementClassId);
    // Keeps the handle of an entry written in a write that has not committed yet, so the object
    // is not lost if that write fails. O(1) for keys given in ascending order, as a map's first
    // write gives them.
    void KeepUntilCommitted(int key, std::shared_ptr<void> handle);
    // The map flushed its changes into the current write: it hears if that write rolls back.
    // O(maps flushed into that write).
    void FlushedBy(const cls_PC* map);

    // Clears the marks of the keys the write stored (O(keys written · log changed)) and frees
    // the kept handles; after the map's first write, finds its row (one lock, no query).
    void WriteCommitted(const cls_Writer& writer) override;
    // Undoes the write's changes to the stored keys, newest first (O(keys written · entries) at
    // worst), marks the flushed maps changed again; no file access.
    void WriteRolledBack() override;

    // The stored object of `key`, built anew (or the handle kept from an uncommitted write).
    // A key the store does not hold raises an exception naming the key and the file.
    // Allocates the object and reads its record (its row read ahead with its neighbours, one
    // query on a miss) and what it holds; a kept handle is shared instead, O(log kept).
    template <class T>
    cow_ArrayCOW<T, cow_Virtual<T>> Fetch(const int& key, unsigned int typeId);
    // The handle kept for `key` by KeepUntilCommitted, or null. O(log kept), no copy.
    const void* Kept(int key) const;

    // A check that every object fetched from the store passes: given the key and the object
    // built, it answers what disagrees with where the object is stored, or the empty text.
    // A disagreement is refused as damage, naming the file, the class and the object.
    using EntryCheck = std::function<std::string(int key, const void* object)>;
    void CheckFetchedEntries(EntryCheck check) { entryCheck_ = std::move(check); }

    // No copy, no query, O(1).
    std::uint64_t MapUid() const { return mapUid_; }
    cls_Database& Database() const { return *database_; }
    // Whether `writer` writes into this agent's database (a map stored there joins its write).
    // O(1).
    bool WritesInto(const cls_Writer& writer) const;
    // The database's refusal of `problem`, naming its file.
    [[noreturn]] void Fail(const std::string& problem) const;
    // Kept by the database for its next operation to throw (a destructor cannot). Copies the
    // text.
    void KeepFailure(const std::string& problem) const;
    // Binary search of the stored keys: O(log entries), no query.
    bool HoldsKey(int key) const;

private:
    // Where an entry's object is: its row, or (row 0) the identity of an object this process
    // stored, whose row the database knows.
    struct Slot {
        int key;
        std::uint64_t row;
        std::uint64_t uid;
        std::uint32_t classId;
    };

    std::vector<Slot>::iterator slotOf(int key);
    void remember(int key);
    void join(cls_Writer& writer);
    void* fetchObject(int key, unsigned int typeId);
    [[noreturn]] void damagedEntry(int key, const std::string& problem) const;
    void checkUnchanged() const;

    std::shared_ptr<cls_Database> database_;
    std::uint64_t mapUid_;
    std::uint64_t mapRow_; // pinned while the agent lives; 0 until the map is stored
    std::vector<Slot> stored_;
    // How to undo the joined write's changes to stored_, newest last: the key and its slot
    // before (absent when `had` is false).
    struct Undo {
        int key;
        bool had;
        Slot before;
    };
    std::vector<Undo> undo_;
    std::vector<int> walk_;
    std::size_t position_ = 0;
    std::set<int> modified_;
    std::vector<int> writtenKeys_; // put or removed in the joined write
    std::vector<const cls_PC*> flushers_;
    int references_ = 0;
    const cls_PC* attached_ = nullptr;
    bool createdByWrite_;
    bool bornInWrite_ = false; // stored for the first time by a write not yet committed
    std::unique_ptr<cls_Writer> ownWriter_;
    cls_Writer* joinedWriter_ = nullptr;
    // The handles kept until the write commits, sorted by key. A sorted vector rather than a
    // hash map: a map's first write gives the keys in ascending order, so each handle is
    // appended, where a node-based map allocated a node per entry and rehashed as it grew.
    std::vector<std::pair<int, std::shared_ptr<void>>> kept_;
    EntryCheck entryCheck_;
};

template <class T>
cow_ArrayCOW<T, cow_Virtual<T>> cls_AgentMapKey2ObjBase::Fetch(const int& key, unsigned int typeId) {
    using Handle = cow_ArrayCOW<T, cow_Virtual<T>>;
    if (const void* kept = Kept(key))
        return *static_cast<const Handle*>(kept);
    Handle fetched(static_cast<T*>(fetchObject(key, typeId)));
    // Read after another connection changed the file, the object could mix two states.
    checkUnchanged();
    if (entryCheck_)
        if (const std::string problem = entryCheck_(key, fetched.ConstPtr()); !problem.empty())
            damagedEntry(key, problem);
    return fetched;
}

// The agent as the object map names it.
template <class K>
class cls_AgentMapKey2Obj : public cls_AgentMapKey2ObjBase {
    static_assert(std::is_same_v<K, int>, "stored maps are keyed by int");

public:
    using cls_AgentMapKey2ObjBase::cls_AgentMapKey2ObjBase;
};
