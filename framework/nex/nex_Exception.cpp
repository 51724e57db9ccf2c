#include "nex_Exception.h"

#include "fwk_Lifecycle.h"

#include <string>

void nex_Exception::Throw(const char* file, int line) {
    setPosition(file, line);
    throw *this;
}

bool nex_Exception::AddContext(std::string_view where) {
    if (placed_)
        return false;
    placed_ = true;
    std::string text(where);
    text += ": ";
    text += message_.view();
    message_ = cow_String(text);
    return true;
}

namespace {
constinit fwk_Lifecycle lifecycle("nex");
} // namespace

void nex_initialize(int&) { lifecycle.Enter(); }
void nex_finalize(int&) { lifecycle.Leave(); }
