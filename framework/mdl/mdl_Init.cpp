#include "mdl_Init.h"

#include "fwk_Lifecycle.h"

namespace {
fwk_Lifecycle& lifecycle() {
    static fwk_Lifecycle lc("mdl");
    return lc;
}
} // namespace

void mdl_initialize(int&) { lifecycle().Enter(); }
void mdl_finalize(int&) { lifecycle().Leave(); }
