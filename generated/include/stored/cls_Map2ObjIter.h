// Walks a stored object map (cls_Map2Obj) in key order, loading entries as they are read.
//
//   cls_Map2ObjIter<int, Set, cow_ArrayCOW<Set, cow_Virtual<Set>>> it(sets);
//   for (it.First(); !it.IsDone(); it.Next())
//       use(it.CurrentKey(), it.CurrentValue());   // fetches an entry not yet loaded
#pragma once

#include "cls_Map2Obj.h"
#include "cow_BtreeIterator.h"

template <class K, class T, class V>
class cls_Map2ObjIter {
public:
    // Unpositioned; shares nothing with the map but a pointer to it (the map must outlive it).
    explicit cls_Map2ObjIter(const cls_Map2Obj<K, T, V>& map) : map_(&map), it_(map.tree) {}
    // A copy starts unpositioned, whatever the position of the original.
    cls_Map2ObjIter(const cls_Map2ObjIter& other) : map_(other.map_), it_(other.map_->tree) {}

    // Moves in the tree in memory: no query, no copy; O(log n) at worst per step.
    void First() { it_.First(); }
    void Next() { it_.Next(); }
    void Last() { it_.Last(); }
    void Previous() { it_.Previous(); }
    bool IsDone() const { return it_.IsDone(); }
    const K& CurrentKey() const { return it_.Key(); }

    // The current entry's object, fetched from the store when not loaded (one query, once).
    const T& CurrentValue() const {
        if (!it_.Value().IsNull())
            return *it_.Value().ConstPtr();
        return map_->ConstGet(it_.Key());
    }

private:
    const cls_Map2Obj<K, T, V>* map_;
    cow_BtreeIterator<K, V> it_;
};
