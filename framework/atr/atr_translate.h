// A message text looked up in the loaded message catalog.
//
// With no catalog, or no entry for the text, the text itself is the translation. Any thread
// may translate, also while another loads or clears the catalog.
//
//   atr_translate msg("Error - set not loaded.");
//   atr_translate::AddTranslation("Error - set not loaded.", "Fehler - Menge nicht geladen.");
#pragma once

#include "atr_StringBase.h"

class atr_translate : public atr_StringBase {
public:
    explicit atr_translate(const char* msgid);

    static void AddTranslation(const char* msgid, const char* text);
    static void ClearCatalog();
};

void atr_initialize(int& count);
void atr_finalize(int& count);
