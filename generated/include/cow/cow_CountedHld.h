// A counted holder: a held object and the count of holders that share it.
//
// Copying a holder shares the object and adds one to the count; the last holder to go
// destroys the object. The count is a plain int taken from the pooled counter allocator.
// This is the base of the copy-on-write handles (cow_COW, cow_ArrayCOW).
#pragma once

#include "cow_Counter.h"

#include <cassert>
#include <new>

template <class T>
class cow_CountedHld {
public:
    // Adopts `object` (which may be null) with a count of 1.
    explicit cow_CountedHld(T* object = nullptr) : counter_(newCounter()), object_(object) {}

    cow_CountedHld(const cow_CountedHld& other) : counter_(other.counter_), object_(other.object_) {
        ++*counter_;
    }

    // Takes the other's reference first, so assigning a holder of the same object (or the
    // holder itself) never frees it.
    cow_CountedHld& operator=(const cow_CountedHld& other) {
        ++*other.counter_;
        release();
        counter_ = other.counter_;
        object_ = other.object_;
        return *this;
    }

    // Replaces the held object by `p`, which the holder adopts. A shared object stays with the
    // other holders and this holder starts a count of its own; a sole holder destroys its old
    // object and keeps its counter.
    cow_CountedHld& operator=(T* p) {
        if (*counter_ != 1) {
            int* fresh;
            try {
                fresh = newCounter(); // before letting go, so a failure changes nothing held
            } catch (...) {
                delete p;
                throw;
            }
            --*counter_;
            counter_ = fresh;
        } else if (object_ != p) {
            delete object_;
        }
        object_ = p;
        return *this;
    }

    ~cow_CountedHld() { release(); }

    // Read access: no copy, no count change.
    const T* ConstPtr() const { return object_; }
    const T& operator*() const { return *object_; }
    const T* operator->() const { return object_; }
    bool IsNull() const { return object_ == nullptr; }

    int Count() const { return *counter_; }
    bool IsShared() const { return *counter_ != 1; }

protected:
    static int* newCounter() {
        int* c = static_cast<int*>(cow_Counter::operator new(sizeof(int)));
        *c = 1;
        return c;
    }

    void release() {
        if (counter_ && --*counter_ == 0)
            Delete();
    }

    // Destroys the object and returns the counter to the allocator.
    void Delete() {
        delete object_;
        object_ = nullptr;
        cow_Counter::operator delete(counter_);
        counter_ = nullptr;
    }

    T* mutablePtr() const { return object_; }

private:
    int* counter_;
    T* object_;
};
