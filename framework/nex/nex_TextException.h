// An exception that carries a finished (translated and substituted) message text.
#pragma once

#include "nex_Exception.h"

class nex_TextException : public nex_Exception {
public:
    explicit nex_TextException(cow_String message) : nex_Exception(std::move(message)) {}

    [[noreturn]] void Throw(const char* file, int line) override;
};
