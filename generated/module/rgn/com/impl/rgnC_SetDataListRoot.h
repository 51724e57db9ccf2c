// A set-data list stored as a named root of an open database: the start of a path to set data,
// so that `model.sets[3]` names set 3 of the list stored as root "sets" of database "model".
// Resolving it opens nothing: it looks the database up among the thread's open ones.
//
//   rgnC_SetDataListPath list(new rgnC_SetDataListRoot(cow_String("model"), cow_String("sets")));
//
// The class belongs to the database framework's side (its type id is not the module's); module
// start-up registers it, since only the module names the map type it is made for.
#pragma once

#include "ddr_RootMapShortcut.h"
#include "rgnC_Paths.h"

template <>
struct ddr_RootMapShortcutTraits<rgnC_SetDataMap> {
    static constexpr std::uint32_t typeId = 0x00260001;
    static constexpr const char* name = "ddr_SetDataListRootShortcut";
};

using rgnC_SetDataListRoot = ddr_RootMapShortcut<rgnC_SetDataMap>;
// Instantiated in rgnC_Paths.cpp.
extern template class ddr_RootMapShortcut<rgnC_SetDataMap>;
