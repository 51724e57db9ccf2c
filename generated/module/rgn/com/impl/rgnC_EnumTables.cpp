// The name tables of the module's enumerations and of the propagation states its attributes
// store, and their instantiations.
#include "mdl_PropAttr.h"
#include "omu_PrimEnumDefs.h"
#include "res_SetTypeEnm.h"
#include "rgnC_GroundEnum.h"
#include "rgnC_SetType.h"

template <>
const omu_PrimEnumBase::PrimEnumTableEl omu_PrimEnum<rgnC_GroundEnum, 1>::table[] = {
    {"ATTACH_TO_REGION", 0},
    {"GROUND", 1},
    {nullptr, 0},
};

template <>
const omu_PrimEnumBase::PrimEnumTableEl omu_PrimEnum<res_SetTypeEnm, 1>::table[] = {
    {"NODE_SET", 0},        {"ELEMENT_SET", 1},  {"SURFACE_SET", 2},  {"SURFACE_ELEMENT", 3},
    {"SURFACE_FACET", 4},   {"SURFACE_EDGE", 5}, {"SURFACE_NODE", 6}, {nullptr, 0},
};

template <>
const omu_PrimEnumBase::PrimEnumTableEl omu_PrimEnum<rgnC_SetType, 1>::table[] = {
    {"Geometry set", 0},     {"Node set", 1},     {"Element set", 2}, {"Geometry surface", 3},
    {"Mesh surface", 4},     {"None", 5},         {nullptr, 0},
};

template <>
const omu_PrimEnumBase::PrimEnumTableEl omu_PrimEnum<mdl_PropAttributeStateEnm, 1>::table[] = {
    {"ABSENT", 0}, {"SET", 1}, {"PROPAGATED", 2}, {"REMOVED", 3}, {nullptr, 0},
};

template class omu_PrimEnum<rgnC_GroundEnum, 1>;
template class omu_PrimEnum<res_SetTypeEnm, 1>;
template class omu_PrimEnum<rgnC_SetType, 1>;
template class omu_PrimEnum<mdl_PropAttributeStateEnm, 1>;
