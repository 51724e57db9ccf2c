// A list of regions carried with a propagation state, for the owners of other modules that
// hand region lists on: the propagating attribute instantiated for a stored region list.
#pragma once

#include "cls_xoList.h"
#include "mdl_PropAttr.h"
#include "rgnC_Region.h"

template <>
struct mdl_PropAttrTraits<cls_xoList<rgnC_Region>> {
    static constexpr std::uint32_t typeId = 0x02540002;
    static constexpr const char* name = "rgnC_PropRegionList";
};

using rgnC_PropRegionList = mdl_PropAttr<cls_xoList<rgnC_Region>>;

extern template class mdl_PropAttr<cls_xoList<rgnC_Region>>;
