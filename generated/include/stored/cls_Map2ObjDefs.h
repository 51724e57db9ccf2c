// The member definitions of cls_Map2Obj: fetching entries through the agent, writing changes,
// and the failures. Included by the .cpp file that instantiates a map for its entry type
// (`template class cls_Map2Obj<int, rgnC_SubsetData, ...>;`) and by code that makes a map of
// a type nobody instantiates for it; users of an instantiated map need only cls_Map2Obj.h.
#pragma once

#include "atr_translate.h"
#include "cls_AgentMapKey2ObjBase.h"
#include "cls_AgentRequestMapKey2Obj.h"
#include "cls_CollectionTypeFix.h"
#include "cls_Map2Obj.h"
#include "cls_ReadVisitor.h"
#include "cls_WriteVisitor.h"
#include "cow_BtreeIterator.h"
#include "nex_Message.h"

#include <algorithm>
#include <concepts>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <type_traits>

// What an entry type must provide; checked where the map's members are instantiated, since
// the declaration lets T be incomplete.
template <class T>
concept cls_Map2ObjEntry = requires(const T& t, const cls_WriteVisitor& wv) {
    { t.Copy() };
    t.DBWrite(wv);
    { T::TypeId() } -> std::convertible_to<std::uint32_t>;
};

template <class K, class T, class V>
cls_Map2Obj<K, T, V>::cls_Map2Obj(const cls_Map2Obj& other)
    : tree(other.tree), agent(other.agent), modified(other.modified), uid(other.uid),
      removed_(other.removed_) {
    if (agent) {
        agent->AddReference();
        agent->Attach(this);
    }
}

template <class K, class T, class V>
cls_Map2Obj<K, T, V>::cls_Map2Obj(const cls_ReadVisitor& rv)
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

template <class K, class T, class V>
cls_Map2Obj<K, T, V>& cls_Map2Obj<K, T, V>::operator=(const cls_Map2Obj& other) {
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

template <class K, class T, class V>
cls_Map2Obj<K, T, V>::~cls_Map2Obj() {
    static_assert(std::is_same_v<K, int>, "cls_Map2Obj is keyed by int");
    static_assert(cls_Map2ObjEntry<T>,
                  "cls_Map2Obj<K, T, V> needs T::Copy() const, T::DBWrite(const "
                  "cls_WriteVisitor&) const and a static T::TypeId()");
    try {
        letGoOfAgent(true);
    } catch (const std::exception&) {
        // Kept by the database before the agent went.
    }
    Unlink();
}

template <class K, class T, class V>
bool cls_Map2Obj<K, T, V>::Insert(const K& key, const T& x) {
    markModified(key);
    return DoInsert(key, x);
}

template <class K, class T, class V>
bool cls_Map2Obj<K, T, V>::Insert(const K& key, T* p) {
    markModified(key);
    return DoInsert(key, p);
}

template <class K, class T, class V>
T& cls_Map2Obj<K, T, V>::Get(const K& key) {
    V& value = LoadValue(key);
    markModified(key);
    return value.Get();
}

template <class K, class T, class V>
void cls_Map2Obj<K, T, V>::Release(const K& key) const {
    if (!agent || agent->IsModified(key))
        return;
    if (auto* node = tree.Find(key))
        node->Value() = static_cast<T*>(nullptr);
    agent->Released();
}

template <class K, class T, class V>
void cls_Map2Obj<K, T, V>::Release() const {
    if (!agent)
        return;
    for (const K& key : keys())
        Release(key);
    agent->Released();
}

template <class K, class T, class V>
void cls_Map2Obj<K, T, V>::Flush() {
    flushChanges();
}

template <class K, class T, class V>
void cls_Map2Obj<K, T, V>::Detach() {
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

template <class K, class T, class V>
void cls_Map2Obj<K, T, V>::DBWrite(const cls_WriteVisitor& wv) const {
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

template <class K, class T, class V>
bool cls_Map2Obj<K, T, V>::Remove(const K& key) {
    if (agent)
        removed_.push_back(key);
    return tree.Remove(key);
}

template <class K, class T, class V>
template <class Check>
void cls_Map2Obj<K, T, V>::CheckFetchedEntries(Check check) {
    static_assert(std::is_invocable_r_v<std::string, Check, const K&, const T&>,
                  "the check takes (const K& key, const T& object) and returns std::string");
    if (agent)
        agent->CheckFetchedEntries([check](int key, const void* object) {
            return check(key, *static_cast<const T*>(object));
        });
}

template <class K, class T, class V>
void cls_Map2Obj<K, T, V>::StoreEntries(cls_AgentMapKey2ObjBase& a) const {
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

template <class K, class T, class V>
void cls_Map2Obj<K, T, V>::ForgetAgent() const {
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

template <class K, class T, class V>
bool cls_Map2Obj<K, T, V>::DoInsert(const K& key, const T& x) {
    if (tree.InsertUnlessMember(key, V(static_cast<T*>(x.Copy()))))
        return true;
    tree.Remove(key);
    return tree.InsertUnlessMember(key, V(static_cast<T*>(x.Copy())));
}

template <class K, class T, class V>
bool cls_Map2Obj<K, T, V>::DoInsert(const K& key, T* p) const {
    const V value(p); // the one handle that owns p, through both attempts
    if (tree.InsertUnlessMember(key, value))
        return true;
    tree.Remove(key);
    return tree.InsertUnlessMember(key, value);
}

template <class K, class T, class V>
V& cls_Map2Obj<K, T, V>::LoadValue(const K& key) const {
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

// Costs O(changes x log n): the changed keys come from the agent and the removed ones from
// this map's own record of its removals, not from a walk of every key.
template <class K, class T, class V>
void cls_Map2Obj<K, T, V>::writeChanges(cls_Writer& writer) const {
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

template <class K, class T, class V>
void cls_Map2Obj<K, T, V>::flushChanges() const {
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

template <class K, class T, class V>
void cls_Map2Obj<K, T, V>::markModified(const K& key) {
    if (agent)
        agent->SetModified(key);
    modified = 1;
}

template <class K, class T, class V>
std::vector<K> cls_Map2Obj<K, T, V>::keys() const {
    std::vector<K> all;
    all.reserve(tree.Count());
    cow_BtreeIterator<K, V> it(tree);
    for (it.First(); !it.IsDone(); it.Next())
        all.push_back(it.Key());
    return all;
}

template <class K, class T, class V>
void cls_Map2Obj<K, T, V>::letGoOfAgent(bool keepFailure) const {
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
