// The rows of one class in a database being converted, in ascending object id.
//
// Tables given to conversion and finalize functions, and those of the input database, read
// their rows on first use; a table of the output database also makes new rows (dbc_Utils::SetObj)
// and stores them when they are completed.
#pragma once

#include "dbc_Row.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

class dbc_Conversion;

class dbc_Table {
public:
    // The table of class `className` (type id `typeId`) as stored under the SQL table `sqlTable`,
    // with the fields of `layout`.
    dbc_Table(dbc_Conversion& conversion, std::string className, std::uint32_t typeId,
              std::string sqlTable, dbc_Row::Layout layout);
    virtual ~dbc_Table();
    dbc_Table(const dbc_Table&) = delete;
    dbc_Table& operator=(const dbc_Table&) = delete;

    // The rows stored in the table (read from the file on first use, once).
    int RowCount() const;
    const dbc_Row& Row(int i) const;
    dbc_Row& Row(int i);

    std::uint32_t TypeId() const { return typeId_; }
    const std::string& ClassName() const { return className_; }
    const dbc_Row::Layout& Layout() const { return layout_; }

    // A new, empty row of this table with a fresh object id and identity; its Complete stores it.
    dbc_Row& NewRow();
    // Stores a row of this table's layout (an insert; the row's id must be new to the table).
    void Store(const dbc_Row& row);
    // The rows, for a table filled by its maker rather than read from a stored table.
    std::vector<dbc_Row>& Loaded();

private:
    void load() const;

    dbc_Conversion& conversion_;
    std::string className_;
    std::uint32_t typeId_;
    std::string sqlTable_;
    dbc_Row::Layout layout_;
    mutable std::unique_ptr<std::vector<dbc_Row>> rows_;
    std::deque<dbc_Row> made_; // rows made by NewRow, kept until the table goes
};
