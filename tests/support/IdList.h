// A list of ids written out in a test: listOf({10, -4, 7}).
#pragma once

#include "cow_1DArrayList.h"

#include <initializer_list>

inline cow_1DArrayList<int> listOf(std::initializer_list<int> values) {
    cow_1DArrayList<int> l;
    for (int v : values)
        l.Append(v);
    return l;
}
