// A persistent map from int keys to polymorphic objects.
//
// In memory it is a copy-on-write tree (copies are O(1) and share entries). Once stored, an
// agent stands for the stored collection: reading a stored map reads its keys only, each object
// is fetched on its first read, changed entries are marked and written back by Flush, and copies
// of the map share the agent; the last copy to go flushes.
//
//   cls_Map2Obj<int, Set, cow_ArrayCOW<Set, cow_Virtual<Set>>> sets;
//   sets.Insert(3, set);                       // keeps its own copy
//   const Set& s = sets.ConstGet(3);           // fetched from the store if not loaded
//   sets.Get(3).Rename("x");                   // marks key 3 changed; may copy the entry
//
// This header declares the map, so that a class holding one compiles without the agent, the
// visitors or the messages; T may still be incomplete here. The members that fetch, write or
// throw are defined in cls_Map2ObjDefs.h: the module instantiates its own maps explicitly
// beside their entry classes (and declares them `extern template`), and code that makes a map
// of a new entry type includes cls_Map2ObjDefs.h itself.
#pragma once

#include "cls_Codes.h"
#include "cls_PC.h"
#include "cls_Uid.h"
#include "cow_Btree.h"

#include <cstdint>
#include <vector>

class cls_ReadVisitor;
class cls_WriteVisitor;
class cls_Writer;
template <class K>
class cls_AgentMapKey2Obj;
template <class K, class T, class V>
class cls_Map2ObjIter;

template <class K, class T, class V>
class cls_Map2Obj : public cls_PC {
public:
    using Tree = cow_Btree<K, V>;
    using Agent = cls_AgentMapKey2Obj<K>;

    // An empty map in memory only; allocates nothing but its identity. O(1).
    cls_Map2Obj() : agent(nullptr), modified(0), uid(cls_Uid::AllocateUid()) {}

    // Shares the entries (O(1)), the agent, the modified flag and the identity.
    cls_Map2Obj(const cls_Map2Obj& other);

    // Reads the stored keys only (one query, O(n) to build the tree); every entry starts not
    // loaded. An absent map reads as an empty map in memory.
    explicit cls_Map2Obj(const cls_ReadVisitor& rv);

    // Shares the other's entries and agent (O(1)); letting go of this map's own agent may
    // flush it, as the destruction of its last copy does.
    cls_Map2Obj& operator=(const cls_Map2Obj& other);

    // The last copy of a stored map flushes. A destructor cannot throw: a failure is kept by
    // the database, whose next operation throws it, naming the keys that were not written.
    ~cls_Map2Obj() override;

    // Class ids, no allocation, O(1).
    static std::uint32_t TypeId() { return cls_MapTypeId; }
    virtual std::uint32_t DynTypeId() const { return TypeId(); }

    // Inserts a private copy of x (allocates it: T::Copy), replacing an entry already under the
    // key, and marks the key changed. O(log n); un-shares the tree's search path.
    bool Insert(const K& key, const T& x);
    // The same, taking ownership of p (no copy).
    bool Insert(const K& key, T* p);

    // The entry's object, fetched from the store if not loaded yet (once: a loaded entry is
    // never fetched again); marks nothing. A key the map does not hold throws. O(log n), plus
    // one query and the object's allocation on the first read of a stored entry. The search
    // of a loaded entry is inline; only the fetch and the failures are out of line.
    const T& ConstGet(const K& key) const {
        if (const auto* node = tree.ConstFind(key); node && !node->Value().IsNull())
            return *node->Value().ConstPtr();
        return *LoadValue(key).ConstPtr();
    }

    // The entry's object for writing: loads it if needed (one query), marks the key changed,
    // and un-shares the object (a copy through T::Copy) and the tree's search path from other
    // copies of the map. The object a first Get, ConstGet or Insert put in memory is the one
    // every later Get returns. O(log n).
    T& Get(const K& key);

    // Drops the object of an unchanged entry of a stored map (it is fetched again on the next
    // read). Changed entries and maps in memory only are left alone. O(log n) per key; the
    // second form walks every key, O(n log n), and allocates the list of keys.
    void Release(const K& key) const;
    void Release() const;

