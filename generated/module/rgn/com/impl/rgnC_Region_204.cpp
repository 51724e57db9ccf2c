#include "rgnC_Region_204.h"

#include "cls_ClassRegistrar.h"
#include "dbc_DatabaseConverter.h"
#include "dbc_Row.h"
#include "dbc_Table.h"
#include "dbc_Utils.h"
#include "omi_Singleton.h"
#include "rgnC_OldLayouts.h"
#include "rgnC_Region.h"

void rgnC_Region_204::InitializeMetadata(cls_ClassRegistrar& registrar) const {
    rgnC_AddOldRegionAttributes(
        registrar.CreateClassMD(cow_String("rgnC_Region"), rgnC_Region::TypeId(), 204, nullptr, 1),
        204);
}

void rgnC_Region_204::SchemaChanges(dbc_DatabaseConverter& converter) const {
    converter.GetConverter(331)
        ->Upgrade("rgnC_Region", rgnC_Region::TypeId(), 204)
        .BindConversionFunction(&AddOwnerNamesSpaceAndBits);
}

void* rgnC_Region_204::AddOwnerNamesSpaceAndBits(const dbc_Row& input, dbc_Row& output, int) {
    if (dbc_Table* owners = omi_Singleton<dbc_Utils>::Instance().SetNewAttributeListInOutputDatabase(
            output, "_ownerNames", 0))
        delete owners; // the list itself stays in the output database
    for (const char* name : {"_space", "_setTypeBits"}) {
        const rfm_FieldHandle field(name, -1);
        if (!(input.Has(field) && input.HasValue(field)))
            output.WriteInt(field, 0);
    }
    return nullptr;
}
