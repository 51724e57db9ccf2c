// One instance of T per thread, created on the thread's first use.
#pragma once

template <class T>
class thr_ThreadSingleton {
public:
    static T& Instance() {
        thread_local T instance;
        return instance;
    }
};
