// The one instantiation of the propagating region list, exported from the module.
#include "rgnC_PropRegionList.h"

template class mdl_PropAttr<cls_xoList<rgnC_Region>>;
