#include "mdl_Init.h"

#include "fwk_Lifecycle.h"

namespace {
constinit fwk_Lifecycle lifecycle("mdl");
} // namespace

void mdl_initialize(int&) { lifecycle.Enter(); }
void mdl_finalize(int&) { lifecycle.Leave(); }
