#include "omi_Init.h"

#include "fwk_Lifecycle.h"

namespace {
constinit fwk_Lifecycle lifecycle("omni");
} // namespace

void omni_initialize(int&) { lifecycle.Enter(); }
void omni_finalize(int&) { lifecycle.Leave(); }
