// Id lists between numpy and the module: any 1-D integer array-like in, a read-only numpy int32
// array out.
//
// The module's lists keep their ids in blocks (8 to 16 of them for a large list), not in one
// buffer, so neither direction can share memory with numpy: each copies once, a block at a
// time, which is what building a list from a C++ array costs too.
#pragma once

#include "cow_1DArrayList.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

class rgnpy_IdArrays {
public:
    // The ids of `ids` (a numpy array, list, tuple or range of integers), each plus `offset`, as
    // a list sized for them. Floats, booleans, more than one dimension and values outside a
    // 32-bit int are refused (TypeError, ValueError, OverflowError); `what` names the argument
    // in those messages. One pass over the ids (plus a converted copy unless they are int32).
    static cow_1DArrayList<int> ListFrom(pybind11::handle ids, const char* what,
                                         long long offset = 0);

    // The list's ids as a new numpy int32 array, marked read-only (it is a snapshot: the list
    // may share its blocks with stored objects). One copy, a block at a time.
    static pybind11::array_t<int> ArrayOf(const cow_1DArrayList<int>& list);

    // `ids` as an array of one of numpy's integer types, unconverted when it is one already;
    // anything else is refused as ListFrom refuses it.
    static pybind11::array IntegerArray(pybind11::handle ids, const char* what);
};
