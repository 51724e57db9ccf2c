// Start-up and shut-down of the region module, and its class table.
//
// The host calls rgnC_initialize once before it uses any class of the module and rgnC_finalize
// once when done; nested pairs only count. Only the outermost call starts the framework
// libraries and enters the class table under module number 596.
#pragma once

#include "typ_Entry.h"

#include <cstdint>

// The outermost calls register the module's classes and start or stop the framework
// libraries (allocates the registries once, O(classes)); nested calls only count.
void rgnC_initialize(int& count);
void rgnC_finalize(int& count);

// Module number of the region module: the high half of its type ids, and the key of its
// debug level.
inline constexpr unsigned short rgnC_ModuleNumber = 596;

constexpr std::uint32_t rgnC_TypeId(unsigned int index) {
    return (static_cast<std::uint32_t>(rgnC_ModuleNumber) << 16) | index;
}

// The 18-row class table (row 0 all zero) handed to the type system at start-up.
extern const typ_Entry rgnC_ClassTable[18];
