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
#pragma once

#include "atr_translate.h"
#include "cls_AgentMapKey2ObjBase.h"
#include "cls_AgentRequestMapKey2Obj.h"
#include "cls_CollectionTypeFix.h"
#include "cls_Codes.h"
#include "cls_PC.h"
#include "cls_ReadVisitor.h"
#include "cls_Uid.h"
#include "cls_WriteVisitor.h"
#include "cow_Btree.h"
#include "cow_BtreeIterator.h"
#include "nex_Message.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

template <class K, class T, class V>
class cls_Map2ObjIter;

template <class K, class T, class V>
class cls_Map2Obj : public cls_PC {
    static_assert(std::is_same_v<K, int>, "cls_Map2Obj is keyed by int");
    static_assert(requires(const T& t, const cls_WriteVisitor& wv) {
        { t.Copy() };
        t.DBWrite(wv);
        { T::TypeId() } -> std::convertible_to<std::uint32_t>;
    }, "cls_Map2Obj<K, T, V> needs T::Copy() const, T::DBWrite(const cls_WriteVisitor&) const "
       "and a static T::TypeId()");

public:
    using Tree = cow_Btree<K, V>;
    using Agent = cls_AgentMapKey2Obj<K>;

    cls_Map2Obj() : agent(nullptr), modified(0), uid(cls_Uid::AllocateUid()) {}

    // Shares the entries (O(1)), the agent, the modified flag and the identity.
    cls_Map2Obj(const cls_Map2Obj& other)
        : tree(other.tree), agent(other.agent), modified(other.modified), uid(other.uid),
          removed_(other.removed_) {
        if (agent) {
            agent->AddReference();
            agent->Attach(this);
        }
    }

    // Reads the stored keys only; every entry starts not loaded. An absent map reads as an
    // empty map in memory.
    explicit cls_Map2Obj(const cls_ReadVisitor& rv)
        : agent(rv.MapAgent()), modified(0), uid(agent ? rv.GetUid() : cls_Uid::AllocateUid()) {
        if (!agent)
            return;
        agent->AddReference();
        // The stored keys come in ascending order: the tree is built at once (what inserting
        // them one by one gives, without the rotations), unless they span more than 2^31.
        std::vector<K> keys;
        for (agent->First(); !agent->IsDone(); agent->Next())
            keys.push_back(agent->CurrentKey());
        if (!tree.FillAscending(keys, V(static_cast<T*>(nullptr))))
            for (const K& key : keys)
                DoInsert(key, static_cast<T*>(nullptr));
        agent->Attach(this);
    }

    cls_Map2Obj& operator=(const cls_Map2Obj& other) {
        if (this == &other)
            return *this;
        Reset();
        Agent* keep = other.agent; // `other` may be a copy that only this map keeps alive
        if (keep)
            keep->AddReference();
        letGoOfAgent();
        tree = other.tree;
        agent = keep;
        modified = other.modified;
        uid = other.uid;
        removed_ = other.removed_;
        if (agent)
            agent->Attach(this);
        return *this;
    }

    // The last copy of a stored map flushes. A destructor cannot throw: a failure is kept by
    // the database, whose next operation throws it, naming the keys that were not written.
    ~cls_Map2Obj() override {
        try {
            letGoOfAgent(true);
        } catch (const std::exception&) {
            // Kept by the database before the agent went.
        }
        Unlink();
    }

    // Class ids, no allocation, O(1).
    static std::uint32_t TypeId() { return cls_MapTypeId; }
    virtual std::uint32_t DynTypeId() const { return TypeId(); }

    // Inserts a private copy of x (allocates it: T::Copy), replacing an entry already under the
    // key, and marks the key changed. O(log n); un-shares the tree's search path.
    bool Insert(const K& key, const T& x) {
        markModified(key);
        return DoInsert(key, x);
    }
    // The same, taking ownership of p.
    bool Insert(const K& key, T* p) {
        markModified(key);
        return DoInsert(key, p);
    }

