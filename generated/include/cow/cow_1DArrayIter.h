// Walks a cow_1DArray from element 0, one element or one contiguous run at a time.
//
// The iterator holds a copy of the array (O(1), sharing its table), so it sees the array as it
// was when the iterator was made: a later write through the original un-shares it first.
//
//   for (cow_1DArrayIter<int> it(a); it.More(); it.Next())
//       use(it.Value());
//
// The fast way over many elements reads a block at a time through one pointer:
//
//   cow_1DArrayIter<int> it(a);
//   const int* p;
//   for (int n; (n = it.NextRun(p)) > 0;)
//       for (int k = 0; k < n; ++k) sum += p[k];
//
// (RunData, RunLength and Skip do the same in steps, for walking two arrays side by side.)
//
// The iterator creates no block: an empty slot (possible after the sizing constructor) ends the
// walk there.
#pragma once

#include "cow_1DArray.h"

#include <algorithm>
#include <cassert>

template <class T>
class cow_1DArrayIter {
public:
    explicit cow_1DArrayIter(const cow_1DArray<T>& a) : cow_1DArrayIter(a, a.Size()) {}

    // Walks at most `limit` elements: the lists bound their walks by their count this way.
    cow_1DArrayIter(const cow_1DArray<T>& a, int limit)
        : array_(a), current_(nullptr), end_(a.start_ + std::clamp(limit, 0, a.Size())),
          blockSize_(1 << a.blockShift_), position_(a.start_), offsetInBlock_(0) {
        First();
    }

    cow_1DArrayIter& First() {
        position_ = array_.start_;
        const int slot = position_ >> array_.blockShift_;
        offsetInBlock_ = position_ - (slot << array_.blockShift_);
        current_ = position_ < end_ ? blockAt(slot) : nullptr;
        return *this;
    }

    cow_1DArrayIter& Next() {
        ++position_;
        if (++offsetInBlock_ == blockSize_) {
            offsetInBlock_ = 0;
            current_ = position_ < end_ ? blockAt(position_ >> array_.blockShift_) : nullptr;
        }
        return *this;
    }

    bool More() const { return position_ < end_; }
    const T& Value() const { return current_[offsetInBlock_]; }
    // The index of the current element in the array (positions count from table slot 0).
    int Index() const { return position_ - array_.start_; }

    // The current element and those after it in the same block, up to the end of the walk:
    // contiguous in memory. Valid while More().
    const T* RunData() const { return current_ + offsetInBlock_; }
    int RunLength() const { return std::min(blockSize_ - offsetInBlock_, end_ - position_); }

    // Moves past k elements, 0 < k <= RunLength().
    cow_1DArrayIter& Skip(int k) {
        assert(k > 0 && k <= RunLength() && "Skip stays within the current run");
        position_ += k;
        offsetInBlock_ += k;
        if (offsetInBlock_ == blockSize_) {
            offsetInBlock_ = 0;
            current_ = position_ < end_ ? blockAt(position_ >> array_.blockShift_) : nullptr;
        }
        return *this;
    }

    // Hands out the current run in `data` and moves past it; returns its length, 0 at the end.
    // The tightest walk: one call per block.
    int NextRun(const T*& data) {
        const int n = std::min(blockSize_ - offsetInBlock_, end_ - position_);
        if (n <= 0)
            return 0;
        data = current_ + offsetInBlock_;
        position_ += n;
        offsetInBlock_ += n;
        if (offsetInBlock_ == blockSize_) {
            offsetInBlock_ = 0;
            current_ = position_ < end_ ? blockAt(position_ >> array_.blockShift_) : nullptr;
        }
        return n;
    }

private:
    // The elements of a slot's block; an empty slot cuts the walk short at the current position.
    const T* blockAt(int slot) {
        const auto* block = array_.table_[slot];
        if (!block) [[unlikely]] {
            end_ = position_;
            return nullptr;
        }
        return block->elements;
    }

    cow_1DArray<T> array_;
    const T* current_;
    int end_;
    int blockSize_;
    int position_;
    int offsetInBlock_;
};
