// The record of one object being written: its class, identity and attribute values, or, for
// the framework's collections, the content of an int list or a string list.
//
// The writer queues every record of a write and stores them all when the write commits, so a
// failed write leaves nothing behind. Values are kept by attribute; a reference to another
// object is kept as that object's identity and becomes its row when the write commits.
#pragma once

#include "cls_FieldHandle.h"
#include "cow_1DArrayList.h"
#include "cow_String.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

class cls_ClassMetadata;

class cls_MementoWrite {
public:
    struct Null {};
    // An object attribute's target: the object's identity and class.
    struct Ref {
        std::uint64_t uid;
        std::uint32_t classId;
    };
    using Value = std::variant<Null, std::int64_t, cow_String, Ref>;

    // `path` names the database in the errors of attributes the class lacks (borrowed). Allocates
    // a value per attribute of the class, none for a collection: O(attributes).
    cls_MementoWrite(const cls_ClassMetadata* metadata, std::uint32_t classId, std::uint64_t uid,
                     int collection, const std::string* path);

    // Each finds the attribute by name (O(attributes)) and sets its value in place; a text is
    // shared, not copied. The row reaches the file only at the write's commit.
    void WriteInt(const cls_FieldHandle& handle, const int* value);
    void WriteBool(const cls_FieldHandle& handle, const bool* value);
    void WriteString(const cls_FieldHandle& handle, const cow_String* value);
    // Records that the object attribute holds no object.
    void WriteEmptyObject(const cls_FieldHandle& handle);

    // The content of a list of ints (shared with the caller's list, not copied) or of a list
    // of strings (moved in, its texts shared). O(1).
    void WriteIntArray(const cow_1DArrayList<int>& ids);
    void WriteStringList(std::vector<cow_String> texts);

    // Points an object attribute at a stored object: the identity is kept and becomes a row at
    // the commit. O(attributes), like WriteInt.
    void SetReference(const cow_String& field, std::uint64_t uid, std::uint32_t classId);

    // No copy, O(1).
    const cls_ClassMetadata* Metadata() const { return metadata_; }
    std::uint32_t ClassId() const { return classId_; }
    std::uint64_t Uid() const { return uid_; }
    int Collection() const { return collection_; }
    void SetCollection(int collection) { collection_ = collection; }
    // One value per attribute of the class, in attribute order (Null where nothing was written).
    // These three: no copy, O(1).
    const std::vector<Value>& Values() const { return values_; }
    const cow_1DArrayList<int>& IntArray() const { return ids_; }
    const std::vector<cow_String>& StringList() const { return texts_; }

private:
    Value& slot(const cow_String& field);

    const cls_ClassMetadata* metadata_;
    std::uint32_t classId_;
    std::uint64_t uid_;
    int collection_;
    const std::string* path_;
    std::vector<Value> values_;
    cow_1DArrayList<int> ids_;
    std::vector<cow_String> texts_;
};
