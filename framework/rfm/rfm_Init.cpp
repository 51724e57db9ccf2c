#include "rfm_Init.h"

#include "fwk_Lifecycle.h"

namespace {
fwk_Lifecycle& lifecycle() {
    static fwk_Lifecycle lc("rfm");
    return lc;
}
} // namespace

void rfm_initialize(int&) { lifecycle().Enter(); }
void rfm_finalize(int&) { lifecycle().Leave(); }
