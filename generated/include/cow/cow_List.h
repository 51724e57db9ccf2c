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

#include <algorithm>
#include <cassert>
#include <concepts>

template <class T>
class cow_List {
public:
    cow_List() : count_(0) {}
    cow_List(const cow_List&) = default;
    cow_List& operator=(const cow_List&) = default;

    // Releasing the array is all a Clear() would do here; a shared array just loses a holder.
    ~cow_List() {
        static_assert(std::equality_comparable<T>,
                      "cow_List<T> needs T::operator== and operator!= for its searches and "
                      "comparisons");
    }

    int Count() const { return count_; }
    const cow_1DArray<T>& Array() const { return array_; }

    // Adds x after the last element. May copy; x may be an element of this list (blocks never
    // move, so it stays valid while the array grows).
    cow_List& Append(const T& x) {
        array_.Get(count_) = x;
        ++count_;
        return *this;
    }

    // Appends other's elements in order, after sizing the array for all of them. Appending a
    // list to itself doubles it.
    cow_List& Append(const cow_List& other) {
        const int n = other.count_;
        array_.Grow(count_ + n);
        for (int i = 0; i < n; ++i)
            Append(other.ConstGet(i));
        return *this;
    }

    // Adds x before the first element. May copy.
    cow_List& Prepend(const T& x) {
        array_.GetHead() = x;
        ++count_;
        return *this;
    }

    // Puts x at index i + 1, moving the later elements up: i = -1 inserts at the front, i =
    // Count() - 1 and i = Count() append.
    cow_List& InsertAfter(int i, const T& x) {
        assert(i >= -1 && i <= count_ && "InsertAfter outside the list");
        if (i == count_)
            return Append(x);
        const T value = x; // x may be one of the elements about to move
        for (int j = count_ - 1; j > i; --j)
            array_.Get(j + 1) = array_.PartialArrayConstGet(j);
        array_.Get(i + 1) = value;
        ++count_;
        return *this;
    }

    // Removes element i, moving the later ones down; the old last place is reset to a default
    // value. O(Count() - i) assignments.
    cow_List& RemoveIndex(int i) {
        assert(i >= 0 && i < count_ && "RemoveIndex outside the list");
        --count_;
        for (int j = i; j < count_; ++j)
            array_.Get(j) = array_.PartialArrayConstGet(j + 1);
        array_.Get(count_) = T();
        return *this;
    }

    cow_List& RemoveLast() {
        assert(count_ > 0 && "RemoveLast on an empty list");
        --count_;
        array_.Get(count_) = T();
        return *this;
    }

    // O(1): moves the array's start; see cow_1DArray::RemoveFirst.
    cow_List& RemoveFirst() {
        assert(count_ > 0 && "RemoveFirst on an empty list");
        array_.RemoveFirst();
        --count_;
        return *this;
    }

    // Releases every block and the table (or this list's share of them).
    cow_List& Clear() {
        array_.Grow(0);
        count_ = 0;
        return *this;
    }

    // Reads element i, 0 <= i < Count(). Never copies.
    const T& ConstGet(int i) const { return array_.PartialArrayConstGet(i); }
    // Element i for writing. May copy. An index at or past the array's size extends the array
    // but not the count.
    T& Get(int i) { return array_.Get(i); }

    // Index of the first element equal to x, or -1.
    int Position(const T& x) const {
        cow_1DArrayIter<T> it(array_, count_);
        const T* run;
        for (int index = 0, n; (n = it.NextRun(run)) > 0; index += n)
            for (int k = 0; k < n; ++k)
                if (run[k] == x)
                    return index + k;
        return -1;
    }

    bool IsMember(const T& x) const { return Position(x) >= 0; }

    // Removes the first element equal to x, if any.
    cow_List& Remove(const T& x) {
        const int i = Position(x);
        if (i >= 0)
            RemoveIndex(i);
        return *this;
    }

    cow_List& AppendUnlessMember(const T& x) { return IsMember(x) ? *this : Append(x); }

    // Same count and no two elements unequal, in order. Runs at the same address (blocks the two
    // lists share) are equal without calling operator!=.
    bool IsEqual(const cow_List& other) const {
        if (count_ != other.count_)
            return false;
        cow_1DArrayIter<T> a(array_, count_);
        cow_1DArrayIter<T> b(other.array_, count_);
        while (a.More() && b.More()) {
            const int run = std::min(a.RunLength(), b.RunLength());
            const T* pa = a.RunData();
            const T* pb = b.RunData();
            if (pa != pb) {
                for (int k = 0; k < run; ++k)
                    if (pa[k] != pb[k])
                        return false;
            }
            a.Skip(run);
            b.Skip(run);
        }
        return a.More() == b.More();
    }

    // A new list of this list's elements, in order and with repetitions, that are not members
    // of other. O(Count() * other.Count()) comparisons.
    cow_List operator-(const cow_List& other) const {
        cow_List result;
        for (cow_1DArrayIter<T> it(array_, count_); it.More(); it.Next())
            if (!other.IsMember(it.Value()))
                result.Append(it.Value());
        return result;
    }

    bool validate(const char** failure = nullptr) const {
        if (count_ < 0 || count_ > array_.Size()) {
            if (failure)
                *failure = "need 0 <= count <= array size";
            return false;
        }
        return array_.validate(failure);
    }

private:
    int count_;
    cow_1DArray<T> array_;
};
