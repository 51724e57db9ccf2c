#include "ToolFixture.h"

namespace {

using ToolBadInput = ToolTest;

void copyPrefix(const std::string& from, const std::string& to, double fraction) {
    const std::string all = ReadFile(from);
    WriteFile(to, all.substr(0, static_cast<std::size_t>(all.size() * fraction)));
}

// Every refusal: exit code 1 and one line saying what it refused (or 2 for a usage error), and
// no file in the folder made, changed or removed, whatever the command had written so far.
// (That the check passes an undamaged file, --json or not, the upgrade command's test shows.)
TEST_F(ToolBadInput, RefusalsSayWhatInOneLineAndChangeNoFile) {
    const std::string db = file("model.db"), exo = file("model.exo");
    ASSERT_EQ(rgn({"demo", db}).code, 0);
    ASSERT_EQ(rgn({"export", db, exo}).code, 0);
    copyPrefix(mesh("plate_hole_41a.msh"), file("cut4.msh"), 0.6);
    copyPrefix(mesh("two_volumes_22b.msh"), file("cut2.msh"), 0.5);
    copyPrefix(exo, file("cut.exo"), 0.5);
    WriteFile(file("notes.msh"), "these are notes, not a mesh\n");
    // A target that a database written in full under a temporary name cannot replace.
    std::filesystem::create_directory(file("taken.db"));
    WriteFile(file("taken.db/keep"), "x");
    // A b-tree page header overwritten with nonsense, on pages spread over copies of the
    // database: whether a copy no longer opens or its pages fail the check, it is refused.
    const std::string bytes = ReadFile(db);
    // The page size from the SQLite header (big-endian at offset 16; 1 stands for 65536).
    const int raw =
        (static_cast<unsigned char>(bytes[16]) << 8) | static_cast<unsigned char>(bytes[17]);
    const std::size_t page = raw == 1 ? 65536 : static_cast<std::size_t>(raw);
    const std::size_t pages = bytes.size() / page;
    ASSERT_GE(pages, 4u);
    const std::string nonsense("\x0d\x00\x00\x00\x07\xff\xff\xff\x00\xff", 10);
    std::vector<std::string> damaged;
    for (std::size_t p = 1; p < pages; p += std::max<std::size_t>(1, pages / 3)) {
        damaged.push_back(file("damaged-page-" + std::to_string(p + 1) + ".db"));
        WriteFile(damaged.back(), std::string(bytes).replace(p * page, 10, nonsense));
    }
    const std::map<std::string, std::string> before = folder();

    struct Case {
        std::vector<std::string> args;
        int code;
        std::vector<std::string> says;
    };
    std::vector<Case> cases = {
        // An existing database stays without --force; one that cannot take the target's place
        // leaves no temporary file.
        {{"import", exo, db}, 1, {"exists already"}},
        {{"import", exo, file("taken.db"), "--force"}, 1, {file("taken.db")}},
        {{"export", db, file("taken.db")}, 1, {}},
        // The tool reads path texts with the module's parser, whose every refusal has its test
        // (PathText): the tool passes the text and the position on.
        {{"show", db, "1model.sets"}, 1, {"path text '1model.sets'", "at character 1\n"}},
        {{"show", db, "model.sets[2].subset[0].x"},
         1,
         {"path text 'model.sets[2].subset[0].x'", "at character 24\n"}},
        // Well-formed paths that name nothing, and a database that is not there.
        {{"show", db, "model.sets[400]"}, 1, {}},
        {{"show", db, "model.sets[0].subset[9]"}, 1, {}},
        {{"lookup", db, "model.sets", "1"}, 1, {}},
        {{"ls", file("absent.db")}, 1, {}},
        // Usage errors.
        {{"import", db}, 2, {}},
        {{"lookup", db, "model.sets[0].subset[0]", "seven"}, 2, {}},
    };
    // Meshes it cannot read; a model database and an Exodus II file cut short are files of other
    // kinds.
    for (const std::string input :
         {"cut4.msh", "cut2.msh", "notes.msh", "model.db", "cut.exo", "absent.msh"})
        cases.push_back({{"import", file(input), file("out.db")}, 1, {file(input) + ": "}});
    for (const std::string& copy : damaged)
        cases.push_back({{"check", copy}, 1, {copy}});
    for (const auto& [args, code, says] : cases) {
        SCOPED_TRACE(args[0] + " " + args[1] + " " + args.back());
        const ToolRun run = rgn(args);
        EXPECT_EQ(run.code, code) << run.err;
        EXPECT_TRUE(code == 2 || failedInOneLine(run)) << run.err;
        for (const std::string& part : says)
            EXPECT_MENTIONS(run.err, part);
        EXPECT_EQ(folder(), before);
    }
}

} // namespace
