// The module's paths to set data and subset data: the path templates instantiated for its
// types, with the names and type ids they are registered under.
//
//   L[s]                 set data at key s of a set-data list L     (rgnC_SetDataPath)
//   L[s].subset          the subset list of that set data          (rgnC_SubsetDataListPath)
//   L[s].subset[k]       the subset at key k of that list           (rgnC_SubsetDataPath)
#pragma once

#include "ddr_MemberShortcut.h"
#include "ddr_SequenceShortcut.h"
#include "ddr_Shortcut.h"
#include "rgnC_SetData.h"
#include "rgnC_SetDataMap.h"
#include "rgnC_SetDataPath.h"
#include "rgnC_SubsetData.h"

template <>
struct ddr_ShortcutTraits<rgnC_SetDataMap> {
    static constexpr std::uint32_t handleTypeId = 0x0254000E, implTypeId = 0x0254000F;
    static constexpr const char* handleName = "rgnC_SetDataListShortcut";
    static constexpr const char* implName = "rgnC_SetDataListIMPLSC";
    static constexpr bool handleAsksImplForDynTypeId = false;
    // Stored as a root of a model database ("model.sets"): see rgnC_SetDataListRoot.h.
    static constexpr bool storedAsRoot = true;
};

template <>
struct ddr_ShortcutTraits<rgnC_SubsetData> {
    static constexpr std::uint32_t handleTypeId = 0x02540008, implTypeId = 0x0254000A;
    static constexpr const char* handleName = "rgnC_SubsetDataShortcut";
    static constexpr const char* implName = "rgnC_SubsetDataIMPLSC";
    static constexpr bool handleAsksImplForDynTypeId = false;
};

template <>
struct ddr_ShortcutTraits<rgnC_SubsetDataMap> {
    static constexpr std::uint32_t handleTypeId = 0x0254000B, implTypeId = 0x0254000D;
    static constexpr const char* handleName = "rgnC_SubsetDataListShortcut";
    static constexpr const char* implName = "rgnC_SubsetDataListIMPLSC";
    static constexpr bool handleAsksImplForDynTypeId = false;
};

template <>
struct ddr_SequenceShortcutTraits<rgnC_SetDataMap, rgnC_SetData> {
    static constexpr std::uint32_t typeId = 0x02540006;
    static constexpr const char* name = "rgnC_SetDataInSetDataListShortcut";
};

template <>
struct ddr_SequenceShortcutTraits<rgnC_SubsetDataMap, rgnC_SubsetData> {
    static constexpr std::uint32_t typeId = 0x02540009;
    static constexpr const char* name = "rgnC_SubsetDataInSubsetDataListShortcut";
};

// The subset list of a set data is its `subsetList`, called "subset" in path texts.
template <>
struct ddr_MemberShortcutTraits<rgnC_SetData, rgnC_SubsetDataMap> {
    static constexpr std::uint32_t typeId = 0x0254000C;
    static constexpr const char* name = "rgnC_SubsetDataListInSetDataShortcut";
    static constexpr const char* memberName = "subset";
    static const rgnC_SubsetDataMap& Member(const rgnC_SetData& set) { return set.SubsetList(); }
    static rgnC_SubsetDataMap& Member(rgnC_SetData& set) { return set.SubsetList(); }
};

using rgnC_SetDataListPath = ddr_Shortcut<rgnC_SetDataMap>;
using rgnC_SubsetDataPath = ddr_Shortcut<rgnC_SubsetData>;
using rgnC_SubsetDataListPath = ddr_Shortcut<rgnC_SubsetDataMap>;
using rgnC_SetDataInList = ddr_SequenceShortcut<rgnC_SetDataMap, rgnC_SetData, 1>;
using rgnC_SubsetDataInList = ddr_SequenceShortcut<rgnC_SubsetDataMap, rgnC_SubsetData, 1>;
using rgnC_SubsetListOfSet = ddr_MemberShortcut<rgnC_SetData, rgnC_SubsetDataMap, 1>;

// All instantiated in rgnC_Paths.cpp, with the set-data map they resolve through.
extern template class ddr_Shortcut<rgnC_SetDataMap>;
extern template class ddr_Shortcut<rgnC_SubsetData>;
extern template class ddr_Shortcut<rgnC_SubsetDataMap>;
extern template class ddr_ShortcutImpl<rgnC_SetData>;
extern template class ddr_ShortcutImpl<rgnC_SetDataMap>;
extern template class ddr_ShortcutImpl<rgnC_SubsetData>;
extern template class ddr_ShortcutImpl<rgnC_SubsetDataMap>;
extern template class ddr_SequenceShortcut<rgnC_SetDataMap, rgnC_SetData, 1>;
extern template class ddr_SequenceShortcut<rgnC_SubsetDataMap, rgnC_SubsetData, 1>;
extern template class ddr_MemberShortcut<rgnC_SetData, rgnC_SubsetDataMap, 1>;
