// The module's paths and its set-data map, instantiated once here: users of rgnC_Paths.h and
// rgnC_SetDataMap.h compile against their declarations, and the resolution of a path inlines
// the map's lookups in this one file.
#include "rgnC_Paths.h"

#include "cls_Map2ObjDefs.h"
#include "ddr_ShortcutDefs.h"
#include "rgnC_SetDataListRoot.h"

template class cls_Map2Obj<int, rgnC_SetData,
                           cow_ArrayCOW<rgnC_SetData, cow_Virtual<rgnC_SetData>>>;

template class ddr_ShortcutImpl<rgnC_SetData>;
template class ddr_ShortcutImpl<rgnC_SetDataMap>;
template class ddr_ShortcutImpl<rgnC_SubsetData>;
template class ddr_ShortcutImpl<rgnC_SubsetDataMap>;
template class ddr_Shortcut<rgnC_SetData>;
template class ddr_Shortcut<rgnC_SetDataMap>;
template class ddr_Shortcut<rgnC_SubsetData>;
template class ddr_Shortcut<rgnC_SubsetDataMap>;
template class ddr_SequenceShortcut<rgnC_SetDataMap, rgnC_SetData, 1>;
template class ddr_SequenceShortcut<rgnC_SubsetDataMap, rgnC_SubsetData, 1>;
template class ddr_MemberShortcut<rgnC_SetData, rgnC_SubsetDataMap, 1>;
template class ddr_RootMapShortcut<rgnC_SetDataMap>;
template void* ddr_ReadRootMapShortcut<rgnC_SetDataMap>(cls_ReadVisitor&);
