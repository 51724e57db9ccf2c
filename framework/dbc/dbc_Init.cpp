#include "dbc_Init.h"

#include "fwk_Lifecycle.h"

namespace {
constinit fwk_Lifecycle lifecycle("dbc");
} // namespace

void dbc_initialize(int&) { lifecycle.Enter(); }
void dbc_finalize(int&) { lifecycle.Leave(); }
