#include "fwk_Lifecycle.h"
#include "rgnC_Module.h"

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