    // The entry's object, fetched from the store if not loaded yet (once: a loaded entry is
    // never fetched again); marks nothing. A key the map does not hold throws. O(log n), plus
    // one query and the object's allocation on the first read of a stored entry.
    const T& ConstGet(const K& key) const {
        if (const auto* node = tree.ConstFind(key); node && !node->Value().IsNull())
            return *node->Value().ConstPtr();
        return *LoadValue(key).ConstPtr();
    }

    // The entry's object for writing: loads it if needed, marks the key changed, and un-shares
    // the object (and the tree's search path) from other copies of the map. The object a
    // first Get, ConstGet or Insert put in memory is the one every later Get returns.
    T& Get(const K& key) {
        V& value = LoadValue(key);
        markModified(key);
        return value.Get();
    }

    // Drops the object of an unchanged entry of a stored map (it is fetched again on the next
    // read). Changed entries and maps in memory only are left alone. O(log n) per key; the
    // second form walks every key, O(n log n).
    void Release(const K& key) const {
        if (!agent || agent->IsModified(key))
            return;
        if (auto* node = tree.Find(key))
            node->Value() = static_cast<T*>(nullptr);
        agent->Released();
    }
    void Release() const {
        if (!agent)
            return;
        for (const K& key : keys())
            Release(key);
        agent->Released();
    }

    // Writes the changed entries of a stored map and drops stored keys the map no longer
    // holds, in one transaction (the write in progress on the database, if there is one), with
    // every changed entry of the stored maps nested in them. Nothing happens for a map in
    // memory only, an unchanged map, or a database opened read-only. The change marks are
    // cleared once the transaction has committed; if it fails, the map is as it was before the
    // call, every change still marked. Queues one row per changed entry and per removed key:
    // O(changes x log n).
    virtual void Flush() { flushChanges(); }

    // Stops standing for the stored collection: the last copy to detach flushes, loads every
    // entry still in the store (so the map in memory is whole: one query per entry not yet
    // loaded) and takes a new identity.
    virtual void Detach() {
        if (agent) {
            agent->RemoveReference();
            if (agent->ReferenceCount() == 0) {
                Flush();
                for (const K& key : keys())
                    if (const auto* node = tree.ConstFind(key); node && node->Value().IsNull())
                        LoadValue(key);
                delete agent;
                uid.NewUid();
            }
            agent = nullptr;
        }
        Unlink();
    }

    // Stores the map as a collection of its entries. The first write of a map creates its
    // agent, stores every entry (O(n) rows queued), and from then on the objects come from the
    // store; a later write queues the changed entries only.
    virtual void DBWrite(const cls_WriteVisitor& wv) const {
        if (!wv.StartWrite(TypeId(), uid))
            return;
        wv.CheckCollectionType(cls_CollectionTypeFix(cls_CollIntKeyedMap, nullptr));
        if (agent) {
            // Stored here already: its changed entries join this write, so that the file is
            // whole after its commit.
            if (agent->WritesInto(wv.Writer())) {
                if (modified && !agent->WritesBlocked())
                    writeChanges(wv.Writer());
                return;
            }
            // Stored in another database: bring every entry into memory, let go of that
            // database's agent, and store the map here as a new collection.
            for (const K& key : keys())
                if (!IsLoaded(key))
                    LoadValue(key);
            letGoOfAgent();
        }
        agent = wv.CreateMapAgent();
        agent->AddReference();
        agent->Attach(this);
        std::vector<K> stored;
        for (agent->First(); !agent->IsDone(); agent->Next())
            stored.push_back(agent->CurrentKey());
        for (const K& key : stored) {
            // Entering the key not loaded; where the tree holds it, the value is replaced in
            // place, which is what a second insertion does without its removal and rebalancing.
            if (auto* node = tree.Find(key)) {
                node->Value() = static_cast<T*>(nullptr);
                continue;
            }
            std::fputs(atr_translate("cls_Map2Obj::DBWrite - Duplicate key when loading "
                                     "collection from DDB")
                           .c_str(),
                       stderr);
            DoInsert(key, static_cast<T*>(nullptr));
        }
        flushChanges();
    }

