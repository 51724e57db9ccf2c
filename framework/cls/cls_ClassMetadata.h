// What the persistence framework knows of one stored class: its registered name, type id,
// schema version, parent, factory and the ordered list of its stored attributes.
// Built at start-up, then only read, by any number of threads: its names are interned.
//
//   registrar.CreateClassMD("rgnC_SetDataShortcut", 0x02540005, 203, &Ctor, 1)
//       .AddAttribute(cls_FieldHandle(-1, "impl"), 15, 0x02540007, 0);
#pragma once

#include "cls_Codes.h"
#include "cls_FieldHandle.h"
#include "cow_COW.h"
#include "cow_Direct.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class cls_ReadVisitor;
class cls_WriteVisitor;

class cls_ClassMetadata {
public:
    using CtorFunction = void* (*)(cls_ReadVisitor&);
    // Destroys an object held through a counted holder (one reference less; the object and
    // the holder go with the last one).
    using DtorFunction = void (*)(cow_COW<int, cow_Direct<int>>*);

    // The DtorFunction of objects held by a `Holder` (a cow_COW of the class): the stored
    // reference is that holder, registered under the common holder type. O(1) unless the
    // reference was the last, which destroys the object too.
    template <class Holder>
    static void ReleaseHeld(cow_COW<int, cow_Direct<int>>* holder) {
        delete reinterpret_cast<Holder*>(holder);
    }

    struct Attribute {
        cls_FieldHandle handle;
        cls_AttributeType type;
        std::uint32_t typeId;
        cls_CollectionType collection;
    };
    // A column of the class's table: one per plain attribute, two per object attribute
    // ("<name>#OID" and "<name>#ClassID").
    struct Column {
        std::string name;
        const char* sqlType; // "INTEGER" or "TEXT"
        int attribute;       // index into Attributes()
        bool refersToClass;  // the "#ClassID" half of an object attribute
    };

    // Interns the name (a lookup under a shared lock; allocates the first time a name is seen).
    cls_ClassMetadata(cow_String name, std::uint32_t typeId, int version, CtorFunction ctor,
                      std::uint32_t parentTypeId);
    virtual ~cls_ClassMetadata();

    // Attributes keep the order of these calls. Interns the attribute's name and appends it
    // with its one or two columns (their names allocated); O(1) amortised. AddDtor is O(1).
    cls_ClassMetadata& AddAttribute(const cls_FieldHandle& handle, cls_AttributeType type,
                                    std::uint32_t typeId, cls_CollectionType collection);
    cls_ClassMetadata& AddDtor(DtorFunction dtor);
    // Lets a record of class `classId`, which does not derive from this class, stand where
    // this class is declared: it is built by `ctor`, which returns this class's object. A
    // class that the framework registers (and so cannot derive from a module's class) serves
    // a module's declared base this way. O(1) amortised.
    cls_ClassMetadata& AddStandIn(std::uint32_t classId, CtorFunction ctor);
    // The factory registered for records of `classId` standing in for this class, or null.
    // A linear search, O(stand-ins); no allocation.
    CtorFunction StandInCtor(std::uint32_t classId) const;

    // Stores `object` (of this class) through the visitor; the adapters of value classes
    // forward to the object's own DBWrite. Rows are queued into the write, none reaching the
    // file before commit; the base writes nothing.
    virtual void DBWrite(const void* object, const cls_WriteVisitor& visitor) const;
    // The base deletes nothing; DeleteCow drops one reference through the registered
    // DtorFunction (see ReleaseHeld).
    virtual void DeleteObject(void* object) const;
    virtual void DeleteCow(cow_COW<int, cow_Direct<int>>* holder) const;
    // A new object read from the visitor, or null when the class cannot be built (abstract).
    // Allocates the object; the factory reads its record (see cls_MementoRead::BuildObject).
    virtual void* Ctor(cls_ReadVisitor& visitor) const;

    // No copy, O(1).
    const cow_String& Name() const { return name_; }
    std::uint32_t TypeId() const { return typeId_; }
    int Version() const { return version_; }
    std::uint32_t ParentTypeId() const { return parentTypeId_; }
    const std::vector<Attribute>& Attributes() const { return attributes_; }
    // A linear search comparing names, O(attributes); no allocation.
    const Attribute* FindAttribute(std::string_view name) const;
    // The index of the attribute named `name`, or -1.
    int AttributeIndex(std::string_view name) const;
    // The columns of the class's table, in attribute order; kept as attributes are added. These
    // three: no copy, O(1).
    const std::vector<Column>& Columns() const { return columns_; }
    DtorFunction Dtor() const { return dtor_; }
    bool HasFactory() const { return ctor_ != nullptr; }

private:
    cow_String name_;
    std::uint32_t typeId_;
    int version_;
    CtorFunction ctor_;
    std::uint32_t parentTypeId_;
    std::vector<Attribute> attributes_;
    std::vector<Column> columns_;
    DtorFunction dtor_ = nullptr;
    std::vector<std::pair<std::uint32_t, CtorFunction>> standIns_;
};
