#include "omi_Init.h"

#include "fwk_Lifecycle.h"

namespace {
fwk_Lifecycle& lifecycle() {
    static fwk_Lifecycle lc("omni");
    return lc;
}
} // namespace

void omni_initialize(int&) { lifecycle().Enter(); }
void omni_finalize(int&) { lifecycle().Leave(); }
