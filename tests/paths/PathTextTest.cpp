#include "OldModel.h"
#include "Refusal.h"
#include "RegionWorld.h"
#include "nex_TextException.h"
#include "rgnC_PathText.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using PathText = RegionWorld::Fixture;

TEST_F(PathText, EveryFormReadsBackToItsOwnText) {
    const struct {
        const char* text;
        rgnC_PathText::Target target;
        const char* scripting;
    } cases[] = {
        {"model.sets", rgnC_PathText::Target::SetList, "ddb('model').sets"},
        {"model.sets[17]", rgnC_PathText::Target::Set, "ddb('model').sets[17]"},
        {"model.sets[17].subset", rgnC_PathText::Target::SubsetList,
         "ddb('model').sets[17].subset"},
        {"m_2.Sets_B[-4].subset[2]", rgnC_PathText::Target::Subset,
         "ddb('m_2').Sets_B[-4].subset[2]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const rgnC_PathText p = rgnC_PathText::Parse(c.text);
        EXPECT_EQ(p.Names(), c.target);
        EXPECT_EQ(p.Path().str(), c.text);
        EXPECT_EQ(p.PythonPath().str(), c.scripting);
        // The scripting form, with either quote, names the same thing (the text of a path
        // names its target).
        EXPECT_EQ(rgnC_PathText::Parse(c.scripting).Path().str(), c.text);
        std::string doubleQuoted = c.scripting;
        std::replace(doubleQuoted.begin(), doubleQuoted.end(), '\'', '"');
        EXPECT_EQ(rgnC_PathText::Parse(doubleQuoted).Path().str(), c.text);
    }
}

// The handles a text gives are the path classes that the set and region tests (and the
// scripting tests, from texts at every level) resolve. What only a text shows: a key in it is a
// key, not a position, and the subset list it reaches is the set's own list, not a copy.
TEST_F(PathText, HandlesResolveInAnOpenDatabase) {
    {
        ddr_Ddb db(cow_String("plant"), file, ddr_Ddb::Mode::Create);
        // Subset k of set s holds s * 1000 + 10 k + i, i < 5 + k.
        rgnC_SetDataMap sets;
        for (int s : {3, 8})
            sets.Insert(s, OldModel::Set(s, 3));
        db.StoreRoot(cow_String("groups"), sets);
    }
    ddr_Ddb db(cow_String("plant"), file, ddr_Ddb::Mode::ReadOnly);
    const ddr_DdbContainer& open = RegionWorld::OpenDatabases();
    const rgnC_PathText p = rgnC_PathText::Parse("ddb('plant').groups[8].subset[2]");
    EXPECT_EQ(&p.SubsetList().ImplPtr()->ConstGet(open),
              &p.Set().ImplPtr()->ConstGet(open).SubsetList());
    EXPECT_EQ(p.Subset().ImplPtr()->ConstGet(open).LookupIndex(8022), 2);
}

TEST_F(PathText, MalformedTextsNameTheTextAndTheCharacter) {
    const struct {
        const char* text;
        int character;
        const char* problem;
    } cases[] = {
        {"", 1, "empty text"},
        {"9model.sets[1]", 1, "a database name expected"},
        {"model", 6, "'.' expected after the database name"},
        {"model.[1]", 7, "a root name expected"},
        {"model.sets[x]", 12, "a key (a whole number) expected"},
        {"model.sets[-]", 12, "a key (a whole number) expected"},
        {"model.sets[99999999999]", 12, "out of the range of an int"},
        {"model.sets[1", 13, "']' expected after the key"},
        {"model.sets[1] ", 14, "'[' or '.' expected"},
        {"model.sets[1].", 15, "a member name expected"},
        {"model.sets.subset", 11, "a set-data list has no member 'subset'"},
        {"model.sets[1].subsets[0]", 14, "only the member 'subset'"},
        {"model.sets[1][2]", 14, "only the member 'subset'"},
        {"model.sets[1].subset.x", 21, "a subset list has no member 'x'"},
        {"model.sets[1].subset[0][2]", 24, "cannot go below a subset"},
        {"ddb(model).sets", 5, "a quoted database name expected"},
        {"ddb('model\").sets", 11, "''' expected after the database name"},
        {"ddb('model'.sets", 12, "')' expected"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string why =
            RefusalText<nex_TextException>([&] { rgnC_PathText::Parse(c.text); });
        EXPECT_MENTIONS(why, std::string("path text '") + c.text + "'");
        EXPECT_MENTIONS(why, c.problem);
        EXPECT_MENTIONS(why, "at character " + std::to_string(c.character));
    }
}

} // namespace
