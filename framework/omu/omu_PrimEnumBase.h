// Base of the enumerated primitives: holds the current name and the primitive's identity.
//
// The instantiations (`omu_PrimEnum<E, 1>`) own the name table and the value; this base keeps
// the name as shared text, compares, lists the permissible names and raises value errors.
#pragma once

#include "atr_String.h"
#include "cls_Uid.h"
#include "cow_Map.h"
#include "omu_Primitive.h"

class cls_ReadVisitor;
class cls_WriteVisitor;

class omu_PrimEnumBase : public omu_Primitive {
public:
    static constexpr std::uint32_t kTypeId = 0x00240002;

    // One row of an enumeration's name table; a null string ends the table.
    struct PrimEnumTableEl {
        const char* string;
        unsigned int value;
    };

    omu_PrimEnumBase() : uid_(cls_Uid::AllocateUid()) {}
    // Reads the stored name (empty when the record has none) and the stored identity.
    explicit omu_PrimEnumBase(const cls_ReadVisitor& rv);
    omu_PrimEnumBase(const omu_PrimEnumBase&) = default; // shares the name, keeps the identity
    omu_PrimEnumBase& operator=(const omu_PrimEnumBase&) = default;
    ~omu_PrimEnumBase() override = default;

    cow_String TypeString() const override { return cow_String("Enum"); }
    cow_String AsString(int) const override { return string_.String(); }
    bool operator==(const omu_Primitive& other) const override;
    void Accept(omu_PrimVisitor* visitor) const override;
    std::uint32_t DynTypeId() const override { return TypeId(); }
    // Stores the current name.
    virtual void DBWrite(const cls_WriteVisitor& wv) const;

    virtual bool SetValue(const char* name) = 0;
    virtual cow_Map<cow_String, unsigned int> PermissibleValues() const = 0;

    static std::uint32_t TypeId() { return kTypeId; }

    // The current name; never null.
    const char* GetString() const { return string_.c_str(); }
    // The permissible names in the order of their values, each quoted: "A", "B".
    cow_String PermissibleValuesAsString() const;
    const cls_Uid& Uid() const { return uid_; }

protected:
    atr_String string_;

private:
    cls_Uid uid_;
};
