// The stored record of one object being read: plain values by field name, with the default the
// caller gives for a field the record lacks (or holds empty); references to nested objects;
// and the content of stored int and string lists. The record is read from the file on first
// use, once.
//
// A value of the wrong kind (text where an int belongs, an int beyond the int range, a bool
// other than 0 or 1) is damage, refused with a message naming the file, the class, the object
// and the attribute.
#pragma once

#include "cls_FieldHandle.h"
#include "cls_Reader.h"
#include "cls_RowStore.h"
#include "cls_Uid.h"
#include "cow_COW.h"
#include "cow_Virtual.h"
#include "nex_Exception.h"

#include <memory>
#include <optional>
#include <typeindex>

class cls_ClassMetadata;
class cls_ReadVisitor;

class cls_MementoRead {
public:
    // The record of an absent object: every read answers its default. O(1), no query.
    explicit cls_MementoRead(cls_Reader& reader) : reader_(&reader) {}
    // The record of a stored object (row `oid`); its row is read on first use. O(1), no query.
    cls_MementoRead(cls_Reader& reader, std::uint64_t oid, std::uint32_t classId, int collection)
        : reader_(&reader), oid_(oid), classId_(classId), collection_(collection), present_(true) {}

    // The first read of a record fetches its row (read ahead with its neighbours: one query on a
    // miss, see cls_RowStore::ObjectRow); each read then finds the column by name, O(columns).
    // ReadString shares the stored text; past the row's fetch none of them allocates.
    int ReadInt(const cls_FieldHandle& handle, int defaultValue) const;
    bool ReadBool(const cls_FieldHandle& handle, bool defaultValue) const;
    cow_String ReadString(const cls_FieldHandle& handle, const cow_String& defaultValue) const;
    // The object an object attribute refers to, or nothing for an empty attribute. Two column
    // lookups (building their names allocates), as above.
    std::optional<cls_RowStore::Reference> ReadReference(const cls_FieldHandle& handle) const;

    // The object stored under `handle`, of class `declaredTypeId` or a registered class derived
    // from it, in a copy-on-write holder; an empty holder for an empty attribute. An object met
    // again in the same read comes back in a holder sharing the first one (a map lookup,
    // O(log objects read), no query); otherwise allocates the object and reads its record and
    // what it holds (BuildObject).
    template <class B>
    cow_COW<B, cow_Virtual<B>> ReadObject(const cls_FieldHandle& handle,
                                          std::uint32_t declaredTypeId) const;

    // The content of a stored int list or string list (read once, shared with the caller). The
    // first call reads the list's BLOB (read ahead when short, see cls_RowStore::IntList) into a
    // new list, O(n); later calls: IntArray O(1), StringList copies the text handles, O(n).
    cow_1DArrayList<int> IntArray() const;
    std::vector<cow_String> StringList() const;

    // The identity of the object read (see cls_Database::IdentityOfRow); null when absent. Reads
    // the row if not read yet (for a list, the list itself, as IntArray does); then one lock.
    cls_Uid Uid() const;
    // No copy, no query, O(1).
    bool IsPresent() const { return present_; }
    std::uint64_t Oid() const { return oid_; }
    std::uint32_t ClassId() const { return classId_; }
    int Collection() const { return collection_; }
    // Metadata of the record's class, or null for lists, maps and absent objects. A registrar
    // lookup, O(1).
    const cls_ClassMetadata* Metadata() const;
    // O(1).
    cls_Reader& Reader() const { return *reader_; }

    // Refuses the record as damaged: the message names the file, the class and the object.
    [[noreturn]] void Damaged(const std::string& problem) const;
    // Puts the record's place (the file, the object and its class) in front of the message of
    // a failure raised while the object was built from it, unless the failure names its place
    // already: an object nested inside this one, refused first, keeps its own. Nothing for an
    // absent record. The caller rethrows the same exception. Builds the place text when it adds
    // it.
    void AddContext(nex_Exception& failure) const;
    // Refuses the record unless its class is `typeId` or a registered class derived from it.
    // Walks the registered parents, O(depth); no query.
    void ExpectClass(std::uint32_t typeId) const;

    // Builds the object of record `oid` (of class `md`, id `classId`) with the class's reading
    // constructor, the record's place in front of the class's own failure; a class that cannot
    // be built from a record is refused. Allocates the object; reads its record (one query)
    // and what it holds. Both the nested objects and the entries of stored maps come here.
    // `standIn`, when given, builds the object instead of the class's own constructor (see
    // cls_ClassMetadata::AddStandIn).
    static void* BuildObject(cls_Reader& reader, const cls_ClassMetadata& md, std::uint64_t oid,
                             std::uint32_t classId, int collection,
                             void* (*standIn)(cls_ReadVisitor&) = nullptr);

private:
    const cls_StoredRow::Value* find(const cow_String& column) const;
    // "model database 'F': object N (C)", N and C those of `oid` and `classId`.
    std::string placeOf(std::uint64_t oid, std::uint32_t classId) const;
    void loadList() const;
    void* buildObject(const cls_RowStore::Reference& ref, std::uint32_t declaredTypeId,
                      int collection) const;

    cls_Reader* reader_;
    std::uint64_t oid_ = 0;
    std::uint32_t classId_ = 0;
    int collection_ = 0;
    bool present_ = false;
    mutable std::shared_ptr<const cls_StoredRow> row_;
    mutable bool listLoaded_ = false;
    mutable std::uint64_t storedUid_ = 0;
    mutable cow_1DArrayList<int> ids_;
    mutable std::vector<cow_String> texts_;
};

template <class B>
cow_COW<B, cow_Virtual<B>> cls_MementoRead::ReadObject(const cls_FieldHandle& handle,
                                                       std::uint32_t declaredTypeId) const {
    using Holder = cow_COW<B, cow_Virtual<B>>;
    const auto ref = ReadReference(handle);
    if (!ref)
        return Holder(static_cast<B*>(nullptr));
    const std::type_index kind(typeid(Holder));
    if (void* shared = reader_->Shared(ref->oid, kind))
        return *static_cast<Holder*>(shared);
    // Factories return the object as a pointer to the class its attributes are declared with.
    Holder holder(static_cast<B*>(buildObject(*ref, declaredTypeId, 0)));
    reader_->KeepShared(ref->oid, kind,
                        std::shared_ptr<void>(new Holder(holder),
                                              [](void* p) { delete static_cast<Holder*>(p); }));
    return holder;
}
