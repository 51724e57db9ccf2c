#include "rfm_Init.h"

#include "fwk_Lifecycle.h"

namespace {
constinit fwk_Lifecycle lifecycle("rfm");
} // namespace

void rfm_initialize(int&) { lifecycle.Enter(); }
void rfm_finalize(int&) { lifecycle.Leave(); }
