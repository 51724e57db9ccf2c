#include "cls_xp1DArrayListInt.h"

#include "cls_Codes.h"
#include "cls_ReadVisitor.h"
#include "cls_WriteVisitor.h"

cls_xp1DArrayListInt::cls_xp1DArrayListInt(const cls_ReadVisitor& rv, cls_Uid*)
    : cow_1DArrayList<int>(rv.Memento().IntArray()),
      uid_(rv.Memento().IsPresent() ? rv.GetUid() : cls_Uid::AllocateUid()) {}

void cls_xp1DArrayListInt::DBWrite(const cls_WriteVisitor& wv) const {
    if (!wv.StartWrite(cls_ListTypeId, uid_))
        return;
    wv.CheckCollectionType(cls_CollIntList);
    wv.Memento().WriteIntArray(*this);
}
