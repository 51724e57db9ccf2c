// Base of the framework's exceptions: a message and the source position that raised it.
//
// Code raises an exception through `Throw`, which records the position and throws the object
// as its own dynamic type, so handlers can catch the specific class:
//
//   nex_TextException(msg).Throw("generated/module/rgn/com/impl/rgnC_SubsetData", 57);
//
// A failure raised while an object is read from a file says nothing of where it was stored.
// Whoever builds the object catches the exception by reference, puts the place in front of
// the message (AddContext: the innermost object wins, later calls change nothing) and rethrows
// the same object, so the type and the thrower's own text stay:
//
//   catch (nex_Exception& e) {
//       e.AddContext("model database 'a.db': object 12 (rgnC_Region)");
//       throw;
//   }
#pragma once

#include "cow_String.h"

#include <exception>
#include <string_view>

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

    // Puts `where` and ": " in front of the message, unless the message names its place
    // already (an earlier AddContext, or MarkPlaced). Answers whether it did. Allocates the
    // new message.
    bool AddContext(std::string_view where);
    // The message names its place itself (the store's own failures name the file and the
    // object): AddContext leaves it alone.
    void MarkPlaced() { placed_ = true; }
    bool HasContext() const { return placed_; }

protected:
    void setPosition(const char* file, int line) {
        file_ = file ? file : "";
        line_ = line;
    }

private:
    cow_String message_;
    const char* file_ = "";
    int line_ = 0;
    bool placed_ = false;
};

void nex_initialize(int& count);
void nex_finalize(int& count);
