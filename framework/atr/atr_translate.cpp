#include "atr_translate.h"

#include "cow_Map.h"
#include "fwk_Lifecycle.h"

#include <mutex>
#include <shared_mutex>

namespace {
// Every thread looks messages up; loading a catalog is rare. The texts in the catalog belong
// to it: a lookup hands out its own copy, never a share of the catalog's count.
struct Catalog {
    std::shared_mutex mutex;
    cow_Map<cow_String, cow_String> texts;
};

Catalog& catalog() {
    static Catalog c;
    return c;
}

constinit fwk_Lifecycle lifecycle("atr");
} // namespace

atr_translate::atr_translate(const char* msgid) {
    const cow_String key(msgid);
    Catalog& c = catalog();
    std::shared_lock<std::shared_mutex> lock(c.mutex);
    const cow_String* found = c.texts.Find(key);
    text_ = found ? cow_String(found->view()) : key;
}

void atr_translate::AddTranslation(const char* msgid, const char* text) {
    Catalog& c = catalog();
    std::lock_guard<std::shared_mutex> lock(c.mutex);
    c.texts.Insert(cow_String(msgid), cow_String(text));
}

void atr_translate::ClearCatalog() {
    Catalog& c = catalog();
    std::lock_guard<std::shared_mutex> lock(c.mutex);
    c.texts = {};
}

void atr_initialize(int&) { lifecycle.Enter(); }
void atr_finalize(int&) { lifecycle.Leave(); }
