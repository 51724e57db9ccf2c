// rgn.Region, rgn.RegionPair and rgn.RegionKind: the module's region values, exchanged with
// scripts as the same tuples the scripting bridge makes (omu_ReturnPrim, omu_Get).
#pragma once

#include <pybind11/pybind11.h>

class rgnpy_Regions {
public:
    static void Bind(pybind11::module_& module);
};