    // Removes the key from the tree only: the map is not marked changed, and the stored entry
    // goes at the next flush of a changed map. O(log n).
    bool Remove(const K& key) {
        if (agent)
            removed_.push_back(key);
        return tree.Remove(key);
    }

    // Gives every entry fetched from the store a check it must pass before the map takes it:
    // `check(key, object)` answers what in the object disagrees with where it is stored, or the
    // empty text; a disagreement is refused as damage naming the file, the class and the
    // object. The agent keeps it, so the map's copies share it; a map in memory only, whose
    // entries are all loaded, needs none. Allocates nothing for a check that fits in a pointer.
    template <class Check>
    void CheckFetchedEntries(Check check) {
        static_assert(std::is_invocable_r_v<std::string, Check, const K&, const T&>,
                      "the check takes (const K& key, const T& object) and returns std::string");
        if (agent)
            agent->CheckFetchedEntries([check](int key, const void* object) {
                return check(key, *static_cast<const T*>(object));
            });
    }

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

    // cls_PC: the first write of the map stores every entry through the new agent.
    void StoreEntries(cls_AgentMapKey2ObjBase& a) const override {
        cow_BtreeIterator<K, V> it(tree);
        for (it.First(); !it.IsDone(); it.Next()) {
            if (it.Value().IsNull())
                continue;
            a.KeepUntilCommitted(it.Key(), std::make_shared<V>(it.Value()));
            cls_AgentRequestMapKey2Obj<K> request(&a, it.Key());
            cls_WriteVisitor wv(request, nullptr);
            it.Value()->DBWrite(wv);
        }
    }

    // cls_PC: a write this map flushed into rolled back.
    void MarkModified() const override { modified = 1; }

    // cls_PC: the write that stored the map for the first time failed.
    void ForgetAgent() const override {
        Agent* failed = agent;
        for (const K& key : keys())
            if (const void* kept = failed->Kept(key))
                if (auto* node = tree.Find(key); node && node->Value().IsNull())
                    node->Value() = *static_cast<const V*>(kept);
        agent = nullptr;
        failed->RemoveReference();
        if (failed->ReferenceCount() == 0)
            delete failed;
    }

private:
    friend class cls_Map2ObjIter<K, T, V>;

    // Where a missing entry and an entry without object (in a map in memory) are reported.
    static constexpr const char* kSourceFile = "generated/include/cls_Map2Obj";
    static constexpr int kNoEntryLine = 334;
    static constexpr int kNoObjectLine = 341;

    bool DoInsert(const K& key, const T& x) {
        if (tree.InsertUnlessMember(key, V(static_cast<T*>(x.Copy()))))
            return true;
        tree.Remove(key);
        return tree.InsertUnlessMember(key, V(static_cast<T*>(x.Copy())));
    }

    // Const for DBWrite, which enters the stored keys not loaded.
    bool DoInsert(const K& key, T* p) const {
        const V value(p); // the one handle that owns p, through both attempts
        if (tree.InsertUnlessMember(key, value))
            return true;
        tree.Remove(key);
        return tree.InsertUnlessMember(key, value);
    }

    // The entry's value handle, holding its object: fetched from the store when the entry is
    // not loaded. A key the map does not hold throws, naming the key (and the file).
    V& LoadValue(const K& key) const {
        auto* node = tree.Find(key);
        if (!node) {
            const std::string problem = "the map holds no entry under key " + std::to_string(key);
            if (agent)
                agent->Fail(problem);
            nex_Message::Raise(kSourceFile, kNoEntryLine, "cls_Map2Obj: %1$s", problem);
        }
        V& slot = node->Value();
        if (slot.IsNull()) {
            if (!agent)
                nex_Message::Raise(kSourceFile, kNoObjectLine,
                                   "cls_Map2Obj: the entry under key %1$s holds no object", key);
            slot = agent->template Fetch<T>(key, T::TypeId());
        }
        return slot;
    }

