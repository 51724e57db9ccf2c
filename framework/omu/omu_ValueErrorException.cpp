#include "omu_ValueErrorException.h"

#include "fwk_Lifecycle.h"

void omu_ValueErrorException::Throw(const char* file, int line) {
    setPosition(file, line);
    throw *this;
}

namespace {
constinit fwk_Lifecycle lifecycle("omu");
} // namespace

void omu_initialize(int&) { lifecycle.Enter(); }
void omu_finalize(int&) { lifecycle.Leave(); }
