// A growable one-dimensional copy-on-write array stored in fixed-size blocks.
//
// Elements live in blocks reached through a table of block pointers. Copies of an array share
// the table (one count), and tables share blocks (a count per block): copying is O(1), and the
// first write to a shared array copies the table (tableLength pointers) and the one block
// written, never the elements of other blocks. A start offset lets elements be added at the
// head without moving any element.
//
//   cow_1DArray<int> a;
//   a.Get(5) = 7;           // size 6; elements 0..4 are 0
//   cow_1DArray<int> b = a; // shares; O(1)
//   b.Get(0) = 1;           // b copies the table and block 0; `a` is untouched
//   a.GetHead() = 3;        // a new element 0; no element moves
//
// Positions count from the start of table slot 0: element i is at position start + i, in slot
// p >> blockShift. Only the slots from start's block to end's block are "in use"; every other
// slot is null, so releasing and unsharing look at those slots alone.
//
// T must satisfy cow_ArrayElement (cow_1DArrayBlock.h). It is checked in the destructor rather
// than the class body so that an array of a type can be a member of that type.
#pragma once

#include "cow_1DArrayBlock.h"
#include "cow_Counter.h"
#include "mem_Alloc.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstddef>
#include <string>

template <class T>
class cow_1DArrayIter;

template <class T>
class cow_1DArray {
public:
    using Block = cow_1DArrayBlock<T>;

    static constexpr int kInitialShift = 4; // blocks of 16 for every array that grows
    static constexpr int kSpareSlots = 16;  // slots added beyond need when a table grows
    static constexpr int kHeadSlots = 17;   // slots added at the front when GetHead finds no room

    // Empty: no table. Allocates only the share counter.
    cow_1DArray() : tableLength_(0), blockShift_(0), end_(0), start_(0), counter_(newCounter()) {}

    // n elements whose blocks are created on first access. Small arrays get blocks of 16 in a
    // 16-slot table; from 256 elements on, blocks of 2^(floor(log2 n) - 3) so that the n
    // elements fill 8 to 16 blocks, plus 16 spare slots. Allocates the table, no block.
    explicit cow_1DArray(int n)
        : tableLength_(kSpareSlots), blockShift_(kInitialShift), end_(n), start_(0),
          counter_(newCounter()) {
        assert(n >= 0 && "an array cannot have a negative size");
        // These are the exponent and rounded-up fraction of n as a float, computed on integers:
        // the same for every n below 2^24, and not rounded away for larger n.
        const int log2n = n > 0 ? std::bit_width(static_cast<unsigned>(n)) - 1 : 0;
        if (log2n - 3 > kInitialShift) {
            blockShift_ = log2n - 3;
            tableLength_ = kSpareSlots + slotsFor(n, blockShift_);
        }
        try {
            table_ = newTable(tableLength_, nullptr, 0);
        } catch (...) {
            cow_Counter::operator delete(counter_);
            throw;
        }
    }

    // O(1): shares the table.
    cow_1DArray(const cow_1DArray& other) noexcept
        : tableLength_(other.tableLength_), blockShift_(other.blockShift_), end_(other.end_),
          start_(other.start_), counter_(other.counter_), table_(other.table_) {
        ++*counter_;
    }

    // O(1) unless this was the last holder of its table, which is then released.
    cow_1DArray& operator=(const cow_1DArray& other) noexcept {
        if (this != &other) {
            ++*other.counter_; // first, so a second holder of the same table never frees it
            release();
            tableLength_ = other.tableLength_;
            blockShift_ = other.blockShift_;
            end_ = other.end_;
            start_ = other.start_;
            counter_ = other.counter_;
            table_ = other.table_;
        }
        return *this;
    }

    ~cow_1DArray() {
        static_assert(cow_ArrayElement<T>,
                      "cow_1DArray<T> needs a default-constructible, copy-assignable T: blocks "
                      "are created whole with default elements and every write is an assignment");
        release();
    }

    int Size() const { return end_ - start_; }

    // Reads element i, 0 <= i < Size(). Never copies; if the element's block does not exist yet
    // (sizing constructor), a block of default elements is created in the table, shared or not.
    const T& PartialArrayConstGet(int i) const {
        assert(i >= 0 && i < Size() && "read outside the array");
        const int p = start_ + i;
        Block*& block = table_[p >> blockShift_];
        if (!block) [[unlikely]]
            block = Block::Create(blockSize());
        return block->elements[p & blockMask()];
    }

