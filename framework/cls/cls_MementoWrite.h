// The record of one object being written: its class, identity and attribute values.
//
// The writer keeps every record of a write and stores them all when the write commits, so a
// failed write leaves nothing behind.
#pragma once

#include "cls_FieldHandle.h"
#include "cow_1DArrayList.h"
#include "cow_String.h"

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

class cls_ClassMetadata;

class cls_MementoWrite {
public:
    struct Null {};
    // A column value: NULL, an integer, or text.
    using Value = std::variant<Null, std::int64_t, cow_String>;

    // Reserves a column per plain attribute and two per object attribute of the class.
    cls_MementoWrite(const cls_ClassMetadata* metadata, std::uint32_t classId, std::uint64_t oid,
                     int collection);

    void WriteInt(const cls_FieldHandle& handle, const int* value);
    void WriteBool(const cls_FieldHandle& handle, const bool* value);
    void WriteString(const cls_FieldHandle& handle, const cow_String* value);
    // Records that the object attribute holds no object.
    void WriteEmptyObject(const cls_FieldHandle& handle);

    // The content of a list of ints (shared, not copied) or of a list of strings.
    void WriteIntArray(const cow_1DArrayList<int>& ids);
    void WriteStringList(std::vector<cow_String> texts);

    // Points an object attribute at a stored object.
    void SetReference(const cow_String& field, std::uint64_t oid, std::uint32_t classId);

    const cls_ClassMetadata* Metadata() const { return metadata_; }
    std::uint32_t ClassId() const { return classId_; }
    std::uint64_t Oid() const { return oid_; }
    int Collection() const { return collection_; }
    void SetCollection(int collection) { collection_ = collection; }
    const std::vector<std::pair<std::string, Value>>& Columns() const { return columns_; }
    const cow_1DArrayList<int>& IntArray() const { return ids_; }
    const std::vector<cow_String>& StringList() const { return texts_; }

private:
    void set(std::string column, Value value);

    const cls_ClassMetadata* metadata_;
    std::uint32_t classId_;
    std::uint64_t oid_;
    int collection_;
    std::vector<std::pair<std::string, Value>> columns_;
    cow_1DArrayList<int> ids_;
    std::vector<cow_String> texts_;
};
