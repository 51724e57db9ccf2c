#include "ddr_Init.h"

#include "fwk_Lifecycle.h"

namespace {
constinit fwk_Lifecycle lifecycle("ddr");
} // namespace

void ddr_initialize(int&) { lifecycle.Enter(); }
void ddr_finalize(int&) { lifecycle.Leave(); }
