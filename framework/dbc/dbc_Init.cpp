#include "dbc_Init.h"

#include "fwk_Lifecycle.h"

namespace {
fwk_Lifecycle& lifecycle() {
    static fwk_Lifecycle lc("dbc");
    return lc;
}
} // namespace

void dbc_initialize(int&) { lifecycle().Enter(); }
void dbc_finalize(int&) { lifecycle().Leave(); }
