// The name table of the propagation states (used both to write and to read them).
#include "mdl_PropAttributeStateEnm.h"

#include "atr_SubstituteFormat.h"
#include "atr_translate.h"
#include "nex_TextException.h"

template <>
const omu_PrimEnumBase::PrimEnumTableEl omu_PrimEnum<mdl_PropAttributeStateEnm, 1>::table[] = {
    {"ABSENT", 0}, {"SET", 1}, {"PROPAGATED", 2}, {"REMOVED", 3}, {nullptr, 0},
};

template class omu_PrimEnum<mdl_PropAttributeStateEnm, 1>;
