#include "rgnC_SubsetData_203.h"

#include "cls_ClassRegistrar.h"
#include "dbc_DatabaseConverter.h"
#include "dbc_DatabaseConverterHolder.h"
#include "dbc_InputDatabase.h"
#include "dbc_Row.h"
#include "dbc_TableRfm.h"
#include "dbc_Utils.h"
#include "omi_IntTable.h"
#include "omi_Singleton.h"
#include "rgnC_OldLayouts.h"
#include "rgnC_SetData.h"
#include "rgnC_SubsetData.h"

namespace {

// The set data of another module's layout, read when the database holds no rgnC_SetData.
constexpr std::uint32_t kFallbackSetTypeId = 0x02A50005;

// The step's caches (see the header). Empty at load; no object with a constructor.
thread_local dbc_TableRfm* setTable = nullptr;
thread_local omi_IntTable<int, std::int64_t>* subsetToSet = nullptr;

dbc_TableRfm& setInputTable() {
    if (!setTable) {
        dbc_InputDatabase& input = omi_Singleton<dbc_DatabaseConverterHolder>::Instance()
                                       .GetDatabaseConverter()
                                       .InputDatabase();
        setTable = input.HasInputTable(rgnC_SetData::TypeId())
                       ? input.GetInputTable(rgnC_SetData::TypeId())
                       : input.GetInputTable(kFallbackSetTypeId);
    }
    return *setTable;
}

} // namespace

void rgnC_SubsetData_203::InitializeMetadata(cls_ClassRegistrar& registrar) const {
    rgnC_AddOldSubsetAttributes(registrar.CreateClassMD(cow_String("rgnC_SubsetData"),
                                                        rgnC_SubsetData::TypeId(), 203, nullptr, 1),
                                203);
}

void rgnC_SubsetData_203::SchemaChanges(dbc_DatabaseConverter& converter) const {
    dbc_ClassConverter& c =
        converter.GetConverter(303)->Upgrade("rgnC_SubsetData", rgnC_SubsetData::TypeId(), 203);
    c.BindConversionFunction(&SubsetTypeFromOwningSet);
    c.BindFinalizeFunction(&ReleaseSetTables);
}

void* rgnC_SubsetData_203::SubsetTypeFromOwningSet(const dbc_Row& input, dbc_Row& output, int) {
    dbc_Utils& utils = omi_Singleton<dbc_Utils>::Instance();
    if (!subsetToSet) {
        subsetToSet = new omi_IntTable<int, std::int64_t>();
        dbc_TableRfm& sets = setInputTable();
        for (int i = 0; i < sets.RowCount(); ++i) {
            dbc_Table* map = utils.GetAttributeMapFromInputDatabase(sets.Row(i), "subsetList", 0);
            for (int j = 0; j < map->RowCount(); ++j)
                subsetToSet->Insert(map->Row(j).ReadInt(rfm_FieldHandle("OID", -1)), i);
            delete map;
        }
    }
    // A subset that no set lists keeps no type: there is none to take.
    if (const int* r = subsetToSet->Find(static_cast<std::int64_t>(input.ObjectId()))) {
        const dbc_Row& set = setInputTable().Row(*r);
        output.Write(rfm_FieldHandle("subsetType#ClassID", -1),
                     set.Read(rfm_FieldHandle("setType#ClassID", -1)));
        output.Write(rfm_FieldHandle("subsetType#OID", -1),
                     set.Read(rfm_FieldHandle("setType#OID", -1)));
    }
    delete utils.SetNewAttributeArrayIntInOutputDatabase(output, "facetIdArray", 0);
    return nullptr;
}

void* rgnC_SubsetData_203::ReleaseSetTables(const dbc_Table&, dbc_Table&) {
    delete setTable;
    setTable = nullptr;
    delete subsetToSet;
    subsetToSet = nullptr;
    return nullptr;
}