    // Element i for writing. May copy: un-shares the table and copies the element's block if
    // another table shares it. An index at or past the end first grows the array to i + 1
    // elements (the ones between keep default values).
    T& Get(int i) {
        assert(i >= 0 && "negative index");
        if (i >= Size())
            Grow(i + 1);
        else
            Unshare();
        return FullArrayGet(start_ + i);
    }

    // Sets the size to n; always true. Un-shares the table. Growing may reallocate the table
    // (16 slots beyond need) but creates no block. Shrinking releases the blocks that lie wholly
    // beyond the new end; elements after the end in the last kept block keep their values and
    // show again on a later growth. Grow(0) releases everything, and the next growth starts
    // again with blocks of 16.
    bool Grow(int n) {
        assert(n >= 0 && "an array cannot have a negative size");
        // The common case, an unshared array growing within its table (every append), only
        // moves the end: kept inline, apart from the general path below.
        if (n > Size() && end_ != 0 && *counter_ == 1) {
            const int newEnd = start_ + n;
            if (slotsFor(newEnd, blockShift_) <= tableLength_) {
                end_ = newEnd;
                return true;
            }
        }
        if (n == 0) {
            makeEmpty();
            return true;
        }
        const int used = usedEnd();
        const int shift = end_ == 0 ? kInitialShift : blockShift_;
        const int newEnd = start_ + n;
        const int needed = slotsFor(newEnd, shift);
        unshareWithLength(needed > tableLength_ ? needed + kSpareSlots : tableLength_);
        blockShift_ = shift;
        for (int slot = needed; slot < used; ++slot)
            releaseSlot(slot);
        end_ = newEnd;
        return true;
    }

    // Inserts a default element before element 0 and returns it for writing. Un-shares. O(1)
    // while start is above 0; otherwise moves the block pointers (never elements) up by the spare
    // slots, growing the table by 17 slots when it has none spare.
    T& GetHead() {
        if (start_ > 0) {
            Unshare();
            --start_;
            return FullArrayGet(start_);
        }
        const int used = usedEnd();
        int spare;
        if (used < tableLength_) {
            Unshare();
            spare = tableLength_ - used;
        } else {
            unshareWithLength(used + kHeadSlots);
            if (end_ == 0)
                blockShift_ = kInitialShift;
            spare = kHeadSlots;
        }
        std::copy_backward(table_, table_ + used, table_ + used + spare);
        std::fill_n(table_, std::min(spare, used), nullptr);
        start_ = (spare << blockShift_) - 1;
        end_ += spare << blockShift_;
        return FullArrayGet(start_);
    }

    // Drops element 0 without moving the others: start moves forward by one. When start leaves
    // a block, that block is released at once (so a queue keeps no blocks before its head) and
    // the departing element is not reset, which saves copying a shared block only to drop it.
    // Otherwise element 0 is reset to a default value. Un-shares the table.
    void RemoveFirst() {
        assert(Size() > 0 && "RemoveFirst on an empty array");
        Unshare();
        if (((start_ + 1) & blockMask()) == 0)
            releaseSlot(start_ >> blockShift_);
        else
            FullArrayGet(start_) = T();
        ++start_;
    }

    // Copies src[0..n) into elements 0..n-1 a block at a time: one Get per block, then plain
    // assignments. Grows the array to n elements first if it is smaller.
    void SetFromArray(const T* src, int n) {
        if (Size() < n)
            Grow(n);
        for (int k = 0; k < n;) {
            T* dst = &Get(k);
            const int chunk = std::min(blockSize() - ((start_ + k) & blockMask()), n - k);
            std::copy_n(src + k, chunk, dst);
            k += chunk;
        }
    }

    // Checks the structure; on failure `why` names the broken invariant. For tests: it walks
    // the whole table.
    bool validate(std::string* why = nullptr) const {
        auto fail = [why](const char* broken) {
            if (why)
                *why = broken;
            return false;
        };
        if (!counter_ || *counter_ < 1)
            return fail("the share count must be at least 1");
        if (tableLength_ < 0 || (tableLength_ == 0) != (table_ == nullptr))
            return fail("a table exists exactly when tableLength is positive");
        if (start_ < 0 || start_ > end_)
            return fail("need 0 <= start <= end");
        if (tableLength_ == 0) {
            if (blockShift_ != 0 || end_ != 0)
                return fail("an array without a table is empty with blockShift 0");
            return true;
        }
        if (blockShift_ < kInitialShift || blockShift_ > 27)
            return fail("blockShift out of range");
        if (end_ == 0 && blockShift_ != kInitialShift)
            return fail("an array that has never held elements has blocks of 16");
        if (usedEnd() > tableLength_)
            return fail("the slots in use run past the table");
        for (int slot = 0; slot < tableLength_; ++slot) {
            const Block* block = table_[slot];
            if (!block)
                continue;
            if (slot < firstUsed() || slot >= usedEnd())
                return fail("a block lies outside the slots in use");
            if (block->refCount < 1)
                return fail("a block in use has a refCount below 1");
            if (!block->elements)
                return fail("a block has no elements");
        }
        return true;
    }

