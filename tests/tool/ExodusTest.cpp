#include "ToolFixture.h"

#include <exodusII.h>

namespace {

using ExodusFiles = ToolTest;

void ok(int status, const char* what) {
    ASSERT_GE(status, 0) << what;
}

// A 3 x 3 grid of nodes (ids 101..109) and four quads (ids 501..504) in two blocks, two node
// sets (one unnamed), one side set; written with the library as another program would.
void writeGrid(const std::string& path) {
    int cpu = sizeof(double), io = sizeof(double);
    const int exo = ex_create(path.c_str(), EX_CLOBBER, &cpu, &io);
    ASSERT_GE(exo, 0);
    ok(ex_put_init(exo, "grid", 2, 9, 4, 2, 2, 1), "init");
    std::vector<double> x, y;
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i) {
            x.push_back(i);
            y.push_back(j);
        }
    ok(ex_put_coord(exo, x.data(), y.data(), nullptr), "coordinates");
    const int nodeIds[] = {101, 102, 103, 104, 105, 106, 107, 108, 109};
    const int elementIds[] = {501, 502, 503, 504};
    ok(ex_put_id_map(exo, EX_NODE_MAP, nodeIds), "node map");
    const int left[] = {1, 2, 5, 4, 4, 5, 8, 7}, right[] = {2, 3, 6, 5, 5, 6, 9, 8};
    ok(ex_put_block(exo, EX_ELEM_BLOCK, 10, "QUAD4", 2, 4, 0, 0, 0), "block 10");
    ok(ex_put_conn(exo, EX_ELEM_BLOCK, 10, left, nullptr, nullptr), "conn 10");
    ok(ex_put_block(exo, EX_ELEM_BLOCK, 20, "QUAD4", 2, 4, 0, 0, 0), "block 20");
    ok(ex_put_conn(exo, EX_ELEM_BLOCK, 20, right, nullptr, nullptr), "conn 20");
    ok(ex_put_id_map(exo, EX_ELEM_MAP, elementIds), "element map");
    const int bottom[] = {1, 2, 3}, side[] = {3, 6, 9};
    ok(ex_put_set_param(exo, EX_NODE_SET, 1, 3, 0), "node set 1");
    ok(ex_put_set(exo, EX_NODE_SET, 1, bottom, nullptr), "node set 1");
    ok(ex_put_set_param(exo, EX_NODE_SET, 2, 3, 0), "node set 2");
    ok(ex_put_set(exo, EX_NODE_SET, 2, side, nullptr), "node set 2");
    const int skinElements[] = {1, 2, 4}, skinSides[] = {1, 1, 2};
    ok(ex_put_set_param(exo, EX_SIDE_SET, 5, 3, 0), "side set");
    ok(ex_put_set(exo, EX_SIDE_SET, 5, skinElements, skinSides), "side set");
    const char* nodeSetNames[] = {"bottom", ""};
    const char* sideSetNames[] = {"skin"};
    const char* blockNames[] = {"left", "right"};
    ok(ex_put_names(exo, EX_NODE_SET, const_cast<char**>(nodeSetNames)), "names");
    ok(ex_put_names(exo, EX_SIDE_SET, const_cast<char**>(sideSetNames)), "names");
    ok(ex_put_names(exo, EX_ELEM_BLOCK, const_cast<char**>(blockNames)), "names");
    ok(ex_close(exo), "close");
}

// Node sets, side sets and blocks of a file by name, in global ids, read with the library.
StoredSets readExodus(const std::string& path) {
    StoredSets sets;
    int cpu = sizeof(double), io = 0;
    float version = 0;
    const int exo = ex_open(path.c_str(), EX_READ, &cpu, &io, &version);
    EXPECT_GE(exo, 0) << path;
    if (exo < 0)
        return sets;
    ex_init_params p{};
    ex_get_init_ext(exo, &p);
    ex_set_max_name_length(exo, 255);
    std::vector<int> nodeIds(p.num_nodes), elementIds(p.num_elem);
    ex_get_id_map(exo, EX_NODE_MAP, nodeIds.data());
    ex_get_id_map(exo, EX_ELEM_MAP, elementIds.data());
    auto namesOf = [&](ex_entity_type type, int n) {
        std::vector<std::vector<char>> buffers(n, std::vector<char>(256, '\0'));
        std::vector<char*> ptrs;
        for (auto& b : buffers)
            ptrs.push_back(b.data());
        if (n > 0)
            ex_get_names(exo, type, ptrs.data());
        return std::vector<std::string>(ptrs.begin(), ptrs.end());
    };
    for (ex_entity_type type : {EX_NODE_SET, EX_SIDE_SET}) {
        const int n = type == EX_NODE_SET ? p.num_node_sets : p.num_side_sets;
        std::vector<int> ids(n);
        if (n > 0)
            ex_get_ids(exo, type, ids.data());
        const auto names = namesOf(type, n);
        for (int i = 0; i < n; ++i) {
            int entries = 0, factors = 0;
            ex_get_set_param(exo, type, ids[i], &entries, &factors);
            std::vector<int> items(entries), extra(entries);
            if (entries > 0)
                ex_get_set(exo, type, ids[i], items.data(),
                           type == EX_SIDE_SET ? extra.data() : nullptr);
            StoredSet& s = sets[{names[i], type == EX_NODE_SET ? kNode : kSurface}];
            for (int e = 0; e < entries; ++e) {
                const int global = (type == EX_NODE_SET ? nodeIds : elementIds)[items[e] - 1];
                s.ids.insert(global);
                if (type == EX_SIDE_SET)
                    s.faceted.insert({global, extra[e]});
            }
        }
    }
    std::vector<int> blocks(p.num_elem_blk);
    if (!blocks.empty())
        ex_get_ids(exo, EX_ELEM_BLOCK, blocks.data());
    const auto names = namesOf(EX_ELEM_BLOCK, static_cast<int>(blocks.size()));
    int next = 0;
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        char topology[MAX_STR_LENGTH + 1] = {};
        int n = 0, perElement = 0, edges = 0, faces = 0, attributes = 0;
        ex_get_block(exo, EX_ELEM_BLOCK, blocks[b], topology, &n, &perElement, &edges, &faces,
                     &attributes);
        StoredSet& s = sets[{names[b], kElement}];
        for (int e = 0; e < n; ++e)
            s.ids.insert(elementIds[next + e]);
        next += n;
    }
    ex_close(exo);
    return sets;
}

