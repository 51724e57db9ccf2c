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

#include <algorithm>
#include <cassert>
#include <concepts>

template <class T>
class cow_1DArrayList {
public:
    cow_1DArrayList() : count_(0) {}
    // A list of the first `count` elements of `array`, sharing it: O(1). Used to hand out an
    // array filled block by block (for instance through the sizing constructor).
    cow_1DArrayList(const cow_1DArray<T>& array, int count) : count_(count), array_(array) {
        assert(count >= 0 && count <= array.Size() && "the count must lie within the array");
    }
    cow_1DArrayList(const cow_1DArrayList&) = default;
    cow_1DArrayList& operator=(const cow_1DArrayList&) = default;

    ~cow_1DArrayList() {
        static_assert(std::equality_comparable<T>,
                      "cow_1DArrayList<T> needs T::operator== for its searches and comparisons");
    }

    int Count() const { return count_; }
    const cow_1DArray<T>& Array() const { return array_; }

    // Reads element i, 0 <= i < Count(). Never copies.
    const T& ConstGet(int i) const { return array_.PartialArrayConstGet(i); }
    // Element i for writing. May copy (un-shares the table, copies one block).
    T& Get(int i) { return array_.Get(i); }

    // Adds x after the last element. May copy; x may be an element of this list.
    void Append(const T& x) {
        array_.Get(count_) = x;
        ++count_;
    }

    // Appends other's elements in order. Appending a list to itself doubles it: the number to
    // append is fixed before the first one goes in, and blocks never move, so the elements being
    // read stay where they are while the list grows.
    void Append(const cow_1DArrayList& other) {
        const int n = other.count_;
        for (int i = 0; i < n; ++i)
            Append(other.ConstGet(i));
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
        for (int i = std::max(from, 0), last = std::min(to, count_); i < last; ++i)
            result.Append(ConstGet(i));
        out = result;
    }

    // Removes element i, moving the later ones down one place; the old last place is reset to a
    // default value and the array keeps its size. O(Count() - i) assignments. Always true.
    bool Remove(int i) {
        assert(i >= 0 && i < count_ && "Remove outside the list");
        --count_;
        for (int j = i; j < count_; ++j)
            array_.Get(j) = array_.PartialArrayConstGet(j + 1);
        array_.Get(count_) = T();
        return true;
    }

    // Removes and returns the last element.
    T Pop() {
        assert(count_ > 0 && "Pop on an empty list");
        T last = array_.Get(count_ - 1);
        Remove(count_ - 1);
        return last;
    }

    // Inserts x before element i (at the end when i == Count()). Always true.
    bool Insert(int i, const T& x) {
        assert(i >= 0 && i <= count_ && "Insert outside the list");
        if (i == count_) {
            array_.Get(count_) = x;
        } else {
            const T value = x; // x may be one of the elements about to move
            for (int j = count_ - 1; j >= i; --j)
                array_.Get(j + 1) = array_.PartialArrayConstGet(j);
            array_.Get(i) = value;
        }
        ++count_;
        return true;
    }

    // Lets go of the array (freeing it if this was the last holder); count 0.
    void ClearAll() {
        array_ = cow_1DArray<T>();
        count_ = 0;
    }

    // A new C array of the Count() elements, which the caller frees with delete[]; n = Count().
    T* GetCArray(int& n) const {
        n = count_;
        T* out = new T[count_];
        try {
            T* dst = out;
            cow_1DArrayIter<T> it(array_, count_);
            const T* run;
            for (int n; (n = it.NextRun(run)) > 0;)
                dst = std::copy_n(run, n, dst);
        } catch (...) {
            delete[] out;
            throw;
        }
        return out;
    }

    // Index of the first element equal to x, or Count().
    int FindFirst(const T& x) const {
        cow_1DArrayIter<T> it(array_, count_);
        const T* run;
        for (int index = 0, n; (n = it.NextRun(run)) > 0; index += n)
            for (int k = 0; k < n; ++k)
                if (run[k] == x)
                    return index + k;
        return count_;
    }

    // Index of the last element equal to x, or Count() (like FindFirst).
    int FindLast(const T& x) const {
        int found = count_;
        for (cow_1DArrayIter<T> it(array_, count_); it.More(); it.Next())
            if (it.Value() == x)
                found = it.Index();
        return found;
    }

    bool IsMember(const T& x) const { return FindFirst(x) < count_; }

    // Removes the first element equal to x, if any.
    void RemoveMember(const T& x) {
        const int i = FindFirst(x);
        if (i < count_)
            Remove(i);
    }

    void AppendUnlessMember(const T& x) {
        if (!IsMember(x))
            Append(x);
    }

    // Same count and equal elements in order. Runs of elements at the same address (blocks the
    // two lists share) are equal without calling operator==, so a list and an unwritten copy
    // compare in O(Count() / block size).
    bool IsEqual(const cow_1DArrayList& other) const {
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
