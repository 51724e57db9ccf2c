// Whether one side of a region pair is attached to a region or to ground.
#pragma once

#include "omu_PrimEnum.h"

enum class rgnC_GroundEnum : int {
    ATTACH_TO_REGION = 0,
    GROUND = 1,
};

template <>
const omu_PrimEnumBase::PrimEnumTableEl omu_PrimEnum<rgnC_GroundEnum, 1>::table[];
extern template class omu_PrimEnum<rgnC_GroundEnum, 1>;
