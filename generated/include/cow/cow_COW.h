// A copy-on-write handle: copies share the object, and the first write through a shared
// handle gives that handle a private copy made by the policy (cow_Direct or cow_Virtual).
//
//   cow_COW<Node, cow_Direct<Node>> a(new Node);
//   cow_COW<Node, cow_Direct<Node>> b = a;   // shares; O(1)
//   b.Get().key = 3;                         // copies once; `a` is untouched
#pragma once

#include "cow_CountedHld.h"

template <class T, class Policy>
class cow_COW : public cow_CountedHld<T> {
public:
    // A private copy of x.
    explicit cow_COW(const T& x) : cow_CountedHld<T>(Policy::Copy(x)) {}
    // Adopts p, which may be null.
    explicit cow_COW(T* p) : cow_CountedHld<T>(p) {}
    cow_COW(const cow_COW&) = default;
    cow_COW& operator=(const cow_COW&) = default;
    cow_COW& operator=(T* p) {
        cow_CountedHld<T>::operator=(p);
        return *this;
    }
    ~cow_COW() = default;

    // Writable access. May copy: a shared handle first takes a private copy of the object
    // (the copy is made before the old reference is let go). A sole holder writes in place.
    T& Get() {
        if (this->IsShared()) {
            assert(this->ConstPtr() && "a shared empty handle has nothing to copy");
            *this = Policy::Copy(*this->ConstPtr());
        }
        return *this->mutablePtr();
    }
};
