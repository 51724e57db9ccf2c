// One row of a class table during a conversion: the object's id, and a value (or none) for
// each field of the row's layout. A stored reference is two fields, "<name>#OID" and
// "<name>#ClassID".
//
// Rows of an input table are read-only to conversion functions; an output row starts with the
// fields that its layout shares with the input's, copied, and the others empty.
#pragma once

#include "rfm_FieldHandle.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

class cls_ClassMetadata;
class dbc_Table;

// The fields of the rows of one table, shared by them, with the class layout they come from
// (null when the table's layout is not a registered one).
struct dbc_RowLayout {
    std::vector<std::string> fields;
    const cls_ClassMetadata* metadata = nullptr;
};

class dbc_Row {
public:
    struct Null {};
    using Value = std::variant<Null, std::int64_t, double, std::string>;
    using Layout = std::shared_ptr<const dbc_RowLayout>;

    dbc_Row(Layout layout, std::uint64_t oid, std::uint64_t uid);

    // Whether the layout has the field (presence), and whether it holds a value.
    bool Has(const rfm_FieldHandle& field) const { return index(field.Name()) >= 0; }
    bool HasValue(const rfm_FieldHandle& field) const;

    // The field's value; none for a field the layout lacks.
    const Value& Read(const rfm_FieldHandle& field) const;
    // The field's value as an int or a string; `otherwise` when it holds none or another kind.
    std::int64_t ReadInt(const rfm_FieldHandle& field, std::int64_t otherwise = 0) const;
    std::string ReadString(const rfm_FieldHandle& field, const std::string& otherwise = {}) const;

    // Writing a field the layout lacks is refused (the message names the field).
    void Write(const rfm_FieldHandle& field, Value value);
    void WriteInt(const rfm_FieldHandle& field, std::int64_t value) { Write(field, value); }
    void WriteString(const rfm_FieldHandle& field, std::string value) { Write(field, std::move(value)); }

    // The object's id: its row in the file.
    std::uint64_t ObjectId() const { return oid_; }
    std::uint64_t Uid() const { return uid_; }

    // A row made by dbc_Utils::SetObj is stored by this, its completion; other rows do nothing.
    void Complete();

    const Layout& Fields() const { return layout_; }
    // Empties every field and makes the row stand for another object: a conversion reuses its
    // rows from one stored row to the next.
    void Reset(std::uint64_t oid, std::uint64_t uid);
    const std::vector<Value>& Values() const { return values_; }
    std::vector<Value>& Values() { return values_; }
    int index(std::string_view name) const;

private:
    friend class dbc_Table;

    Layout layout_;
    std::vector<Value> values_;
    std::uint64_t oid_;
    std::uint64_t uid_;
    dbc_Table* pendingIn_ = nullptr; // the table Complete stores the row in
};
