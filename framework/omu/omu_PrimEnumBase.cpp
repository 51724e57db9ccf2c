#include "omu_PrimEnumBase.h"

#include "atr_SubstituteFormat.h"
#include "cls_ReadVisitor.h"
#include "cls_WriteVisitor.h"
#include "atr_translate.h"
#include "omu_PrimVisitor.h"
#include "omu_ValueErrorException.h"

#include <algorithm>
#include <cstring>
#include <typeinfo>
#include <vector>

namespace {
const cls_FieldHandle& nameField() {
    static const cls_FieldHandle h(-1, "name");
    return h;
}
} // namespace

omu_PrimEnumBase::omu_PrimEnumBase(const cls_ReadVisitor& rv)
    : uid_(rv.Memento().IsPresent() ? rv.GetUid() : cls_Uid::AllocateUid()) {
    string_ = rv.Memento().ReadString(nameField(), cow_String()).c_str();
}

void omu_PrimEnumBase::DBWrite(const cls_WriteVisitor& wv) const {
    if (!wv.StartWrite(TypeId(), uid_))
        return;
    wv.Memento().WriteString(nameField(), &string_.String());
}

bool omu_PrimEnumBase::operator==(const omu_Primitive& other) const {
    const auto* e = dynamic_cast<const omu_PrimEnumBase*>(&other);
    return e && typeid(*this) == typeid(*e) && std::strcmp(GetString(), e->GetString()) == 0;
}

void omu_PrimEnumBase::Accept(omu_PrimVisitor* visitor) const {
    if (visitor)
        visitor->VisitEnum(*this);
}

cow_String omu_PrimEnumBase::PermissibleValuesAsString() const {
    const cow_Map<cow_String, unsigned int> names = PermissibleValues();
    std::vector<std::pair<unsigned int, cow_String>> byValue;
    for (const auto& [name, value] : names.Entries())
        byValue.emplace_back(value, name);
    std::stable_sort(byValue.begin(), byValue.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string text;
    for (const auto& [value, name] : byValue) {
        if (!text.empty())
            text += ", ";
        text += '"';
        text += name.view();
        text += '"';
    }
    return cow_String(text);
}
