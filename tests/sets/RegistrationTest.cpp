#include "cls_ClassRegistrar.h"
#include "rgnC_Module.h"
#include "typ_ArchCompTable.h"

#include <gtest/gtest.h>

// Start-up enters the module's names table into the class table, and registers every class of
// it but the last (an array of pairs, stored as a list) under the table's name and parent, and
// the framework's start-up registers its root path class, which stands in for the set-data
// list's path implementation. What each class stores (its version and attributes) is checked
// by reading it back: the store tests, and the golden files of the upgrade tests for the
// versions.
TEST(Registration, EveryClassOfTheNamesTableIsEnteredAndRegisteredUnderItsName) {
    int count = 0;
    rgnC_initialize(count);
    const cls_ClassRegistrar& registrar = cls_ClassRegistrar::Current();
    for (std::uint32_t row = 1; row <= 17; ++row) {
        SCOPED_TRACE("row " + std::to_string(row));
        const typ_Entry& entry = rgnC_ClassTable[row];
        EXPECT_STREQ(typ_ArchCompTable::ClassName(rgnC_TypeId(row)), entry.className);
        EXPECT_EQ(typ_ArchCompTable::Lookup(rgnC_TypeId(row))->parentTypeId, entry.parentTypeId);
        const cls_ClassMetadata* md = registrar.Find(rgnC_TypeId(row));
        ASSERT_EQ(md == nullptr, row == 17); // the array of pairs is stored as a list
        if (md) {
            EXPECT_STREQ(md->Name().c_str(), entry.className);
            EXPECT_EQ(md->ParentTypeId(), entry.parentTypeId);
        }
    }
    EXPECT_NE(registrar.Find(0x00260001), nullptr);
    EXPECT_NE(registrar.Find(rgnC_TypeId(15))->StandInCtor(0x00260001), nullptr);
    EXPECT_EQ(typ_ArchCompTable::ClassName(rgnC_TypeId(0)), nullptr);
    EXPECT_EQ(typ_ArchCompTable::Lookup(rgnC_TypeId(18)), nullptr);
    rgnC_finalize(count);
}
