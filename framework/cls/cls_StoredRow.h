// One row of a class table as read from the file: its key, the identity stored with it and
// its values by column, each as SQLite holds it (a damaged file may hold a value of another
// kind than the column's).
#pragma once

#include "cls_Catalog.h"
#include "cow_String.h"

#include <cstdint>
#include <string_view>
#include <variant>

struct cls_StoredRow {
    struct Null {};
    struct Blob {};
    using Value = std::variant<Null, std::int64_t, double, cow_String, Blob>;

    std::uint64_t oid = 0;
    std::uint64_t uid = 0;
    const cls_Catalog::ReadTable* table = nullptr;
    const Value* values = nullptr; // one per column of `table`, oid and #uid included; kept by
                                   // whoever keeps the row (the batch it was read in)

    // The value of a column; null when the table has no such column. A linear search of the
    // column names, O(columns); no copy.
    const Value* Find(std::string_view column) const {
        const int c = table->Column(column);
        return c < 0 ? nullptr : &values[c];
    }
};
