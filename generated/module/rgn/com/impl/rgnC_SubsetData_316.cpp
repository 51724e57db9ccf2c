#include "rgnC_SubsetData_316.h"

#include "cls_ClassRegistrar.h"
#include "dbc_DatabaseConverter.h"
#include "dbc_Row.h"
#include "rgnC_OldLayouts.h"
#include "rgnC_SubsetData.h"

void rgnC_SubsetData_316::InitializeMetadata(cls_ClassRegistrar& registrar) const {
    rgnC_AddOldSubsetAttributes(registrar.CreateClassMD(cow_String("rgnC_SubsetData"),
                                                        rgnC_SubsetData::TypeId(), 316, nullptr, 1),
                                316);
}

void rgnC_SubsetData_316::SchemaChanges(dbc_DatabaseConverter& converter) const {
    converter.GetConverter(405)
        ->Upgrade("rgnC_SubsetData", rgnC_SubsetData::TypeId(), 316)
        .BindConversionFunction(&ClearUnsorted);
}

void* rgnC_SubsetData_316::ClearUnsorted(const dbc_Row&, dbc_Row& output, int) {
    output.WriteInt(rfm_FieldHandle("unsorted", -1), 0);
    return nullptr;
}
