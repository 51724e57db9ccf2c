#include "MshReader.h"
#include "ToolFixture.h"

#include <nlohmann/json.hpp>

namespace {

using GmshImport = ToolTest;

// The sets an import must give for the groups of a file: a node set per group, and an element
// set per group above dimension 0.
StoredSets expectedSets(const std::map<std::pair<int, int>, MshGroup>& groups) {
    StoredSets sets;
    for (const auto& [key, g] : groups) {
        const std::string label =
            g.name.empty() ? "group_" + std::to_string(key.first) + "_" + std::to_string(key.second)
                           : g.name;
        sets[{label, kNode}].ids = g.nodes;
        if (key.first > 0)
            sets[{label, kElement}].ids = g.elements;
    }
    return sets;
}

TEST_F(GmshImport, EveryGroupHoldsTheNodesAndElementsOfTheFile) {
    // Each mesh, each version in ASCII and in binary (the round trips and the overlap test
    // import the other variants): a binary file holds the same mesh as its ASCII twin, which
    // the test reads.
    const struct {
        const char* name;
        const char* version;
        const char* form;
    } files[] = {{"plate_hole", "41", "a"},
                 {"plate_hole", "22", "b"},
                 {"two_volumes", "41", "b"},
                 {"overlap", "22", "a"}};
    for (const auto& [name, version, form] : files) {
        const std::string stem = std::string(name) + "_" + version;
        const std::string msh = mesh(stem + form + ".msh");
        SCOPED_TRACE(msh);
        const StoredSets expected = expectedSets(readMshGroups(mesh(stem + "a.msh")));
        ASSERT_FALSE(expected.empty());
        const std::string db = file(stem + form + ".db");
        const ToolRun run = rgn({"import", msh, db});
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(storedSets(db), expected);
    }
}

TEST_F(GmshImport, OverlappingEmptyAndLongNamedGroupsAreKept) {
    const std::string db = file("overlap.db");
    ASSERT_EQ(rgn({"import", mesh("overlap_41b.msh"), db}).code, 0);
    const StoredSets sets = storedSets(db);
    const auto& both = sets.at({"both halves", kElement}).ids;
    const auto& first = sets.at({"first half", kElement}).ids;
    const auto& second = sets.at({"second half", kElement}).ids;
    // Each half belongs to two groups at once.
    EXPECT_EQ(both.size(), first.size() + second.size());
    EXPECT_TRUE(std::includes(both.begin(), both.end(), first.begin(), first.end()));
    EXPECT_TRUE(sets.at({"nothing", kNode}).ids.empty());
    EXPECT_TRUE(sets.at({"nothing", kElement}).ids.empty());
    const auto longName = std::find_if(sets.begin(), sets.end(), [](const auto& s) {
        return s.first.second == kElement && s.first.first.rfind("a group whose name", 0) == 0;
    });
    ASSERT_NE(longName, sets.end());
    EXPECT_GT(longName->first.first.size(), 120u);
    EXPECT_EQ(longName->second.ids, second);

    // The tool's own listing and lookup agree with what is stored.
    const ToolRun ls = rgn({"ls", db, "--json"});
    ASSERT_EQ(ls.code, 0) << ls.err;
    const auto listing = nlohmann::json::parse(ls.out);
    int key = -1;
    for (const auto& s : listing["roots"][0]["sets"])
        if (s["label"] == "second half" && s["type"] == "element")
            key = s["key"];
    ASSERT_GE(key, 0);
    const std::string path = "model.sets[" + std::to_string(key) + "]";
    const ToolRun shown = rgn({"show", db, path + ".subset[0]", "--json"});
    ASSERT_EQ(shown.code, 0) << shown.err;
    const auto ids = nlohmann::json::parse(shown.out)["ids"];
    ASSERT_GE(ids.size(), 2u);
    const ToolRun looked =
        rgn({"lookup", db, path + ".subset[0]", std::to_string(ids[1].get<int>()),
             std::to_string(*both.rbegin() + 1000)});
    EXPECT_EQ(looked.code, 0) << looked.err;
    EXPECT_EQ(looked.out, std::to_string(ids[1].get<int>()) + " 1\n" +
                              std::to_string(*both.rbegin() + 1000) + " absent\n");
    const ToolRun check = rgn({"check", db});
    EXPECT_EQ(check.code, 0) << check.out << check.err;
}

} // namespace
