// Raised when a primitive is given a value or name outside what it can hold.
#pragma once

#include "nex_CommandException.h"

class omu_ValueErrorException : public nex_CommandException {
public:
    explicit omu_ValueErrorException(cow_String message)
        : nex_CommandException(std::move(message)) {}

    [[noreturn]] void Throw(const char* file, int line) override;
};

void omu_initialize(int& count);
void omu_finalize(int& count);
