#include "atr_translate.h"

#include "cow_Map.h"
#include "fwk_Lifecycle.h"

namespace {
cow_Map<cow_String, cow_String>& catalog() {
    static cow_Map<cow_String, cow_String> c;
    return c;
}

constinit fwk_Lifecycle lifecycle("atr");
} // namespace

atr_translate::atr_translate(const char* msgid) {
    const cow_String key(msgid);
    const cow_String* found = catalog().Find(key);
    text_ = found ? *found : key;
}

void atr_translate::AddTranslation(const char* msgid, const char* text) {
    catalog().Insert(cow_String(msgid), cow_String(text));
}

void atr_translate::ClearCatalog() { catalog() = {}; }

void atr_initialize(int&) { lifecycle.Enter(); }
void atr_finalize(int&) { lifecycle.Leave(); }
