// What the two value lists over a blocked array (cow_List, cow_1DArrayList) share: an element
// count over a cow_1DArray, element access, appending, insertion and removal by shifting, search
// and comparison a run at a time, and the structure check. The lists add their own names and
// conventions on top (cow_List reports a missing element as -1, cow_1DArrayList as the count).
//
// Copying shares the array (O(1)); the first write copies the table and the blocks it touches.
// Removals do not shrink the array: the vacated places hold default values.
#pragma once

#include "cow_1DArray.h"
#include "cow_1DArrayIter.h"

#include <algorithm>
#include <cassert>
#include <concepts>
#include <string>

template <class T>
class cow_CountedArray {
public:
    int Count() const { return count_; }
    const cow_1DArray<T>& Array() const { return array_; }

    // Reads element i, 0 <= i < Count(). Never copies.
    const T& ConstGet(int i) const { return array_.PartialArrayConstGet(i); }
    // Element i for writing. May copy (un-shares the table, copies one block). An index at or
    // past the array's size extends the array but not the count.
    T& Get(int i) { return array_.Get(i); }

    bool IsMember(const T& x) const { return indexOf(x) >= 0; }

    // Same count and equal elements in order. Runs of elements at the same address (blocks the
    // two lists share) are equal without calling operator==, so a list and an unwritten copy
    // compare in O(Count() / block size).
    bool IsEqual(const cow_CountedArray& other) const {
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
                    if (!(pa[k] == pb[k]))
                        return false;
            }
            a.Skip(run);
            b.Skip(run);
        }
        return a.More() == b.More();
    }

    // Checks the count against the array and the array's own structure; for tests (walks the
    // whole table). On failure, `why` says what broke.
    bool validate(std::string* why = nullptr) const {
        if (count_ < 0 || count_ > array_.Size()) {
            if (why)
                *why = "need 0 <= count <= array size";
            return false;
        }
        return array_.validate(why);
    }

protected:
    cow_CountedArray() : count_(0) {}
    cow_CountedArray(const cow_1DArray<T>& array, int count) : count_(count), array_(array) {
        assert(count >= 0 && count <= array.Size() && "the count must lie within the array");
    }
    cow_CountedArray(const cow_CountedArray&) = default;
    cow_CountedArray& operator=(const cow_CountedArray&) = default;

    ~cow_CountedArray() {
        static_assert(std::equality_comparable<T>,
                      "a list of T needs T::operator== for its searches and comparisons");
    }

    // May copy; x may be an element of this list (blocks never move, so it stays valid while
    // the array grows).
    void appendOne(const T& x) {
        array_.Get(count_) = x;
        ++count_;
    }

    // Puts x at index i, moving elements i.. up one place: O(Count() - i) assignments.
    void insertAt(int i, const T& x) {
        assert(i >= 0 && i <= count_ && "insertion outside the list");
        if (i == count_) {
            appendOne(x);
            return;
        }
        const T value = x; // x may be one of the elements about to move
        for (int j = count_ - 1; j >= i; --j)
            array_.Get(j + 1) = array_.PartialArrayConstGet(j);
        array_.Get(i) = value;
        ++count_;
    }

    // Removes element i, moving the later ones down; the old last place is reset to a default
    // value and the array keeps its size. O(Count() - i) assignments.
    void removeAt(int i) {
        assert(i >= 0 && i < count_ && "removal outside the list");
        --count_;
        for (int j = i; j < count_; ++j)
            array_.Get(j) = array_.PartialArrayConstGet(j + 1);
        array_.Get(count_) = T();
    }

    // Index of the first element equal to x, or -1: a run (block) at a time.
    int indexOf(const T& x) const {
        cow_1DArrayIter<T> it(array_, count_);
        const T* run;
        for (int index = 0, n; (n = it.NextRun(run)) > 0; index += n)
            for (int k = 0; k < n; ++k)
                if (run[k] == x)
                    return index + k;
        return -1;
    }

    int count_;
    cow_1DArray<T> array_;
};
