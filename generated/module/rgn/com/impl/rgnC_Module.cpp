#include "rgnC_Module.h"

#include "atr_translate.h"
#include "cls_MetadataRegistrar.h"
#include "omi_Singleton.h"
#include "rgnC_Paths.h"
#include "rgnC_PropRegionList.h"
#include "rgnC_RegionPair.h"
#include "rgnC_Region_203.h"
#include "rgnC_Region_204.h"
#include "rgnC_SetData_203.h"
#include "rgnC_SubsetData_203.h"
#include "rgnC_SubsetData_303.h"
#include "rgnC_SubsetData_316.h"
#include "cow_CountedHld.h"
#include "dbc_OldClassRegistrar.h"
#include "cow_Counter.h"
#include "dbc_Init.h"
#include "ddr_Init.h"
#include "mdl_Init.h"
#include "mem_Alloc.h"
#include "nex_Exception.h"
#include "omi_Init.h"
#include "omu_ValueErrorException.h"
#include "pnt_PrettyPrint.h"
#include "rfm_Init.h"
#include "typ_ArchCompTable.h"
#include "typ_DebugFlags.h"

namespace {
// Outstanding initialisations; constant-initialised, so loading the library runs no code.
std::uint32_t moduleCount = 0;

void registerClass(void (*initializeMetadata)(cls_ClassRegistrar&), unsigned int flags) {
    // The registrar is fetched anew for every registration.
    omi_Singleton<cls_MetadataRegistrar>::Instance().initClassMetadata(initializeMetadata, flags);
}

// The stored classes, in the order (and with the flags) the persistence framework expects.
void registerClassMetadata() {
    registerClass(&rgnC_PropRegionList::InitializeMetadata, 7);
    registerClass(&rgnC_Region::InitializeMetadata, 7);
    registerClass(&rgnC_RegionPair::InitializeMetadata, 3);
    registerClass(&rgnC_SetData::InitializeMetadata, 7);
    registerClass(&ddr_ShortcutImpl<rgnC_SetData>::InitializeMetadata, 7);
    registerClass(&rgnC_SetDataInList::InitializeMetadata, 4);
    registerClass(&ddr_ShortcutImpl<rgnC_SetDataMap>::InitializeMetadata, 4);
    registerClass(&rgnC_SetDataListPath::InitializeMetadata, 4);
    registerClass(&rgnC_SetDataPath::InitializeMetadata, 7);
    registerClass(&rgnC_SubsetData::InitializeMetadata, 7);
    registerClass(&ddr_ShortcutImpl<rgnC_SubsetData>::InitializeMetadata, 4);
    registerClass(&rgnC_SubsetDataInList::InitializeMetadata, 4);
    registerClass(&ddr_ShortcutImpl<rgnC_SubsetDataMap>::InitializeMetadata, 4);
    registerClass(&rgnC_SubsetListOfSet::InitializeMetadata, 4);
    registerClass(&rgnC_SubsetDataListPath::InitializeMetadata, 4);
    registerClass(&rgnC_SubsetDataPath::InitializeMetadata, 4);
}

// Each old version in a new holder (count 1) that the registrar takes over; the module keeps no
// reference. The registrar is fetched anew for every registration.
void registerOld(dbc_OldClassVersion* version) {
    omi_Singleton<dbc_OldClassRegistrar>::Instance().Register(
        new cow_CountedHld<dbc_OldClassVersion>(version), 4);
}

void registerOldClassVersions() {
    registerOld(new rgnC_Region_203);
    registerOld(new rgnC_Region_204);
    registerOld(new rgnC_SetData_203);
    registerOld(new rgnC_SubsetData_203);
    registerOld(new rgnC_SubsetData_303);
    registerOld(new rgnC_SubsetData_316);
}
} // namespace

constexpr typ_Entry rgnC_ClassTable[18] = {
    {0, 0, nullptr},
    {7, 1, "rgnC_Region"},
    {7, 1, "rgnC_PropRegionList"},
    {7, 1, "rgnC_SetData"},
    {7, 1, "rgnC_SubsetData"},
    {7, 1, "rgnC_SetDataShortcut"},
    {7, 0x02540007, "rgnC_SetDataInSetDataListShortcut"},
    {7, 1, "rgnC_SetDataIMPLSC"},
    {7, 1, "rgnC_SubsetDataShortcut"},
    {7, 0x0254000A, "rgnC_SubsetDataInSubsetDataListShortcut"},
    {7, 1, "rgnC_SubsetDataIMPLSC"},
    {7, 1, "rgnC_SubsetDataListShortcut"},
    {7, 0x0254000D, "rgnC_SubsetDataListInSetDataShortcut"},
    {7, 1, "rgnC_SubsetDataListIMPLSC"},
    {7, 1, "rgnC_SetDataListShortcut"},
    {7, 1, "rgnC_SetDataListIMPLSC"},
    {7, 1, "rgnC_RegionPair"},
    {7, 1, "rgnC_RegionPairArray"},
};

void rgnC_initialize(int& count) {
    // The count is raised before any framework call, so it stays raised if one throws.
    const std::uint32_t previous = moduleCount;
    moduleCount = previous + 1;
    if (previous != 0)
        return;
    count += 1;

    mem_initialize(count);
    typ_initialize(count);
    pnt_initialize(count);
    omni_initialize(count);
    atr_initialize(count);
    cow_initialize(count);
    nex_initialize(count);
    omu_initialize(count);
    mdl_initialize(count);
    rfm_initialize(count);
    dbc_initialize(count);
    ddr_initialize(count);

    typ_ArchCompTable::InsertEntry(rgnC_ModuleNumber, typ_ArchCompEntry(&rgnC_ClassTable[0], 18));

    registerClassMetadata();
    registerOldClassVersions();
}

void rgnC_finalize(int& count) {
    if (--moduleCount != 0)
        return;
    count -= 1;

    ddr_finalize(count);
    dbc_finalize(count);
    rfm_finalize(count);
    mdl_finalize(count);
    omu_finalize(count);
    nex_finalize(count);
    cow_finalize(count);
    atr_finalize(count);
    omni_finalize(count);
    pnt_finalize(count);
    typ_finalize(count);
    mem_finalize(count);
}
