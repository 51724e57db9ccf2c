// Copy policy for polymorphic values: `x.Copy()` returns a new heap object of x's dynamic type.
#pragma once

#include <concepts>

template <class T>
struct cow_Virtual {
    static T* Copy(const T& x) {
        static_assert(requires(const T& v) {
            { v.Copy() } -> std::convertible_to<const void*>;
        }, "cow_Virtual<T> needs T::Copy() const returning a new heap object");
        return static_cast<T*>(x.Copy());
    }
};
