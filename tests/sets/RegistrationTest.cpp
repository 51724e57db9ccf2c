#include "cls_ClassRegistrar.h"
#include "rgnC_Module.h"
#include "typ_ArchCompTable.h"

#include <gtest/gtest.h>

#include <map>

// Start-up enters the module's names table into the class table, and registers every class of
// it but the last (an array of pairs, stored as a list) under the table's name and parent, in
// its stored format version.
TEST(Registration, EveryClassOfTheNamesTableIsEnteredAndRegisteredUnderItsName) {
    int count = 0;
    rgnC_initialize(count);
    const std::map<std::uint32_t, int> versions = {
        {0x02540001, 331}, {0x02540003, 405}, {0x02540004, 405}, {0x02540010, 551}}; // else 203
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
        const auto version = versions.find(rgnC_TypeId(row));
        EXPECT_EQ(md->Version(), version == versions.end() ? 203 : version->second);
    }
    EXPECT_EQ(typ_ArchCompTable::ClassName(rgnC_TypeId(0)), nullptr);
    EXPECT_EQ(typ_ArchCompTable::Lookup(rgnC_TypeId(18)), nullptr);
    rgnC_finalize(count);
}
