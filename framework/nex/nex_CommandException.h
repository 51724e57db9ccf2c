// An exception raised by a command on bad arguments (a value or name it cannot accept).
#pragma once

#include "nex_Exception.h"

class nex_CommandException : public nex_Exception {
public:
    explicit nex_CommandException(cow_String message) : nex_Exception(std::move(message)) {}

    [[noreturn]] void Throw(const char* file, int line) override;
};
