#include "atr_String.h"
#include "atr_SubstituteFormat.h"
#include "atr_translate.h"

#include <gtest/gtest.h>

TEST(Messages, SubstituteFillsNumberedAndSequentialPlaces) {
    auto fill = [](const char* format) { return atr_SubstituteFormat(atr_String(format)); };
    EXPECT_EQ(fill("a %2$s b %1$s c").Substitute(1, "one").Substitute(2, "two").Result(),
              cow_String("a two b one c"));
    EXPECT_EQ(fill("value %d  names %s").Substitute(1, -12).Substitute(2, "x, y").Result(),
              cow_String("value -12  names x, y"));
    // Unfilled places stay visible, a literal percent survives, stray percents are kept.
    EXPECT_EQ(fill("%1$s and %3$s, 100%% %q %").Substitute(1, "A").Result(),
              cow_String("A and %3$s, 100% %q %"));
    EXPECT_EQ(fill("").Result(), cow_String(""));
}

TEST(Messages, TranslateUsesTheCatalogOnlyWhereItHasAnEntry) {
    atr_translate::AddTranslation("Error - set not loaded.", "Menge nicht geladen.");
    EXPECT_STREQ(atr_translate("Error - set not loaded.").c_str(), "Menge nicht geladen.");
    EXPECT_STREQ(atr_translate("other").c_str(), "other");
    atr_translate::ClearCatalog();
    EXPECT_STREQ(atr_translate("Error - set not loaded.").c_str(), "Error - set not loaded.");
}
