// A set-data list stored as a named root of an open database: the start of a path to set data,
// so that `model.sets[3]` names set 3 of the list stored as root "sets" of database "model".
// Resolving it opens nothing: it looks the database up among the thread's open ones.
//
//   rgnC_SetDataListPath list(new rgnC_SetDataListRoot(cow_String("model"), cow_String("sets")));
//
// What it stores is the database framework's root path, which the framework's start-up
// registers; the set-data map's path traits say that the map is kept as a root.
#pragma once

#include "ddr_RootMapShortcut.h"
#include "rgnC_Paths.h"

using rgnC_SetDataListRoot = ddr_RootMapShortcut<rgnC_SetDataMap>;
// Instantiated in rgnC_Paths.cpp.
extern template class ddr_RootMapShortcut<rgnC_SetDataMap>;
extern template void* ddr_ReadRootMapShortcut<rgnC_SetDataMap>(cls_ReadVisitor&);
