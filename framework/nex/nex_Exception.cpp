#include "nex_Exception.h"

#include "fwk_Lifecycle.h"

void nex_Exception::Throw(const char* file, int line) {
    setPosition(file, line);
    throw *this;
}

namespace {
fwk_Lifecycle& lifecycle() {
    static fwk_Lifecycle lc("nex");
    return lc;
}
} // namespace

void nex_initialize(int&) { lifecycle().Enter(); }
void nex_finalize(int&) { lifecycle().Leave(); }