    // Queues the changed entries and the removed keys into `writer`; the agent hears whether
    // the write commits. Costs O(changes x log n): the changed keys come from the agent and the
    // removed ones from this map's own record of its removals, not from a walk of every key.
    void writeChanges(cls_Writer& writer) const {
        (void)writer; // entries reach it through the agent, which joined it
        agent->FlushedBy(this);
        for (const K key : agent->ModifiedKeys()) {
            const auto* node = tree.ConstFind(key);
            if (!node || node->Value().IsNull())
                continue;
            cls_AgentRequestMapKey2Obj<K> request(agent, key);
            cls_WriteVisitor wv(request, nullptr);
            node->Value().ConstPtr()->DBWrite(wv);
        }
        // Stored keys the map no longer holds; a removal already stored is forgotten.
        std::sort(removed_.begin(), removed_.end());
        removed_.erase(std::unique(removed_.begin(), removed_.end()), removed_.end());
        std::erase_if(removed_, [this](const K& key) {
            return tree.ConstFind(key) != nullptr || !agent->HoldsKey(key);
        });
        for (const K key : removed_)
            agent->RemoveKey(key);
    }

    // Writes the changed entries in a transaction of their own (see Flush); const because a
    // store (DBWrite) and the last copy's release flush too.
    void flushChanges() const {
        if (!agent || !modified || agent->WritesBlocked())
            return;
        modified = 0;
        try {
            writeChanges(agent->Writer());
            agent->CommitWrite();
        } catch (...) {
            modified = 1;
            if (agent)
                agent->AbandonWrite();
            throw;
        }
    }

    void markModified(const K& key) {
        if (agent)
            agent->SetModified(key);
        modified = 1;
    }

    std::vector<K> keys() const {
        std::vector<K> all;
        all.reserve(tree.Count());
        cow_BtreeIterator<K, V> it(tree);
        for (it.First(); !it.IsDone(); it.Next())
            all.push_back(it.Key());
        return all;
    }

    // Drops this map's share of the agent; the last share flushes and deletes it. From the
    // destructor (`keepFailure`), a failed flush is also kept by the database.
    void letGoOfAgent(bool keepFailure = false) const {
        if (!agent)
            return;
        Agent* old = agent;
        agent = nullptr;
        old->Detached(this);
        old->RemoveReference();
        if (old->ReferenceCount() == 0) {
            agent = old; // the flush writes through it
            try {
                flushChanges();
            } catch (const std::exception& e) {
                if (keepFailure) {
                    std::string keys;
                    for (int key : old->ModifiedKeys())
                        keys += (keys.empty() ? "" : ", ") + std::to_string(key);
                    old->KeepFailure("the changes of a stored map under keys " + keys +
                                     " were not written (" + e.what() + ")");
                }
                agent = nullptr;
                delete old;
                throw;
            }
            agent = nullptr;
            delete old;
        }
    }

    // Fetching an entry on a const read, and linking to the store on a const DBWrite, change
    // these: they are the map's link to its stored form, not its value.
    mutable Tree tree;
    mutable Agent* agent;
    mutable int modified;
    cls_Uid uid;
    mutable std::vector<K> removed_; // keys removed since they were last stored (may repeat)
};

// Walks a map in key order, loading entries as they are read.
template <class K, class T, class V>
class cls_Map2ObjIter {
public:
    explicit cls_Map2ObjIter(const cls_Map2Obj<K, T, V>& map) : map_(&map), it_(map.tree) {}
    // A copy starts unpositioned, whatever the position of the original.
    cls_Map2ObjIter(const cls_Map2ObjIter& other) : map_(other.map_), it_(other.map_->tree) {}

    void First() { it_.First(); }
    void Next() { it_.Next(); }
    void Last() { it_.Last(); }
    void Previous() { it_.Previous(); }
    bool IsDone() const { return it_.IsDone(); }
    const K& CurrentKey() const { return it_.Key(); }

    // The current entry's object, fetched from the store when not loaded.
    const T& CurrentValue() const {
        if (!it_.Value().IsNull())
            return *it_.Value().ConstPtr();
        return map_->ConstGet(it_.Key());
    }

private:
    const cls_Map2Obj<K, T, V>* map_;
    cow_BtreeIterator<K, V> it_;
};
