#include "dbc_DatabaseConverterHolder.h"

#include "nex_TextException.h"

namespace {
// One upgrade per thread: each thread sees its own.
thread_local dbc_DatabaseConverter* running = nullptr;
} // namespace

dbc_DatabaseConverter& dbc_DatabaseConverterHolder::GetDatabaseConverter() const {
    if (!running)
        nex_TextException(cow_String("conversion: no upgrade is running in this thread"))
            .Throw("framework/dbc/dbc_DatabaseConverterHolder", __LINE__);
    return *running;
}

void dbc_DatabaseConverterHolder::SetDatabaseConverter(dbc_DatabaseConverter* converter) {
    running = converter;
}
