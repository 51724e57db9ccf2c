// A list written out in a test: listOf({10, -4, 7}) is a list of ids; listOf<L>({...}) a list
// of type L whose elements are made from the ints given. idsFrom(first, n, step) is the n ids
// first, first + step, ...
#pragma once

#include "cow_1DArrayList.h"

#include <initializer_list>

template <class L = cow_1DArrayList<int>>
L listOf(std::initializer_list<int> values) {
    L l;
    for (int v : values)
        l.Append(v);
    return l;
}

inline cow_1DArrayList<int> idsFrom(int first, int n, int step = 1) {
    cow_1DArrayList<int> l;
    for (int i = 0; i < n; ++i)
        l.Append(first + i * step);
    return l;
}
