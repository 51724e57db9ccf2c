#include "cls_xpListString.h"

#include "cls_Codes.h"
#include "cls_ReadVisitor.h"
#include "cls_WriteVisitor.h"

cls_xpListString::cls_xpListString(const cls_ReadVisitor& rv)
    : uid_(rv.Memento().IsPresent() ? rv.GetUid() : cls_Uid::AllocateUid()) {
    for (const cow_String& text : rv.Memento().StringList())
        Append(text);
}

void cls_xpListString::DBWrite(const cls_WriteVisitor& wv) const {
    if (!wv.StartWrite(cls_ListTypeId, uid_))
        return;
    wv.CheckCollectionType(cls_CollStringList);
    std::vector<cow_String> texts;
    texts.reserve(Count());
    for (int i = 0; i < Count(); ++i)
        texts.push_back(ConstGet(i));
    wv.Memento().WriteStringList(std::move(texts));
}
