// The kind of items a set or subset holds.
#pragma once

#include "omu_PrimEnum.h"

enum class res_SetTypeEnm : int {
    NODE_SET = 0,
    ELEMENT_SET = 1,
    SURFACE_SET = 2,
    SURFACE_ELEMENT = 3,
    SURFACE_FACET = 4,
    SURFACE_EDGE = 5,
    SURFACE_NODE = 6,
};

template <>
const omu_PrimEnumBase::PrimEnumTableEl omu_PrimEnum<res_SetTypeEnm, 1>::table[];
extern template class omu_PrimEnum<res_SetTypeEnm, 1>;
