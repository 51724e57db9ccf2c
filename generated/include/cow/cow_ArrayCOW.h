// A default-constructible copy-on-write handle: an empty one (null object, count 1) is the
// "not loaded" value of the tree and of the persistent object map.
#pragma once

#include "cow_COW.h"

template <class T, class Policy>
class cow_ArrayCOW : public cow_COW<T, Policy> {
public:
    cow_ArrayCOW() : cow_COW<T, Policy>(static_cast<T*>(nullptr)) {}
    explicit cow_ArrayCOW(const T& x) : cow_COW<T, Policy>(x) {}
    explicit cow_ArrayCOW(T* p) : cow_COW<T, Policy>(p) {}
    cow_ArrayCOW(const cow_ArrayCOW&) = default;
    cow_ArrayCOW& operator=(const cow_ArrayCOW&) = default;
    cow_ArrayCOW& operator=(T* p) {
        cow_CountedHld<T>::operator=(p);
        return *this;
    }
};
