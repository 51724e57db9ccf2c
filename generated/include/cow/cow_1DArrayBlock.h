// One block of a blocked copy-on-write array: a fixed number of elements and the count of
// block tables that point to it. Tables share a block until one of them writes to it.
//
// A block does not know its own size; the owning array passes its block size to every call.
// Headers come from the pooled counter allocator, elements from array `new`.
#pragma once

#include "cow_Counter.h"

#include <concepts>
#include <cstddef>
#include <type_traits>

// What an element of the blocked arrays and lists must provide: a default constructor (whole
// blocks are created at once, filled with default elements) and copy assignment (every element
// write, block copy and list shift is an assignment). The lists also compare with ==.
template <class T>
concept cow_ArrayElement = std::default_initializable<T> && std::is_copy_assignable_v<T>;

template <class T>
class cow_1DArrayBlock {
public:
    int refCount;
    T* elements;

    static void* operator new(std::size_t size) { return cow_Counter::operator new(size); }
    static void operator delete(void* block) noexcept { cow_Counter::operator delete(block); }

    // A new block of `size` value-initialised elements (zero for scalars), held by one table.
    static cow_1DArrayBlock* Create(int size) {
        T* fresh = new T[size]();
        return adopt(fresh);
    }

    // A private copy of `source` for a table about to write to it. Allocates a block and assigns
    // all `size` elements; the source is not touched, so a failure leaves both tables intact.
    static cow_1DArrayBlock* CopyOf(const cow_1DArrayBlock& source, int size) {
        T* fresh = new T[size];
        try {
            for (int i = 0; i < size; ++i)
                fresh[i] = source.elements[i];
        } catch (...) {
            delete[] fresh;
            throw;
        }
        return adopt(fresh);
    }

    // Drops one table's reference; the last one destroys the elements and frees the header.
    static void Release(cow_1DArrayBlock* block) noexcept {
        if (block && --block->refCount == 0) {
            delete[] block->elements;
            delete block;
        }
    }

private:
    explicit cow_1DArrayBlock(T* e) : refCount(1), elements(e) {}

    static cow_1DArrayBlock* adopt(T* fresh) {
        try {
            return new cow_1DArrayBlock(fresh);
        } catch (...) {
            delete[] fresh;
            throw;
        }
    }
};