    // Read-only view of the layout, for tests and diagnostics.
    int BlockShift() const { return blockShift_; }
    int BlockSize() const { return blockSize(); }
    int TableLength() const { return tableLength_; }
    int Start() const { return start_; }
    int End() const { return end_; }
    int ShareCount() const { return *counter_; }
    bool SharesTableWith(const cow_1DArray& other) const { return counter_ == other.counter_; }
    const Block* BlockAt(int slot) const { return slot < tableLength_ ? table_[slot] : nullptr; }

private:
    friend class cow_1DArrayIter<T>;

    static int* newCounter() {
        int* c = static_cast<int*>(cow_Counter::operator new(sizeof(int)));
        *c = 1;
        return c;
    }

    // A table of `length` slots: the first `copied` from `from`, the rest null.
    static Block** newTable(int length, Block* const* from, int copied) {
        auto** table = static_cast<Block**>(mem_Malloc(sizeof(Block*) * length));
        std::fill(std::copy_n(from, copied, table), table + length, nullptr);
        return table;
    }

    static int slotsFor(int end, int shift) {
        return static_cast<int>((static_cast<unsigned>(end) + (1u << shift) - 1) >> shift);
    }

    int blockSize() const { return 1 << blockShift_; }
    int blockMask() const { return blockSize() - 1; }
    int firstUsed() const { return start_ >> blockShift_; }
    int usedEnd() const { return slotsFor(end_, blockShift_); }

    void releaseSlot(int slot) {
        Block::Release(table_[slot]);
        table_[slot] = nullptr;
    }

    void release() noexcept {
        if (--*counter_ != 0)
            return;
        for (int slot = firstUsed(), used = usedEnd(); slot < used; ++slot)
            Block::Release(table_[slot]);
        mem_Free(table_);
        cow_Counter::operator delete(counter_);
    }

    // Gives this array a table of its own (when shared) with at least `length` slots. The new
    // table and counter are made before the shared ones are let go, so a failed allocation
    // leaves the array as it was. Blocks stay shared: each one in use gains a table reference.
    void unshareWithLength(int length) {
        if (*counter_ == 1) {
            if (length > tableLength_) {
                table_ = static_cast<Block**>(mem_Realloc(table_, sizeof(Block*) * length));
                std::fill(table_ + tableLength_, table_ + length, nullptr);
                tableLength_ = length;
            }
            return;
        }
        length = std::max(length, tableLength_);
        int* fresh = newCounter();
        Block** table = nullptr;
        if (length > 0) {
            try {
                table = newTable(length, table_, tableLength_);
            } catch (...) {
                cow_Counter::operator delete(fresh);
                throw;
            }
        }
        for (int slot = firstUsed(), used = usedEnd(); slot < used; ++slot)
            if (table[slot])
                ++table[slot]->refCount;
        --*counter_;
        counter_ = fresh;
        table_ = table;
        tableLength_ = length;
    }

    // Gives this array a table of its own. O(tableLength) when shared, free otherwise.
    void Unshare() {
        if (*counter_ != 1) [[unlikely]]
            unshareWithLength(tableLength_);
    }

    // Element at position p for writing, in an unshared table: creates a missing block, and
    // replaces a block shared with other tables by a private copy (the others keep the old one).
    T& FullArrayGet(int p) {
        assert(*counter_ == 1 && "the table must be unshared before a write");
        Block*& block = table_[p >> blockShift_];
        if (!block) [[unlikely]] {
            block = Block::Create(blockSize());
        } else if (block->refCount > 1) [[unlikely]] {
            Block* copy = Block::CopyOf(*block, blockSize());
            --block->refCount;
            block = copy;
        }
        return block->elements[p & blockMask()];
    }

    // Grow(0): lets go of the table (freeing it and its blocks if this was the last holder).
    void makeEmpty() {
        if (*counter_ == 1) {
            for (int slot = firstUsed(), used = usedEnd(); slot < used; ++slot)
                Block::Release(table_[slot]);
            mem_Free(table_);
        } else {
            int* fresh = newCounter();
            --*counter_;
            counter_ = fresh;
        }
        table_ = nullptr;
        tableLength_ = blockShift_ = end_ = start_ = 0;
    }

    int tableLength_;
    int blockShift_;
    int end_;
    int start_;
    int* counter_;
    Block** table_ = nullptr;
};
