#include "rgnC_SubsetData_303.h"

#include "cls_ClassRegistrar.h"
#include "dbc_DatabaseConverter.h"
#include "rgnC_OldLayouts.h"
#include "rgnC_SubsetData.h"

void rgnC_SubsetData_303::InitializeMetadata(cls_ClassRegistrar& registrar) const {
    rgnC_AddOldSubsetAttributes(registrar.CreateClassMD(cow_String("rgnC_SubsetData"),
                                                        rgnC_SubsetData::TypeId(), 303, nullptr, 1),
                                303);
}

void rgnC_SubsetData_303::SchemaChanges(dbc_DatabaseConverter& converter) const {
    converter.GetConverter(316)
        ->Upgrade("rgnC_SubsetData", rgnC_SubsetData::TypeId(), 303)
        .BindConversionFunction(&KeepAsIs);
}

void* rgnC_SubsetData_303::KeepAsIs(const dbc_Row&, dbc_Row&, int) { return nullptr; }
