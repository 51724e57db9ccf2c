#include "cls_MementoWrite.h"

#include "cls_ClassMetadata.h"

cls_MementoWrite::cls_MementoWrite(const cls_ClassMetadata* metadata, std::uint32_t classId,
                                   std::uint64_t oid, int collection)
    : metadata_(metadata), classId_(classId), oid_(oid), collection_(collection) {
    if (!metadata_)
        return;
    std::size_t columns = 0;
    for (const auto& a : metadata_->Attributes())
        columns += a.type == cls_AttrObject ? 2 : 1;
    columns_.reserve(columns);
}

void cls_MementoWrite::set(std::string column, Value value) {
    for (auto& [name, v] : columns_) {
        if (name == column) {
            v = std::move(value);
            return;
        }
    }
    columns_.emplace_back(std::move(column), std::move(value));
}

void cls_MementoWrite::WriteInt(const cls_FieldHandle& handle, const int* value) {
    set(handle.Name().str(), value ? Value(std::int64_t{*value}) : Value(Null{}));
}

void cls_MementoWrite::WriteBool(const cls_FieldHandle& handle, const bool* value) {
    set(handle.Name().str(), value ? Value(std::int64_t{*value ? 1 : 0}) : Value(Null{}));
}

void cls_MementoWrite::WriteString(const cls_FieldHandle& handle, const cow_String* value) {
    set(handle.Name().str(), value ? Value(*value) : Value(Null{}));
}

void cls_MementoWrite::WriteEmptyObject(const cls_FieldHandle& handle) {
    set(handle.Name().str() + "#OID", Null{});
    set(handle.Name().str() + "#ClassID", Null{});
}

void cls_MementoWrite::WriteIntArray(const cow_1DArrayList<int>& ids) { ids_ = ids; }

void cls_MementoWrite::WriteStringList(std::vector<cow_String> texts) { texts_ = std::move(texts); }

void cls_MementoWrite::SetReference(const cow_String& field, std::uint64_t oid,
                                    std::uint32_t classId) {
    set(field.str() + "#OID", static_cast<std::int64_t>(oid));
    set(field.str() + "#ClassID", std::int64_t{classId});
}
