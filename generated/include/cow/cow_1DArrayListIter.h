// Walks the Count() elements of a cow_1DArrayList in order. Holds a shared copy of the list's
// array (O(1)), so later writes to the list do not show through.
//
//   for (cow_1DArrayListIter<int> it(list); it.More(); it.Next())
//       use(it.Value());
#pragma once

#include "cow_1DArrayIter.h"
#include "cow_1DArrayList.h"

template <class T>
class cow_1DArrayListIter {
public:
    explicit cow_1DArrayListIter(const cow_1DArrayList<T>& list)
        : walk_(list.Array(), list.Count()) {}

    cow_1DArrayListIter& First() {
        walk_.First();
        return *this;
    }
    cow_1DArrayListIter& Next() {
        walk_.Next();
        return *this;
    }
    bool More() const { return walk_.More(); }
    const T& Value() const { return walk_.Value(); }
    int Index() const { return walk_.Index(); }

private:
    cow_1DArrayIter<T> walk_;
};