    // Writes the changed entries of a stored map and drops stored keys the map no longer
    // holds, in one transaction (the write in progress on the database, if there is one), with
    // every changed entry of the stored maps nested in them. Nothing happens for a map in
    // memory only, an unchanged map, or a database opened read-only. The change marks are
    // cleared once the transaction has committed; if it fails, the map is as it was before the
    // call, every change still marked. Queues one row per changed entry and per removed key:
    // O(changes x log n).
    virtual void Flush();

    // Stops standing for the stored collection: the last copy to detach flushes, loads every
    // entry still in the store (so the map in memory is whole: one query per entry not yet
    // loaded) and takes a new identity.
    virtual void Detach();

    // Stores the map as a collection of its entries. The first write of a map creates its
    // agent, stores every entry (O(n) rows queued), and from then on the objects come from the
    // store; a later write queues the changed entries only. A map stored in another database
    // first fetches every entry not yet loaded (one query each).
    virtual void DBWrite(const cls_WriteVisitor& wv) const;

    // Removes the key from the tree only: the map is not marked changed, and the stored entry
    // goes at the next flush of a changed map. O(log n); may un-share the search path.
    bool Remove(const K& key);

    // Gives every entry fetched from the store a check it must pass before the map takes it:
    // `check(key, object)` answers what in the object disagrees with where it is stored, or the
    // empty text; a disagreement is refused as damage naming the file, the class and the
    // object. The agent keeps it, so the map's copies share it; a map in memory only, whose
    // entries are all loaded, needs none. Allocates nothing for a check that fits in a pointer.
    // Defined with the fetch, in cls_Map2ObjDefs.h.
    template <class Check>
    void CheckFetchedEntries(Check check);

    // Read from the tree in memory: no query, no copy. Count is O(1), the key tests O(log n).
    int Count() const { return tree.Count(); }
    bool IsMember(const K& key) const { return tree.ConstFind(key) != nullptr; }
    // The entry is in memory (not waiting to be fetched).
    bool IsLoaded(const K& key) const {
        const auto* node = tree.ConstFind(key);
        return node && !node->Value().IsNull();
    }
    bool IsStored() const { return agent != nullptr; }
    const cls_Uid& Uid() const { return uid; }
    const Tree& Entries() const { return tree; }

    // cls_PC: the first write of the map stores every entry through the new agent; queues one
    // record per loaded entry and keeps a shared handle of each until the commit.
    void StoreEntries(cls_AgentMapKey2ObjBase& a) const override;

    // cls_PC: a write this map flushed into rolled back. O(1).
    void MarkModified() const override { modified = 1; }

    // cls_PC: the write that stored the map for the first time failed; takes back the entries
    // the agent kept (shares them, O(n log n)) and deletes the agent.
    void ForgetAgent() const override;

private:
    friend class cls_Map2ObjIter<K, T, V>;

    // Where a missing entry and an entry without object (in a map in memory) are reported.
    static constexpr const char* kSourceFile = "generated/include/cls_Map2Obj";
    static constexpr int kNoEntryLine = 334;
    static constexpr int kNoObjectLine = 341;

    bool DoInsert(const K& key, const T& x);
    // Const for DBWrite, which enters the stored keys not loaded.
    bool DoInsert(const K& key, T* p) const;

    // The entry's value handle, holding its object: fetched from the store when the entry is
    // not loaded. A key the map does not hold throws, naming the key (and the file).
    V& LoadValue(const K& key) const;

    // Queues the changed entries and the removed keys into `writer`; the agent hears whether
    // the write commits.
    void writeChanges(cls_Writer& writer) const;
    // Writes the changed entries in a transaction of their own (see Flush); const because a
    // store (DBWrite) and the last copy's release flush too.
    void flushChanges() const;
    void markModified(const K& key);
    std::vector<K> keys() const;
    // Drops this map's share of the agent; the last share flushes and deletes it. From the
    // destructor (`keepFailure`), a failed flush is also kept by the database.
    void letGoOfAgent(bool keepFailure = false) const;

    // Fetching an entry on a const read, and linking to the store on a const DBWrite, change
    // these: they are the map's link to its stored form, not its value.
    mutable Tree tree;
    mutable Agent* agent;
    mutable int modified;
    cls_Uid uid;
    mutable std::vector<K> removed_; // keys removed since they were last stored (may repeat)
};
