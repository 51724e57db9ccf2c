#include "ddr_Init.h"

#include "cls_ClassRegistrar.h"
#include "ddr_RootMapPath.h"
#include "fwk_Lifecycle.h"

namespace {
constinit fwk_Lifecycle lifecycle("ddr");
} // namespace

void ddr_initialize(int&) {
    // The framework's own stored path class, so that a host reads stored root paths whichever
    // module it starts.
    if (lifecycle.Enter())
        ddr_RootMapPath::Register(cls_ClassRegistrar::Current());
}
void ddr_finalize(int&) { lifecycle.Leave(); }
