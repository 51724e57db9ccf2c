#include "ToolFixture.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>
#include <sstream>

namespace {

using GmshImport = ToolTest;

// The sets an import must give for an ASCII MSH 2.2 file, read here apart from the tool (and
// from the Gmsh library, which merges what MSH 2 repeats and leaves out empty groups: the very
// things the tool must undo): a node set per physical group, and an element set per group above
// dimension 0. MSH 2 writes an element once for each group it belongs to, under a new number
// for each further group, so every element line belongs to one group.
StoredSets expectedSets(const std::string& file) {
    // Dimension of the element types of these meshes: point, line, triangle, quadrangle, and
    // the four solids.
    const std::map<int, int> dimensionOf = {{15, 0}, {1, 1}, {2, 2}, {3, 2},
                                            {4, 3},  {5, 3}, {6, 3}, {7, 3}};
    std::map<std::pair<int, int>, std::string> names; // every group of these meshes has one
    StoredSets sets;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line == "$MeshFormat") {
            std::getline(in, line);
            EXPECT_EQ(line.rfind("2.2 0 ", 0), 0u) << file << " is not an ASCII MSH 2.2 file";
        } else if (line == "$PhysicalNames") {
            std::getline(in, line);
            for (int n = std::stoi(line); n > 0 && std::getline(in, line); --n) {
                std::istringstream s(line);
                int dim = 0, tag = 0;
                s >> dim >> tag;
                const std::size_t open = line.find('"');
                names[{dim, tag}] = line.substr(open + 1, line.rfind('"') - open - 1);
                // A group that holds nothing still gives its sets.
                sets[{names[{dim, tag}], kNode}];
                if (dim > 0)
                    sets[{names[{dim, tag}], kElement}];
            }
        } else if (line == "$Elements") {
            std::getline(in, line);
            for (int n = std::stoi(line); n > 0 && std::getline(in, line); --n) {
                // number, type, tag count, tags (the physical group first), nodes
                std::istringstream s(line);
                const std::vector<int> v{std::istream_iterator<int>(s), {}};
                const int dim = dimensionOf.at(v.at(1));
                const std::string& label = names.at({dim, v.at(3)});
                sets[{label, kNode}].ids.insert(v.begin() + 3 + v[2], v.end());
                if (dim > 0)
                    sets[{label, kElement}].ids.insert(v[0]);
            }
        }
    }
    return sets;
}

TEST_F(GmshImport, EveryGroupHoldsTheNodesAndElementsOfTheFile) {
    // Each mesh, each version in ASCII and in binary (the round trips and the overlap test
    // import the other variants). The four files of a mesh come from one meshing: where no
    // element is in two groups they number nodes and elements alike, so the ASCII MSH 2.2 twin
    // gives what each must import as.
    for (const std::string msh :
         {"plate_hole_41a", "plate_hole_22b", "two_volumes_41b", "overlap_22a"}) {
        SCOPED_TRACE(msh);
        const StoredSets expected = expectedSets(mesh(msh.substr(0, msh.size() - 3) + "22a.msh"));
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(imported(mesh(msh + ".msh"), file(msh + ".db")), expected);
    }
}

TEST_F(GmshImport, OverlappingEmptyAndLongNamedGroupsAreKept) {
    const std::string db = file("overlap.db");
    const StoredSets sets = imported(mesh("overlap_41b.msh"), db);
    const auto& both = sets.at({"both halves", kElement}).ids;
    const auto& first = sets.at({"first half", kElement}).ids;
    const auto& second = sets.at({"second half", kElement}).ids;
    // Each half belongs to two groups at once.
    EXPECT_EQ(both.size(), first.size() + second.size());
    EXPECT_TRUE(std::includes(both.begin(), both.end(), first.begin(), first.end()));
    EXPECT_TRUE(sets.at({"nothing", kNode}).ids.empty());
    EXPECT_TRUE(sets.at({"nothing", kElement}).ids.empty());
    // A name longer than some formats keep (the mesher cuts it at over 120 characters) reaches
    // the database whole.
    const auto longName = std::find_if(sets.begin(), sets.end(), [](const auto& s) {
        return s.first.second == kElement && s.first.first.rfind("a group whose name", 0) == 0;
    });
    ASSERT_NE(longName, sets.end());
    EXPECT_GT(longName->first.first.size(), 120u);
    EXPECT_EQ(longName->second.ids, second);

    // The tool's own listing and lookup agree with what is stored.
    const auto listing = nlohmann::json::parse(outputOf({"ls", db, "--json"}));
    int key = -1;
    for (const auto& s : listing["roots"][0]["sets"])
        if (s["label"] == "second half" && s["type"] == "element")
            key = s["key"];
    ASSERT_GE(key, 0);
    const std::string subset = "model.sets[" + std::to_string(key) + "].subset[0]";
    const auto ids = nlohmann::json::parse(outputOf({"show", db, subset, "--json"}))["ids"];
    ASSERT_GE(ids.size(), 2u);
    const std::string held = std::to_string(ids[1].get<int>()),
                      absent = std::to_string(*both.rbegin() + 1000);
    EXPECT_EQ(outputOf({"lookup", db, subset, held, absent}), held + " 1\n" + absent + " absent\n");
}

} // namespace
