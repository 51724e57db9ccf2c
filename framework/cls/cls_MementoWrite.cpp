#include "cls_MementoWrite.h"

#include "cls_ClassMetadata.h"
#include "nex_Message.h"

cls_MementoWrite::cls_MementoWrite(const cls_ClassMetadata* metadata, std::uint32_t classId,
                                   std::uint64_t uid, int collection, const std::string* path)
    : metadata_(metadata), classId_(classId), uid_(uid), collection_(collection), path_(path) {
    if (metadata_)
        values_.resize(metadata_->Attributes().size());
}

cls_MementoWrite::Value& cls_MementoWrite::slot(const cow_String& field) {
    const int index = metadata_ ? metadata_->AttributeIndex(field.view()) : -1;
    if (index < 0) {
        const std::string owner =
            metadata_ ? "class '" + metadata_->Name().str() + "'" : std::string("a collection");
        constexpr int kNoAttributeLine = 21;
        nex_Message::Raise("framework/cls/cls_MementoWrite", kNoAttributeLine,
                           "model database '%1$s': %2$s has no stored attribute '%3$s'",
                           path_ ? *path_ : std::string(), owner, field);
    }
    return values_[index];
}

void cls_MementoWrite::WriteInt(const cls_FieldHandle& handle, const int* value) {
    slot(handle.Name()) = value ? Value(std::int64_t{*value}) : Value(Null{});
}

void cls_MementoWrite::WriteBool(const cls_FieldHandle& handle, const bool* value) {
    slot(handle.Name()) = value ? Value(std::int64_t{*value ? 1 : 0}) : Value(Null{});
}

void cls_MementoWrite::WriteString(const cls_FieldHandle& handle, const cow_String* value) {
    slot(handle.Name()) = value ? Value(*value) : Value(Null{});
}

void cls_MementoWrite::WriteEmptyObject(const cls_FieldHandle& handle) {
    slot(handle.Name()) = Null{};
}

void cls_MementoWrite::WriteIntArray(const cow_1DArrayList<int>& ids) { ids_ = ids; }

void cls_MementoWrite::WriteStringList(std::vector<cow_String> texts) { texts_ = std::move(texts); }

void cls_MementoWrite::SetReference(const cow_String& field, std::uint64_t uid,
                                    std::uint32_t classId) {
    slot(field) = Ref{uid, classId};
}
