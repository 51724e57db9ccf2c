#include "rgnC_Region_203.h"

#include "cls_ClassRegistrar.h"
#include "dbc_DatabaseConverter.h"
#include "dbc_DatabaseConverterHolder.h"
#include "dbc_OutputDatabase.h"
#include "dbc_Row.h"
#include "dbc_Utils.h"
#include "omi_Singleton.h"
#include "omu_PrimEnum.h"
#include "rgnC_OldLayouts.h"
#include "rgnC_Paths.h"
#include "rgnC_Region.h"
#include "rgnC_SetType.h"

void rgnC_Region_203::InitializeMetadata(cls_ClassRegistrar& registrar) const {
    rgnC_AddOldRegionAttributes(
        registrar.CreateClassMD(cow_String("rgnC_Region"), rgnC_Region::TypeId(), 203, nullptr, 1),
        203);
}

void rgnC_Region_203::SchemaChanges(dbc_DatabaseConverter& converter) const {
    dbc_ClassConverter& c =
        converter.GetConverter(203)->Upgrade("rgnC_Region", rgnC_Region::TypeId(), 203);
    c.BindConversionFunction(&FillSetDataAndTypeObsolete);
    c.BindFinalizeFunction(&FinishRegion203);
}

void* rgnC_Region_203::FillSetDataAndTypeObsolete(const dbc_Row& input, dbc_Row& output, int) {
    const rfm_FieldHandle setDataOid("setData#OID", -1), setDataClass("setData#ClassID", -1);
    bool refers;
    if (input.Has(setDataOid) && input.HasValue(setDataOid))
        refers = true;
    else if (!input.Has(setDataClass))
        refers = false;
    else
        refers = input.HasValue(setDataOid);
    if (!refers) {
        dbc_DatabaseConverter& running =
            omi_Singleton<dbc_DatabaseConverterHolder>::Instance().GetDatabaseConverter();
        dbc_Table* paths = running.OutputDatabase().GetOutputTable(rgnC_SetDataPath::TypeId());
        dbc_Row* path = omi_Singleton<dbc_Utils>::Instance().SetObj(*paths, "setData", output,
                                                                   rgnC_SetDataPath::TypeId());
        path->Complete();
    }
    const rfm_FieldHandle typeObsolete("_typeObsolete", -1);
    if (!(input.Has(typeObsolete) && input.HasValue(typeObsolete)))
        output.WriteString(typeObsolete,
                           omu_PrimEnum<rgnC_SetType, 1>(static_cast<rgnC_SetType>(5)).AsString(0).str());
    return nullptr;
}

void* rgnC_Region_203::FinishRegion203(const dbc_Table&, dbc_Table&) { return nullptr; }
