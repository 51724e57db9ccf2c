// One row of a module's class table: kind, parent type id and registered class name.
//
// Modules keep their class tables as constant arrays of these rows (row 0 all zero) and hand
// them to the type system once at start-up.
#pragma once

#include <cstdint>

struct typ_Entry {
    std::uint32_t kind;
    std::uint32_t parentTypeId;
    const char* className;
};
