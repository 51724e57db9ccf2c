// A list of set data keyed by set index, as a model keeps it: a stored object map whose entries
// are fetched from the file on first read (see cls_Map2Obj for what each operation costs).
//
//   rgnC_SetDataMap sets;
//   sets.Insert(3, rgnC_SetData(3, cow_String("FLANGE"), res_SetTypeEnm::NODE_SET, false, false));
#pragma once

#include "cls_Map2Obj.h"
#include "cow_ArrayCOW.h"
#include "cow_Virtual.h"
#include "rgnC_SetData.h"

using rgnC_SetDataMap =
    cls_Map2Obj<int, rgnC_SetData, cow_ArrayCOW<rgnC_SetData, cow_Virtual<rgnC_SetData>>>;
// Instantiated in rgnC_Paths.cpp, with the paths that resolve through it.
extern template class cls_Map2Obj<int, rgnC_SetData,
                                  cow_ArrayCOW<rgnC_SetData, cow_Virtual<rgnC_SetData>>>;
