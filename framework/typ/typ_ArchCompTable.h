// The type system's table of all modules' class tables, keyed by module number.
//
// A type id is (module << 16) | row; looking one up gives the row of the module's table.
//
//   typ_ArchCompTable::InsertEntry(596, typ_ArchCompEntry(rows, 18));
//   typ_ArchCompTable::ClassName(0x02540004);   // "rgnC_SubsetData"
#pragma once

#include "typ_ArchCompEntry.h"

#include <cstdint>

class typ_ArchCompTable {
public:
    // Enters (or replaces) the class table of one module.
    static void InsertEntry(unsigned short module, typ_ArchCompEntry entry);

    // The row of a type id, or null when its module has no table or the row is out of range.
    static const typ_Entry* Lookup(std::uint32_t typeId);
    // The registered name of a type id, or null when it is unknown or its row is empty.
    static const char* ClassName(std::uint32_t typeId);
    static bool HasModule(unsigned short module);
};
