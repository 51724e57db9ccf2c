// The constructors of omu_PrimEnum, which refuse a value or name outside the table with an
// omu_ValueErrorException. Included by the file that defines an enumeration's table and
// instantiates it (`template class omu_PrimEnum<res_SetTypeEnm, 1>;`).
#pragma once

#include "nex_Message.h"
#include "omu_PrimEnum.h"
#include "omu_ValueErrorException.h"

template <class E, int N>
omu_PrimEnum<E, N>::omu_PrimEnum(E value) {
    if (!SetValue(value)) {
        const cow_String permissible = PermissibleValuesAsString();
        nex_Message::Raise<omu_ValueErrorException>(
            kSourceFile, kValueLine,
            "omu_PrimEnum(Enum) - Enum value not allowed: %d  Permissible: %s",
            static_cast<int>(value), permissible);
    }
}

template <class E, int N>
omu_PrimEnum<E, N>::omu_PrimEnum(const omu_PrimEnumBase& other) {
    if (!SetValue(other.GetString()))
        nex_Message::Raise<omu_ValueErrorException>(
            kSourceFile, kOtherEnumLine,
            "omu_PrimEnum(const omu_PrimEnumBase&) - str not allowed: %s", other.GetString());
}

template <class E, int N>
omu_PrimEnum<E, N>::omu_PrimEnum(const cow_String& name) {
    if (!SetValue(name.c_str())) {
        const cow_String permissible = PermissibleValuesAsString();
        nex_Message::Raise<omu_ValueErrorException>(
            kSourceFile, kNameLine,
            "omu_PrimEnum(const cow_String&) - str not allowed: %s  Permissible: %s", name,
            permissible);
    }
}

template <class E, int N>
omu_PrimEnum<E, N>::omu_PrimEnum(const cls_ReadVisitor& rv) : omu_PrimEnumBase(rv) {
    const cow_String name(GetString()); // SetValue replaces the text on success only
    if (!SetValue(name.c_str())) {
        const cow_String permissible = PermissibleValuesAsString();
        nex_Message::Raise<omu_ValueErrorException>(
            kSourceFile, kStoredNameLine,
            "omu_PrimEnum(const cls_ReadVisitor&) - str not allowed: %s  Permissible: %s", name,
            permissible);
    }
}
