#include "ddr_Init.h"

#include "fwk_Lifecycle.h"

namespace {
fwk_Lifecycle& lifecycle() {
    static fwk_Lifecycle lc("ddr");
    return lc;
}
} // namespace

void ddr_initialize(int&) { lifecycle().Enter(); }
void ddr_finalize(int&) { lifecycle().Leave(); }
