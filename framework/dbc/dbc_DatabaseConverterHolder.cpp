#include "dbc_DatabaseConverterHolder.h"

#include "nex_Message.h"

namespace {
// One upgrade per thread: each thread sees its own.
thread_local dbc_DatabaseConverter* running = nullptr;
constexpr int kNoUpgradeLine = 13;
} // namespace

dbc_DatabaseConverter& dbc_DatabaseConverterHolder::GetDatabaseConverter() const {
    if (!running)
        nex_Message::Raise("framework/dbc/dbc_DatabaseConverterHolder", kNoUpgradeLine,
                           "conversion: no upgrade is running in this thread");
    return *running;
}

void dbc_DatabaseConverterHolder::SetDatabaseConverter(dbc_DatabaseConverter* converter) {
    running = converter;
}
