// The kind of set a region names; its names are the readable ones a region record keeps.
#pragma once

#include "omu_PrimEnum.h"

enum class rgnC_SetType : int {
    GeometrySet = 0,
    NodeSet = 1,
    ElementSet = 2,
    GeometrySurface = 3,
    MeshSurface = 4,
    None = 5,
};

template <>
const omu_PrimEnumBase::PrimEnumTableEl omu_PrimEnum<rgnC_SetType, 1>::table[];
extern template class omu_PrimEnum<rgnC_SetType, 1>;
