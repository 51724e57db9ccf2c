#include "dbc_Row.h"

#include "dbc_Table.h"
#include "nex_Message.h"

dbc_Row::dbc_Row(Layout layout, std::uint64_t oid, std::uint64_t uid)
    : layout_(std::move(layout)), values_(layout_->fields.size()), oid_(oid), uid_(uid) {}

int dbc_Row::index(std::string_view name) const {
    const std::vector<std::string>& fields = layout_->fields;
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i] == name)
            return static_cast<int>(i);
    return -1;
}

bool dbc_Row::HasValue(const rfm_FieldHandle& field) const {
    const int i = index(field.Name());
    return i >= 0 && !std::holds_alternative<Null>(values_[i]);
}

const dbc_Row::Value& dbc_Row::Read(const rfm_FieldHandle& field) const {
    static const Value none = Null{};
    const int i = index(field.Name());
    return i < 0 ? none : values_[i];
}

std::int64_t dbc_Row::ReadInt(const rfm_FieldHandle& field, std::int64_t otherwise) const {
    const auto* i = std::get_if<std::int64_t>(&Read(field));
    return i ? *i : otherwise;
}

std::string dbc_Row::ReadString(const rfm_FieldHandle& field, const std::string& otherwise) const {
    const auto* s = std::get_if<std::string>(&Read(field));
    return s ? *s : otherwise;
}

namespace {
constexpr int kNoFieldLine = 43;
} // namespace

void dbc_Row::Write(const rfm_FieldHandle& field, Value value) {
    const int i = index(field.Name());
    if (i < 0)
        nex_Message::Raise("framework/dbc/dbc_Row", kNoFieldLine,
                           "conversion: object %1$s has no field '%2$s'", std::to_string(oid_),
                           std::string(field.Name()));
    values_[i] = std::move(value);
}

void dbc_Row::Reset(std::uint64_t oid, std::uint64_t uid) {
    for (Value& v : values_)
        v = Null{};
    oid_ = oid;
    uid_ = uid;
}

void dbc_Row::Complete() {
    if (dbc_Table* table = pendingIn_) {
        pendingIn_ = nullptr;
        table->Store(*this);
    }
}
