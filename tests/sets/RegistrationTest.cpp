#include "cls_ClassRegistrar.h"
#include "cls_MetadataRegistrar.h"
#include "omi_Singleton.h"
#include "rgnC_Module.h"
#include "typ_ArchCompTable.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// The registration flags of a class, its stored format version, whether it has a destroy
// function ("D") and the codes of its attributes in order: type, then "/collection" where it is
// a collection.
std::string codes(unsigned flags, const cls_ClassMetadata& md) {
    std::string out =
        std::to_string(flags) + " v" + std::to_string(md.Version()) + (md.Dtor() ? " D" : "");
    for (const cls_ClassMetadata::Attribute& a : md.Attributes())
        out += " " + std::to_string(a.type) +
               (a.collection ? "/" + std::to_string(a.collection) : std::string());
    return out;
}

} // namespace

// Start-up enters the module's names table into the class table, and registers every class of
// it but the last (an array of pairs, stored as a list) under the table's name and parent, in
// its stored format version, with its flags, destroy function and attribute codes.
TEST(Registration, EveryClassOfTheNamesTableIsEnteredAndRegisteredUnderItsName) {
    int count = 0;
    rgnC_initialize(count);
    // The class each registration function registers, run on a registrar of its own.
    constexpr std::uint32_t rootListPath = 0x00260001; // the framework's, registered here too
    std::map<std::uint32_t, unsigned> flagsOf;
    for (const auto& r : omi_Singleton<cls_MetadataRegistrar>::Instance().Registrations()) {
        cls_ClassRegistrar own;
        r.function(own);
        ASSERT_EQ(own.Count(), 1);
        for (std::uint32_t row = 1; row <= 17; ++row)
            if (own.Find(rgnC_TypeId(row)))
                flagsOf[rgnC_TypeId(row)] = r.flags;
        if (own.Find(rootListPath))
            flagsOf[rootListPath] = r.flags;
    }
    EXPECT_EQ(flagsOf.size(), 17u);
    EXPECT_EQ(flagsOf[rootListPath], 4u);
    // Per row of the names table, as codes() writes them.
    const char* expected[] = {"7 v331 D 11 13 15/55 5 5 14 15",
                              "7 v203 15/1 14",
                              "7 v405 D 5 11 15/3 5 15 13 13 13",
                              "7 v405 D 5 5 15/54 15/54 15 13 5 5 13",
                              "7 v203 15",
                              "4 v203 D 5 15",
                              "7 v203 D",
                              "4 v203 15",
                              "4 v203 D 5 15",
                              "4 v203 D",
                              "4 v203 15",
                              "4 v203 D 15",
                              "4 v203 D",
                              "4 v203 15",
                              "4 v203 D",
                              "3 v551 15 15 13 13 13"};
    const cls_ClassRegistrar& registrar = cls_ClassRegistrar::Current();
    for (std::uint32_t row = 1; row <= 17; ++row) {
        const typ_Entry& entry = rgnC_ClassTable[row];
        EXPECT_STREQ(typ_ArchCompTable::ClassName(rgnC_TypeId(row)), entry.className);
        EXPECT_EQ(typ_ArchCompTable::Lookup(rgnC_TypeId(row))->parentTypeId, entry.parentTypeId);
        const cls_ClassMetadata* md = registrar.Find(rgnC_TypeId(row));
        if (row == 17) {
            EXPECT_EQ(md, nullptr);
            break;
        }
        ASSERT_NE(md, nullptr) << "row " << row;
        EXPECT_STREQ(md->Name().c_str(), entry.className);
        EXPECT_EQ(md->ParentTypeId(), entry.parentTypeId) << "row " << row;
        EXPECT_EQ(codes(flagsOf[rgnC_TypeId(row)], *md), expected[row - 1]) << "row " << row;
    }
    EXPECT_EQ(typ_ArchCompTable::ClassName(rgnC_TypeId(0)), nullptr);
    EXPECT_EQ(typ_ArchCompTable::Lookup(rgnC_TypeId(18)), nullptr);
    rgnC_finalize(count);
}
