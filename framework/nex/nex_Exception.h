// Base of the framework's exceptions: a message and the source position that raised it.
//
// Code raises an exception through `Throw`, which records the position and throws the object
// as its own dynamic type, so handlers can catch the specific class:
//
//   nex_TextException(msg).Throw("generated/module/rgn/com/impl/rgnC_SubsetData", 57);
#pragma once

#include "cow_String.h"

#include <exception>

class nex_Exception : public std::exception {
public:
    nex_Exception() = default;
    explicit nex_Exception(cow_String message) : message_(std::move(message)) {}

    const char* what() const noexcept override { return message_.c_str(); }
    const cow_String& Message() const { return message_; }
    // The source path (from `generated/` on, without extension) and line given to `Throw`.
    const char* File() const { return file_; }
    int Line() const { return line_; }

    [[noreturn]] virtual void Throw(const char* file, int line);

protected:
    void setPosition(const char* file, int line) {
        file_ = file ? file : "";
        line_ = line;
    }

private:
    cow_String message_;
    const char* file_ = "";
    int line_ = 0;
};

void nex_initialize(int& count);
void nex_finalize(int& count);
