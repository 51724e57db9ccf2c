// A list with an explicit element count over a cow_1DArray: list element i is array element i.
//
// Copying shares the array (O(1)); the first write copies the table and the blocks it touches.
// Removals do not shrink the array: the vacated places hold default values. Searches report a
// missing element as the count (cow_List reports -1).
//
//   cow_1DArrayList<int> ids;
//   ids.Append(4);
//   ids.Insert(0, 9);              // [9, 4]
//   int where = ids.FindFirst(4);  // 1
#pragma once

#include "cow_1DArray.h"
#include "cow_1DArrayIter.h"
#include "cow_CountedArray.h"

#include <algorithm>
#include <cassert>
#include <concepts>

template <class T>
class cow_1DArrayList : public cow_CountedArray<T> {
    using Base = cow_CountedArray<T>;

public:
    cow_1DArrayList() = default;
    // A list of the first `count` elements of `array`, sharing it: O(1). Used to hand out an
    // array filled block by block (for instance through the sizing constructor).
    cow_1DArrayList(const cow_1DArray<T>& array, int count) : Base(array, count) {}

    // Adds x after the last element. May copy; x may be an element of this list.
    void Append(const T& x) { this->appendOne(x); }

    // Appends other's elements in order. Appending a list to itself doubles it: the number to
    // append is fixed before the first one goes in, and blocks never move, so the elements being
    // read stay where they are while the list grows.
    void Append(const cow_1DArrayList& other) {
        const int n = other.count_;
        for (int i = 0; i < n; ++i)
            this->appendOne(other.ConstGet(i));
    }

    // A new list of elements from .. min(to, Count()) - 1; empty when from >= to.
    cow_1DArrayList Slice(int from, int to) const {
        cow_1DArrayList out;
        Slice(from, to, out);
        return out;
    }

    // Replaces `out` by Slice(from, to); `out` may be this list.
    void Slice(int from, int to, cow_1DArrayList& out) const {
        cow_1DArrayList result;
        for (int i = std::max(from, 0), last = std::min(to, this->count_); i < last; ++i)
            result.Append(this->ConstGet(i));
        out = result;
    }

    // Removes element i, moving the later ones down one place; the old last place is reset to a
    // default value and the array keeps its size. O(Count() - i) assignments. Always true.
    bool Remove(int i) {
        this->removeAt(i);
        return true;
    }

    // Removes and returns the last element.
    T Pop() {
        assert(this->count_ > 0 && "Pop on an empty list");
        T last = this->array_.Get(this->count_ - 1);
        this->removeAt(this->count_ - 1);
        return last;
    }

    // Inserts x before element i (at the end when i == Count()). O(Count() - i) assignments.
    // Always true.
    bool Insert(int i, const T& x) {
        this->insertAt(i, x);
        return true;
    }

    // Lets go of the array (freeing it if this was the last holder); count 0.
    void ClearAll() {
        this->array_ = cow_1DArray<T>();
        this->count_ = 0;
    }

    // A new C array of the Count() elements, which the caller frees with delete[]; n = Count().
    T* GetCArray(int& n) const {
        n = this->count_;
        T* out = new T[this->count_];
        try {
            T* dst = out;
            cow_1DArrayIter<T> it(this->array_, this->count_);
            const T* run;
            for (int n; (n = it.NextRun(run)) > 0;)
                dst = std::copy_n(run, n, dst);
        } catch (...) {
            delete[] out;
            throw;
        }
        return out;
    }

    // Index of the first element equal to x, or Count(). O(Count()) comparisons.
    int FindFirst(const T& x) const {
        const int i = this->indexOf(x);
        return i < 0 ? this->count_ : i;
    }

    // Index of the last element equal to x, or Count() (like FindFirst).
    int FindLast(const T& x) const {
        int found = this->count_;
        for (cow_1DArrayIter<T> it(this->array_, this->count_); it.More(); it.Next())
            if (it.Value() == x)
                found = it.Index();
        return found;
    }

    // Removes the first element equal to x, if any.
    void RemoveMember(const T& x) {
        const int i = this->indexOf(x);
        if (i >= 0)
            this->removeAt(i);
    }

    void AppendUnlessMember(const T& x) {
        if (!this->IsMember(x))
            Append(x);
    }
};
