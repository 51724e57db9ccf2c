#include "nex_Exception.h"

#include "fwk_Lifecycle.h"

void nex_Exception::Throw(const char* file, int line) {
    setPosition(file, line);
    throw *this;
}

namespace {
constinit fwk_Lifecycle lifecycle("nex");
} // namespace

void nex_initialize(int&) { lifecycle.Enter(); }
void nex_finalize(int&) { lifecycle.Leave(); }
