// Copy policy for handles of types copied by their static type: `new T(x)`.
#pragma once

template <class T>
struct cow_Direct {
    static T* Copy(const T& x) { return new T(x); }
};