TEST_F(ExodusFiles, SetsSurviveImportAndExport) {
    const std::string original = file("grid.exo");
    writeGrid(original);
    const StoredSets expected = {
        {{"bottom", kNode}, {{101, 102, 103}, {}}},
        {{"nodeset_2", kNode}, {{103, 106, 109}, {}}},
        {{"skin", kSurface}, {{501, 502, 504}, {{501, 1}, {502, 1}, {504, 2}}}},
        {{"left", kElement}, {{501, 502}, {}}},
        {{"right", kElement}, {{503, 504}, {}}},
    };

    const ToolRun imported = rgn({"import", original, file("grid.db")});
    ASSERT_EQ(imported.code, 0) << imported.err;
    EXPECT_EQ(storedSets(file("grid.db")), expected);

    const ToolRun exported = rgn({"export", file("grid.db"), file("back.exo")});
    ASSERT_EQ(exported.code, 0) << exported.err;
    EXPECT_EQ(readExodus(file("back.exo")), expected);

    ASSERT_EQ(rgn({"import", file("back.exo"), file("again.db")}).code, 0);
    EXPECT_EQ(storedSets(file("again.db")), expected);
}

TEST_F(ExodusFiles, MeshToDatabaseToExodusToDatabaseKeepsTheSets) {
    for (const char* name : {"two_volumes_22b.msh", "overlap_41b.msh"}) {
        SCOPED_TRACE(name);
        const std::string db = file(std::string(name) + ".db"),
                          exo = file(std::string(name) + ".exo"),
                          again = file(std::string(name) + ".again.db");
        ASSERT_EQ(rgn({"import", mesh(name), db}).code, 0);
        const ToolRun exported = rgn({"export", db, exo});
        ASSERT_EQ(exported.code, 0) << exported.err;
        ASSERT_EQ(rgn({"import", exo, again}).code, 0);
        StoredSets before = storedSets(db), after = storedSets(again);
        // Element sets that overlap cannot be blocks: they travel as element sets, beside one
        // block that holds every element.
        if (std::string(name).rfind("overlap", 0) == 0) {
            const auto all = after.find({"all_elements", kElement});
            ASSERT_NE(all, after.end());
            std::set<int> elements;
            for (const auto& [key, s] : before)
                if (key.second == kElement)
                    elements.insert(s.ids.begin(), s.ids.end());
            EXPECT_EQ(all->second.ids, elements);
            after.erase(all);
        }
        EXPECT_EQ(after, before);
    }
}

} // namespace

namespace {

TEST_F(ExodusFiles, ProgressIsDrawnOnATerminalOnly) {
    writeGrid(file("grid.exo"));
    const ToolRun quiet = rgn({"import", file("grid.exo"), file("grid.db")});
    ASSERT_EQ(quiet.code, 0);
    EXPECT_EQ(quiet.err, "");
    // The same kind of run with a terminal for its output (script gives it one).
    const ToolRun onTerminal = runTool(
        {"-qec",
         std::string(RGN_TOOL_PATH) + " export " + file("grid.db") + " " + file("grid2.exo"),
         "/dev/null"},
        dir.File(""), "/usr/bin/script");
    ASSERT_EQ(onTerminal.code, 0) << onTerminal.out;
    EXPECT_NE(onTerminal.out.find("export: writing"), std::string::npos) << onTerminal.out;
    EXPECT_NE(onTerminal.out.find("100%"), std::string::npos) << onTerminal.out;
}

} // namespace
