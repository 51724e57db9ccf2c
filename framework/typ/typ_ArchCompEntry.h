// A module's class table as handed to the type system: the rows and their count.
#pragma once

#include "typ_Entry.h"

class typ_ArchCompEntry {
public:
    typ_ArchCompEntry() = default;
    typ_ArchCompEntry(const typ_Entry* rows, unsigned int rowCount)
        : rows_(rows), rowCount_(rowCount) {}

    const typ_Entry* Rows() const { return rows_; }
    unsigned int RowCount() const { return rowCount_; }

private:
    const typ_Entry* rows_ = nullptr;
    unsigned int rowCount_ = 0;
};
