#include "rgnC_OldLayouts.h"

#include "cls_ClassMetadata.h"
#include "cls_Codes.h"
#include "omu_PrimEnumBase.h"
#include "rgnC_Paths.h"

void rgnC_AddOldRegionAttributes(cls_ClassMetadata& md, int version) {
    md.AddAttribute(cls_FieldHandle(0, "name"), cls_AttrString, 1, cls_CollSingle);
    md.AddAttribute(cls_FieldHandle(1, "internal"), cls_AttrBool, 1, cls_CollSingle);
    if (version == 203)
        md.AddAttribute(cls_FieldHandle(2, "_type"), cls_AttrEnum, 1, cls_CollSingle);
    else
        md.AddAttribute(cls_FieldHandle(3, "_typeObsolete"), cls_AttrEnum, 1, cls_CollSingle);
    md.AddAttribute(cls_FieldHandle(4, "setData"), cls_AttrObject, rgnC_SetDataPath::TypeId(),
                    cls_CollSingle);
}

void rgnC_AddOldSubsetAttributes(cls_ClassMetadata& md, int version) {
    md.AddAttribute(cls_FieldHandle(0, "setIndex"), cls_AttrInt, 1, cls_CollSingle);
    md.AddAttribute(cls_FieldHandle(1, "subsetIndex"), cls_AttrInt, 1, cls_CollSingle);
    md.AddAttribute(cls_FieldHandle(2, "idArray"), cls_AttrObject, cls_ListTypeId, cls_CollIntList);
    if (version >= 303) {
        md.AddAttribute(cls_FieldHandle(3, "facetIdArray"), cls_AttrObject, cls_ListTypeId,
                        cls_CollIntList);
        md.AddAttribute(cls_FieldHandle(4, "subsetType"), cls_AttrObject,
                        omu_PrimEnumBase::TypeId(), cls_CollSingle);
    }
    if (version <= 303)
        md.AddAttribute(cls_FieldHandle(5, "numItems"), cls_AttrInt, 1, cls_CollSingle);
    md.AddAttribute(cls_FieldHandle(6, "meshIndex"), cls_AttrInt, 1, cls_CollSingle);
    md.AddAttribute(cls_FieldHandle(7, "classIndex"), cls_AttrInt, 1, cls_CollSingle);
    md.AddAttribute(cls_FieldHandle(8, "constructionOk"), cls_AttrBool, 1, cls_CollSingle);
}
