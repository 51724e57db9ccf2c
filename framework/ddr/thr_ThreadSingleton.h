// One instance of T per thread, created on the thread's first use and destroyed when the
// thread ends. One instance across the libraries and the program: the function is inline with
// default visibility, so the loader binds every use to one definition.
#pragma once

template <class T>
class thr_ThreadSingleton {
public:
    // The first call on a thread constructs its T (T's constructor's cost); later calls are a
    // thread-local access, O(1).
    static T& Instance() {
        thread_local T instance;
        return instance;
    }
};
