// Base of the framework's primitive values (numbers, names, enumerations) as the scripting
// layer and the stored records see them.
#pragma once

#include "cow_String.h"

#include <cstdint>

class omu_PrimVisitor;

class omu_Primitive {
public:
    static constexpr std::uint32_t kTypeId = 0x00240001;

    virtual ~omu_Primitive() = default;

    // The kind of value, for messages ("Enum", "Int", ...).
    virtual cow_String TypeString() const = 0;
    // The value as text; `flags` is reserved for formatting options.
    virtual cow_String AsString(int flags) const = 0;
    // The value as the scripting layer writes it: the text in single quotes.
    virtual cow_String AsRepr() const;
    virtual bool operator==(const omu_Primitive& other) const = 0;
    virtual void Accept(omu_PrimVisitor* visitor) const = 0;
    // A new heap object of the same dynamic type and value; the caller owns it.
    virtual omu_Primitive* Copy() const = 0;
    virtual std::uint32_t DynTypeId() const = 0;

    static std::uint32_t TypeId() { return kTypeId; }

    bool operator!=(const omu_Primitive& other) const { return !(*this == other); }
};
