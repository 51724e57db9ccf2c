// A path to one set data, as a region keeps it: a handle sharing its implementation (copies
// are O(1)), resolved against the thread's open databases on each use. The set data itself is
// only named here, so that holding a path does not bring in the stored set and its map; to
// resolve one or to make one, include rgnC_Paths.h.
//
//   rgnC_SetDataPath path(new rgnC_SetDataInList(3, list));   // list[3]; see rgnC_Paths.h
#pragma once

#include "ddr_Shortcut.h"

#include <cstdint>

class rgnC_SetData;

template <>
struct ddr_ShortcutTraits<rgnC_SetData> {
    static constexpr std::uint32_t handleTypeId = 0x02540005, implTypeId = 0x02540007;
    static constexpr const char* handleName = "rgnC_SetDataShortcut";
    static constexpr const char* implName = "rgnC_SetDataIMPLSC";
    static constexpr bool handleAsksImplForDynTypeId = true;
};

using rgnC_SetDataPath = ddr_Shortcut<rgnC_SetData>;
// Instantiated in rgnC_Paths.cpp: holding or copying a path needs only the declarations.
extern template class ddr_Shortcut<rgnC_SetData>;
