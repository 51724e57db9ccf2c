// Scripting tuples between the module's primitives and Python: an omu_PrimTuple of strings,
// ints and nested tuples is a Python tuple of str, int and tuples, element for element.
#pragma once

#include "omu_PrimTuple.h"

#include <pybind11/pybind11.h>

#include <memory>

class rgnpy_Tuples {
public:
    // The Python form of a tuple made by the bridge (nested tuples included).
    static pybind11::tuple ToPython(const omu_PrimTuple& tuple);
    // The primitive form of a Python tuple or list of str, int (bool counts as int) and
    // nested tuples; TypeError for any other element, ValueError for an int beyond 32 bits.
    static std::unique_ptr<omu_PrimTuple> FromPython(pybind11::handle tuple);
};
