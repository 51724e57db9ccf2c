#include "rgnpy_IdArrays.h"

#include "cow_1DArrayIter.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>

namespace py = pybind11;

py::array rgnpy_IdArrays::IntegerArray(py::handle ids, const char* what) {
    py::array a = py::array::ensure(ids);
    if (!a)
        throw py::type_error(std::string(what) + " must be an array of integers");
    // An empty list comes out of numpy as float64; it holds no float to refuse.
    if (a.size() == 0 && a.dtype().kind() != 'i')
        a = py::array_t<int>(0);
    const char kind = a.dtype().kind();
    if (kind != 'i' && kind != 'u')
        throw py::type_error(std::string(what) + " must be integers, not an array of dtype " +
                             py::str(a.dtype()).cast<std::string>());
    return a;
}

cow_1DArrayList<int> rgnpy_IdArrays::ListFrom(py::handle ids, const char* what, long long offset) {
    py::array a = IntegerArray(ids, what);
    if (a.ndim() != 1)
        throw py::value_error(
            std::string(what) + " must be one-dimensional, not of shape " +
            py::str(py::cast(std::vector<py::ssize_t>(a.shape(), a.shape() + a.ndim())))
                .cast<std::string>());
    if (a.size() > INT_MAX)
        throw py::value_error(std::string(what) + ": more ids than a list can hold");
    const int n = static_cast<int>(a.size());
    if (n == 0)
        return cow_1DArrayList<int>();

    cow_1DArray<int> array(n);
    if (offset == 0 && a.dtype().is(py::dtype::of<int>())) {
        // The common case: no conversion, the ids copied into the blocks as they lie.
        auto ints = py::array_t<int, py::array::c_style>::ensure(a);
        array.SetFromArray(ints.data(), n);
        return cow_1DArrayList<int>(array, n);
    }
    auto wide = py::array_t<long long, py::array::c_style | py::array::forcecast>::ensure(a);
    if (!wide)
        throw py::error_already_set();
    if (a.dtype().kind() == 'u' && a.dtype().itemsize() == 8) {
        // Values above LLONG_MAX wrapped round in the cast; they are too large anyway.
        auto raw = py::array_t<unsigned long long, py::array::c_style>::ensure(a);
        const unsigned long long* u = raw.data();
        if (std::any_of(u, u + n, [](unsigned long long v) { return v > LLONG_MAX; }))
            throw py::value_error(std::string(what) + " holds an id outside a 32-bit int");
    }
    const long long* src = wide.data();
    for (int i = 0; i < n;) {
        // A block at a time, like SetFromArray: one Get per block, then plain stores.
        int* dst = &array.Get(i);
        const int run = std::min(array.BlockSize() - (i & (array.BlockSize() - 1)), n - i);
        for (int k = 0; k < run; ++k) {
            const long long v = src[i + k] + offset;
            if (v < INT_MIN || v > INT_MAX)
                throw py::value_error(std::string(what) +
                                      " holds an id outside a 32-bit int: " + std::to_string(v));
            dst[k] = static_cast<int>(v);
        }
        i += run;
    }
    return cow_1DArrayList<int>(array, n);
}

py::array_t<int> rgnpy_IdArrays::ArrayOf(const cow_1DArrayList<int>& list) {
    py::array_t<int> out(list.Count());
    int* dst = out.mutable_data();
    cow_1DArrayIter<int> it(list.Array(), list.Count());
    const int* run;
    for (int n; (n = it.NextRun(run)) > 0;)
        dst = std::copy_n(run, n, dst);
    out.attr("setflags")(py::arg("write") = false);
    return out;
}
