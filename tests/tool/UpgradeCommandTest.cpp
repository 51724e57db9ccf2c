// `rgn upgrade` and `rgn compact` as a user runs them: an old-layout database (a golden file)
// upgraded into a new file that the other commands then read, a current file left alone, a
// newer or taken target refused in one line.
#include "ToolFixture.h"

#include <cstdlib>

using ToolUpgrade = ToolTest;

TEST_F(ToolUpgrade, AnOldDatabaseIsUpgradedIntoANewFileOnce) {
    const std::string old = file("old.rdb"), upgraded = file("new.rdb");
    const std::string unpack =
        std::string("gzip -dc '") + RGN_GOLDEN_FOLDER + "/oldest-203.rdb.gz' > '" + old + "'";
    ASSERT_EQ(std::system(unpack.c_str()), 0);
    const ToolRun refused = rgn({"ls", old});
    EXPECT_TRUE(failedInOneLine(refused));
    EXPECT_MENTIONS(refused.err, "upgrade");

    const std::string upgrade = outputOf({"upgrade", old, upgraded, "--json"});
    EXPECT_MENTIONS(upgrade, "\"upgraded\"");
    outputOf({"check", upgraded});
    const std::string shown = outputOf({"show", upgraded, "model.sets[4].subset[2]"});
    EXPECT_MENTIONS(shown, "4020"); // its first id

    const std::string again = outputOf({"upgrade", upgraded, file("again.rdb")});
    EXPECT_MENTIONS(again, "nothing written");
    EXPECT_TRUE(failedInOneLine(rgn({"upgrade", old, upgraded})));

    outputOf({"compact", upgraded});
    const std::string compacted = outputOf({"check", upgraded, "--json"});
    EXPECT_MENTIONS(compacted, "\"unreachable rows\": 0");
}
