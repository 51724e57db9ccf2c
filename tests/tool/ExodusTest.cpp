#include "ToolFixture.h"

#include <exodusII.h>

namespace {

using ExodusFiles = ToolTest;

// A 3 x 3 grid of nodes (ids 101..109) and four quads (ids 501..504) in two blocks, two node
// sets (one unnamed), one side set; written with the library as another program would.
void writeGrid(const std::string& path) {
    int cpu = sizeof(double), io = sizeof(double);
    const int exo = ex_create(path.c_str(), EX_CLOBBER, &cpu, &io);
    ASSERT_GE(exo, 0);
    const double x[] = {0, 1, 2, 0, 1, 2, 0, 1, 2}, y[] = {0, 0, 0, 1, 1, 1, 2, 2, 2};
    const int nodeIds[] = {101, 102, 103, 104, 105, 106, 107, 108, 109};
    const int elementIds[] = {501, 502, 503, 504};
    const int left[] = {1, 2, 5, 4, 4, 5, 8, 7}, right[] = {2, 3, 6, 5, 5, 6, 9, 8};
    const int bottom[] = {1, 2, 3}, side[] = {3, 6, 9};
    const int skinElements[] = {1, 2, 4}, skinSides[] = {1, 1, 2};
    // The calls run in order (a braced list is evaluated left to right); each answers a
    // negative number when it fails.
    int call = 0;
    for (const int status :
         {ex_put_init(exo, "grid", 2, 9, 4, 2, 2, 1), ex_put_coord(exo, x, y, nullptr),
          ex_put_id_map(exo, EX_NODE_MAP, nodeIds),
          ex_put_block(exo, EX_ELEM_BLOCK, 10, "QUAD4", 2, 4, 0, 0, 0),
          ex_put_conn(exo, EX_ELEM_BLOCK, 10, left, nullptr, nullptr),
          ex_put_block(exo, EX_ELEM_BLOCK, 20, "QUAD4", 2, 4, 0, 0, 0),
          ex_put_conn(exo, EX_ELEM_BLOCK, 20, right, nullptr, nullptr),
          ex_put_id_map(exo, EX_ELEM_MAP, elementIds), ex_put_set_param(exo, EX_NODE_SET, 1, 3, 0),
          ex_put_set(exo, EX_NODE_SET, 1, bottom, nullptr),
          ex_put_set_param(exo, EX_NODE_SET, 2, 3, 0),
          ex_put_set(exo, EX_NODE_SET, 2, side, nullptr),
          ex_put_set_param(exo, EX_SIDE_SET, 5, 3, 0),
          ex_put_set(exo, EX_SIDE_SET, 5, skinElements, skinSides),
          ex_put_name(exo, EX_NODE_SET, 1, "bottom"), ex_put_name(exo, EX_SIDE_SET, 5, "skin"),
          ex_put_name(exo, EX_ELEM_BLOCK, 10, "left"), ex_put_name(exo, EX_ELEM_BLOCK, 20, "right"),
          ex_close(exo)})
        EXPECT_GE(status, 0) << "call " << call++;
}

// Node sets, side sets and blocks of a file by name, in global ids, read with the library.
StoredSets readExodus(const std::string& path) {
    int cpu = sizeof(double), io = 0;
    float version = 0;
    const int exo = ex_open(path.c_str(), EX_READ, &cpu, &io, &version);
    EXPECT_GE(exo, 0) << path;
    ex_set_max_name_length(exo, 255);
    std::vector<int> nodeIds(ex_inquire_int(exo, EX_INQ_NODES)),
        elementIds(ex_inquire_int(exo, EX_INQ_ELEM));
    ex_get_id_map(exo, EX_NODE_MAP, nodeIds.data());
    ex_get_id_map(exo, EX_ELEM_MAP, elementIds.data());
    StoredSets sets;
    int blockStart = 0; // blocks number their elements one after the other
    for (const auto& [type, inquiry] :
         {std::pair{EX_NODE_SET, EX_INQ_NODE_SETS}, std::pair{EX_SIDE_SET, EX_INQ_SIDE_SETS},
          std::pair{EX_ELEM_BLOCK, EX_INQ_ELEM_BLK}}) {
        std::vector<int> ids(ex_inquire_int(exo, inquiry));
        if (!ids.empty())
            ex_get_ids(exo, type, ids.data());
        for (const int id : ids) {
            char name[256] = {};
            ex_get_name(exo, type, id, name);
            if (type == EX_ELEM_BLOCK) {
                ex_block block{};
                block.id = id;
                block.type = type;
                ex_get_block_param(exo, &block);
                for (int e = 0; e < block.num_entry; ++e)
                    sets[{name, kElement}].ids.insert(elementIds[blockStart + e]);
                blockStart += block.num_entry;
                continue;
            }
            int entries = 0, factors = 0;
            ex_get_set_param(exo, type, id, &entries, &factors);
            std::vector<int> items(entries), sides(entries);
            ex_get_set(exo, type, id, items.data(), type == EX_SIDE_SET ? sides.data() : nullptr);
            StoredSet& s = sets[{name, type == EX_NODE_SET ? kNode : kSurface}];
            for (int e = 0; e < entries; ++e) {
                const int global = (type == EX_NODE_SET ? nodeIds : elementIds)[items[e] - 1];
                s.ids.insert(global);
                if (type == EX_SIDE_SET)
                    s.faceted.insert({global, sides[e]});
            }
        }
    }
    ex_close(exo);
    return sets;
}

TEST_F(ExodusFiles, SetsSurviveImportAndExportWhichDrawProgressOnATerminalOnly) {
    const std::string original = file("grid.exo");
    writeGrid(original);
    const StoredSets expected = {
        {{"bottom", kNode}, {{101, 102, 103}, {}}},
        {{"nodeset_2", kNode}, {{103, 106, 109}, {}}},
        {{"skin", kSurface}, {{501, 502, 504}, {{501, 1}, {502, 1}, {504, 2}}}},
        {{"left", kElement}, {{501, 502}, {}}},
        {{"right", kElement}, {{503, 504}, {}}},
    };

    EXPECT_EQ(imported(original, file("grid.db")), expected);

    outputOf({"export", file("grid.db"), file("back.exo")});
    EXPECT_EQ(readExodus(file("back.exo")), expected);

    EXPECT_EQ(imported(file("back.exo"), file("again.db")), expected);

    // The same export with a terminal for its output (script gives it one) draws its progress.
    const ToolRun onTerminal =
        run("/usr/bin/script",
            {"-qec",
             std::string(RGN_TOOL_PATH) + " export " + file("grid.db") + " " + file("grid2.exo"),
             "/dev/null"});
    ASSERT_EQ(onTerminal.code, 0) << onTerminal.out;
    EXPECT_NE(onTerminal.out.find("export: writing"), std::string::npos) << onTerminal.out;
    EXPECT_NE(onTerminal.out.find("100%"), std::string::npos) << onTerminal.out;
}

TEST_F(ExodusFiles, MeshToDatabaseToExodusToDatabaseKeepsTheSets) {
    for (const std::string name : {"two_volumes_22b.msh", "overlap_41b.msh"}) {
        SCOPED_TRACE(name);
        const std::string db = file(name + ".db"), exo = file(name + ".exo");
        StoredSets before = imported(mesh(name), db);
        outputOf({"export", db, exo});
        // Element sets that overlap cannot be blocks: they travel as element sets, beside one
        // block that holds every element.
        if (name.rfind("overlap", 0) == 0) {
            std::set<int> elements;
            for (const auto& [key, s] : before)
                if (key.second == kElement)
                    elements.insert(s.ids.begin(), s.ids.end());
            before[{"all_elements", kElement}].ids = elements;
        }
        EXPECT_EQ(imported(exo, file(name + ".again.db")), before);
    }
}

} // namespace
