// The propagation state of a propagating attribute (mdl_PropAttr): whether its value was set
// here, handed on by propagation, removed here, or is absent. Stored by name.
#pragma once

#include "omu_PrimEnum.h"

enum class mdl_PropAttributeStateEnm : int {
    Absent = 0,     // no value
    Set = 1,        // a value set on this owner
    Propagated = 2, // a value handed on from elsewhere
    Removed = 3,    // the value removed on this owner
};

template <>
const omu_PrimEnumBase::PrimEnumTableEl omu_PrimEnum<mdl_PropAttributeStateEnm, 1>::table[];
extern template class omu_PrimEnum<mdl_PropAttributeStateEnm, 1>;
