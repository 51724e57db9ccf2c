// Names one field of a row being converted: the field's name (for a stored reference, the
// reference's name followed by "#OID" or "#ClassID") and an index (-1, or the number an old
// layout gives the field). Rows find fields by name; the text is not copied.
//
//   row.HasValue(rfm_FieldHandle("setData#OID", -1))
#pragma once

#include <string_view>

class rfm_FieldHandle {
public:
    constexpr rfm_FieldHandle(const char* name, int index) : name_(name), index_(index) {}

    constexpr std::string_view Name() const { return name_; }
    constexpr int Index() const { return index_; }

private:
    std::string_view name_;
    int index_;
};
