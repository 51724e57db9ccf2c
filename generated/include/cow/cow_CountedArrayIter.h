// Walks the Count() elements of a list over a blocked array (cow_List, cow_1DArrayList) in
// order. Holds a shared copy of the list's array (O(1)), so later writes to the list do not show
// through.
//
//   for (cow_ListIter<int> it(list); it.More(); it.Next())
//       use(it.Value());
#pragma once

#include "cow_1DArrayIter.h"
#include "cow_CountedArray.h"

template <class T>
class cow_CountedArrayIter {
public:
    explicit cow_CountedArrayIter(const cow_CountedArray<T>& list)
        : walk_(list.Array(), list.Count()) {}

    cow_CountedArrayIter& First() {
        walk_.First();
        return *this;
    }
    cow_CountedArrayIter& Next() {
        walk_.Next();
        return *this;
    }
    bool More() const { return walk_.More(); }
    const T& Value() const { return walk_.Value(); }
    int Index() const { return walk_.Index(); }

private:
    cow_1DArrayIter<T> walk_;
};
