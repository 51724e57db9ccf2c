#include "rgnC_SetData_203.h"

#include "cls_ClassRegistrar.h"
#include "cls_Codes.h"
#include "dbc_DatabaseConverter.h"
#include "dbc_Row.h"
#include "omu_PrimEnumBase.h"
#include "rgnC_SetData.h"

void rgnC_SetData_203::InitializeMetadata(cls_ClassRegistrar& registrar) const {
    registrar.CreateClassMD(cow_String("rgnC_SetData"), rgnC_SetData::TypeId(), 203, nullptr, 1)
        .AddAttribute(cls_FieldHandle(0, "setIndex"), cls_AttrInt, 1, cls_CollSingle)
        .AddAttribute(cls_FieldHandle(1, "setLabel"), cls_AttrString, 1, cls_CollSingle)
        .AddAttribute(cls_FieldHandle(-1, "subsetList"), cls_AttrObject, cls_MapTypeId, cls_CollIntMap)
        .AddAttribute(cls_FieldHandle(3, "numSubset"), cls_AttrInt, 1, cls_CollSingle)
        .AddAttribute(cls_FieldHandle(4, "setType"), cls_AttrObject, omu_PrimEnumBase::TypeId(),
                      cls_CollSingle)
        .AddAttribute(cls_FieldHandle(5, "internalSet"), cls_AttrBool, 1, cls_CollSingle)
        .AddAttribute(cls_FieldHandle(6, "constructionOk"), cls_AttrBool, 1, cls_CollSingle);
}

void rgnC_SetData_203::SchemaChanges(dbc_DatabaseConverter& converter) const {
    converter.GetConverter(405)
        ->Upgrade("rgnC_SetData", rgnC_SetData::TypeId(), 203)
        .BindConversionFunction(&SetUnsortedIfMissing);
}

void* rgnC_SetData_203::SetUnsortedIfMissing(const dbc_Row& input, dbc_Row& output, int) {
    const rfm_FieldHandle unsorted("unsorted", -1);
    if (!(input.Has(unsorted) && input.HasValue(unsorted)))
        output.WriteInt(unsorted, 0);
    return nullptr;
}
