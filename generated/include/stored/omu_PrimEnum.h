// An enumerated primitive: one value of the enumeration E together with its name.
//
// Values and names convert through the instantiation's constant `table` (defined beside the
// enumeration), which ends with a null string. Construction from a value or name outside the
// table throws omu_ValueErrorException; SetValue reports the same by returning false.
//
//   omu_PrimEnum<res_SetTypeEnm, 1> t(cow_String("NODE_SET"));   // value 0
//   t.SetValue("ELEMENT_SET");                                   // true; value 1
//
// The constructors, which throw, are defined in omu_PrimEnumDefs.h, so that a class holding an
// enumerated field compiles without the messages and exceptions: each enumeration's table
// file instantiates its omu_PrimEnum explicitly (and its header declares it `extern template`).
#pragma once

#include "cow_Map.h"
#include "cow_String.h"
#include "omu_PrimEnumBase.h"

#include <cstring>
#include <new>
#include <type_traits>

template <class E, int N>
class omu_PrimEnum : public omu_PrimEnumBase {
    static_assert(std::is_enum_v<E> && sizeof(E) == 4,
                  "omu_PrimEnum<E, N> needs a 32-bit enumeration E");

public:
    // From a value; a value outside the table throws omu_ValueErrorException naming the
    // permissible names. Shares the table's own name text: allocates nothing on success.
    explicit omu_PrimEnum(E value);
    // From any enumerated primitive (of this or another enumeration), by its name: a linear
    // search of the table, O(table).
    explicit omu_PrimEnum(const omu_PrimEnumBase& other);
    // By name, O(table); an unknown name throws as above.
    explicit omu_PrimEnum(const cow_String& name);
    // Reads the stored name (one field of the record) and maps it back to its value through the
    // table; an unknown stored name throws as above.
    explicit omu_PrimEnum(const cls_ReadVisitor& rv);

    // Shares the name text and keeps the identity: O(1), no allocation.
    omu_PrimEnum(const omu_PrimEnum&) = default;
    omu_PrimEnum& operator=(const omu_PrimEnum&) = default;
    ~omu_PrimEnum() override = default;

    // Compares the names, O(length).
    bool operator==(const omu_Primitive& other) const override {
        return omu_PrimEnumBase::operator==(other);
    }

    // A new heap object with this value, name and identity; null when memory runs out.
    omu_Primitive* Copy() const override { return new (std::nothrow) omu_PrimEnum(*this); }

    // Exact, case-sensitive match of the whole name; false leaves the object unchanged. A
    // linear search of the table, O(table); shares the table's text, allocates nothing.
    bool SetValue(const char* name) override {
        if (!name)
            return false;
        for (const PrimEnumTableEl* el = table; el->string; ++el) {
            if (std::strcmp(el->string, name) == 0) {
                set(*el);
                return true;
            }
        }
        return false;
    }

    // The same by value.
    bool SetValue(E value) {
        for (const PrimEnumTableEl* el = table; el->string; ++el) {
            if (el->value == static_cast<unsigned int>(value)) {
                set(*el);
                return true;
            }
        }
        return false;
    }

    // No copy, O(1).
    E GetValue() const { return value_; }

    // Every name of the table with its value: allocates the map, O(table log table).
    cow_Map<cow_String, unsigned int> PermissibleValues() const override {
        cow_Map<cow_String, unsigned int> names;
        for (const PrimEnumTableEl* el = table; el->string; ++el)
            names.Insert(cow_String(el->string), el->value);
        return names;
    }

private:
    static constexpr const char* kSourceFile = "generated/include/omu_PrimEnum";
    // The positions the refusals of the constructors (by value, by another enumeration's name,
    // by name, by stored name) are reported at.
    static constexpr int kValueLine = 54;
    static constexpr int kOtherEnumLine = 67;
    static constexpr int kNameLine = 81;
    static constexpr int kStoredNameLine = 95;

    // The name becomes the table's own text, never the caller's buffer.
    void set(const PrimEnumTableEl& el) {
        value_ = static_cast<E>(el.value);
        string_ = el.string;
    }

    // Defined, with its terminator, beside each enumeration.
    static const PrimEnumTableEl table[];

    E value_{};
};
