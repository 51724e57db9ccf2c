#include "fwk_Lifecycle.h"
#include "rgnC_Module.h"
#include "typ_ArchCompTable.h"

#include <gtest/gtest.h>

TEST(ModuleLifecycle, NestedCallsStartAndStopTheFrameworksOnceInOrder) {
    std::vector<std::string> log;
    fwk_Lifecycle::AttachRecorder(&log);
    int count = 10;
    rgnC_initialize(count);
    rgnC_initialize(count);
    EXPECT_EQ(count, 11);
    rgnC_finalize(count);
    EXPECT_EQ(count, 11);
    rgnC_finalize(count);
    EXPECT_EQ(count, 10);
    fwk_Lifecycle::AttachRecorder(nullptr);

    const std::vector<std::string> expected = {
        "mem+", "typ+", "pnt+", "omni+", "atr+", "cow+", "nex+", "omu+", "mdl+", "rfm+", "dbc+",
        "ddr+", "ddr-", "dbc-", "rfm-", "mdl-", "omu-", "nex-", "cow-", "atr-", "omni-", "pnt-",
        "typ-", "mem-"};
    EXPECT_EQ(log, expected);
}

TEST(ModuleLifecycle, ClassTableIsEnteredUnderModule596) {
    int count = 0;
    rgnC_initialize(count);
    EXPECT_STREQ(typ_ArchCompTable::ClassName(0x02540004), "rgnC_SubsetData");
    EXPECT_STREQ(typ_ArchCompTable::ClassName(0x02540011), "rgnC_RegionPairArray");
    EXPECT_EQ(typ_ArchCompTable::Lookup(0x02540006)->parentTypeId, 0x02540007u);
    EXPECT_EQ(typ_ArchCompTable::ClassName(0x02540000), nullptr);
    EXPECT_EQ(typ_ArchCompTable::Lookup(0x02540012), nullptr);
    rgnC_finalize(count);
}
