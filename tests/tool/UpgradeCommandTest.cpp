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
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("upgrade"), std::string::npos) << refused.err;

    const ToolRun upgrade = rgn({"upgrade", old, upgraded, "--json"});
    ASSERT_EQ(upgrade.code, 0) << upgrade.err;
    EXPECT_NE(upgrade.out.find("\"upgraded\""), std::string::npos) << upgrade.out;
    const ToolRun check = rgn({"check", upgraded});
    EXPECT_EQ(check.code, 0) << check.out << check.err;
    const ToolRun show = rgn({"show", upgraded, "model.sets[4].subset[2]"});
    EXPECT_EQ(show.code, 0) << show.err;
    EXPECT_NE(show.out.find("4020"), std::string::npos) << show.out; // its first id

    const ToolRun again = rgn({"upgrade", upgraded, file("again.rdb")});
    EXPECT_EQ(again.code, 0);
    EXPECT_NE(again.out.find("nothing written"), std::string::npos) << again.out;
    EXPECT_TRUE(failedInOneLine(rgn({"upgrade", old, upgraded})));

    const ToolRun compact = rgn({"compact", upgraded});
    EXPECT_EQ(compact.code, 0) << compact.err;
    const ToolRun compacted = rgn({"check", upgraded, "--json"});
    EXPECT_NE(compacted.out.find("\"unreachable rows\": 0"), std::string::npos) << compacted.out;
}
