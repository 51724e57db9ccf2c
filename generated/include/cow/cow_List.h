// A value list over a blocked copy-on-write array: insertion at either end, removal from either
// end, by index or by value, membership, search, comparison and difference.
//
// Copying shares the storage (O(1)); the first write copies the table and the blocks it touches.
// Removing at the front moves no element: the array's start advances and a block left behind is
// released at once, so a list used as a queue holds no blocks before its first element. Adding at
// the front is O(1) while there is room before the start. Removals elsewhere do not shrink the
// array. Position reports a missing element as -1 (cow_1DArrayList::FindFirst gives the count).
//
//   cow_List<cow_String> names;
//   names.Append("b").Prepend("a");   // [a, b]
//   cow_List<cow_String> copy = names; // shares
//   copy.RemoveFirst();                // copy [b]; names still [a, b]
#pragma once

#include "cow_1DArray.h"
#include "cow_1DArrayIter.h"
#include "cow_CountedArray.h"

#include <algorithm>
#include <cassert>
#include <concepts>

template <class T>
class cow_List : public cow_CountedArray<T> {
public:
    cow_List() = default;

    // Adds x after the last element. May copy; x may be an element of this list.
    cow_List& Append(const T& x) {
        this->appendOne(x);
        return *this;
    }

    // Appends other's elements in order, after sizing the array for all of them. Appending a
    // list to itself doubles it.
    cow_List& Append(const cow_List& other) {
        const int n = other.count_;
        this->array_.Grow(this->count_ + n);
        for (int i = 0; i < n; ++i)
            this->appendOne(other.ConstGet(i));
        return *this;
    }

    // Adds x before the first element. May copy.
    cow_List& Prepend(const T& x) {
        this->array_.GetHead() = x;
        ++this->count_;
        return *this;
    }

    // Puts x at index i + 1, moving the later elements up: i = -1 inserts at the front, i =
    // Count() - 1 and i = Count() append.
    cow_List& InsertAfter(int i, const T& x) {
        assert(i >= -1 && i <= this->count_ && "InsertAfter outside the list");
        this->insertAt(std::min(i + 1, this->count_), x);
        return *this;
    }

    // Removes element i, moving the later ones down; the old last place is reset to a default
    // value. O(Count() - i) assignments.
    cow_List& RemoveIndex(int i) {
        this->removeAt(i);
        return *this;
    }

    cow_List& RemoveLast() {
        assert(this->count_ > 0 && "RemoveLast on an empty list");
        this->removeAt(this->count_ - 1);
        return *this;
    }

    // O(1): moves the array's start; see cow_1DArray::RemoveFirst.
    cow_List& RemoveFirst() {
        assert(this->count_ > 0 && "RemoveFirst on an empty list");
        this->array_.RemoveFirst();
        --this->count_;
        return *this;
    }

    // Releases every block and the table (or this list's share of them).
    cow_List& Clear() {
        this->array_.Grow(0);
        this->count_ = 0;
        return *this;
    }

    // Index of the first element equal to x, or -1. O(Count()) comparisons.
    int Position(const T& x) const { return this->indexOf(x); }

    // Removes the first element equal to x, if any.
    cow_List& Remove(const T& x) {
        const int i = Position(x);
        if (i >= 0)
            this->removeAt(i);
        return *this;
    }

    cow_List& AppendUnlessMember(const T& x) { return this->IsMember(x) ? *this : Append(x); }

    // A new list of this list's elements, in order and with repetitions, that are not members
    // of other. O(Count() * other.Count()) comparisons.
    cow_List operator-(const cow_List& other) const {
        cow_List result;
        for (cow_1DArrayIter<T> it(this->array_, this->count_); it.More(); it.Next())
            if (!other.IsMember(it.Value()))
                result.Append(it.Value());
        return result;
    }
};
