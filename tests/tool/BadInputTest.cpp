#include "ToolFixture.h"

namespace {

using ToolBadInput = ToolTest;

void copyPrefix(const std::string& from, const std::string& to, double fraction) {
    const std::string all = ReadFile(from);
    WriteFile(to, all.substr(0, static_cast<std::size_t>(all.size() * fraction)));
}

TEST_F(ToolBadInput, UnreadableMeshesFailInOneLineAndLeaveNoDatabase) {
    copyPrefix(mesh("plate_hole_41a.msh"), file("cut4.msh"), 0.6);
    copyPrefix(mesh("two_volumes_22b.msh"), file("cut2.msh"), 0.5);
    WriteFile(file("notes.msh"), "these are notes, not a mesh\n");
    // A model database is a file of another kind too.
    ASSERT_EQ(rgn({"demo", file("model.db")}).code, 0);
    // An Exodus II file cut short.
    ASSERT_EQ(rgn({"export", file("model.db"), file("full.exo")}).code, 0);
    copyPrefix(file("full.exo"), file("cut.exo"), 0.5);
    const std::set<std::string> before = folder();

    for (const char* input :
         {"cut4.msh", "cut2.msh", "notes.msh", "model.db", "cut.exo", "absent.msh"}) {
        SCOPED_TRACE(input);
        const ToolRun run = rgn({"import", file(input), file("out.db")});
        EXPECT_TRUE(failedInOneLine(run));
        EXPECT_EQ(run.err.rfind("rgn: " + file(input) + ": ", 0), 0u) << run.err;
        EXPECT_EQ(folder(), before);
    }
}

TEST_F(ToolBadInput, AFailedWriteLeavesTheTargetAsItWas) {
    const std::string db = file("model.db");
    ASSERT_EQ(rgn({"import", mesh("plate_hole_41a.msh"), db}).code, 0);
    ASSERT_EQ(rgn({"export", db, file("plate.exo")}).code, 0);
    const std::string stored = ReadFile(db);

    // Without --force an existing database stays.
    ToolRun run = rgn({"import", file("plate.exo"), db});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("exists already"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(db), stored);

    // The database is written in full under a temporary name; when it cannot take the
    // target's place, the temporary file goes and nothing else changes.
    std::filesystem::create_directory(file("taken.db"));
    WriteFile(file("taken.db/keep"), "x");
    const std::set<std::string> before = folder();
    run = rgn({"import", file("plate.exo"), file("taken.db"), "--force"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find(file("taken.db")), std::string::npos) << run.err;
    EXPECT_EQ(folder(), before);
    EXPECT_EQ(rgn({"export", db, file("taken.db")}).code, 1);
    EXPECT_EQ(folder(), before);
}

TEST_F(ToolBadInput, PathTextsAreRefusedWithTheirPosition) {
    const std::string db = file("model.db");
    ASSERT_EQ(rgn({"demo", db}).code, 0);
    // The tool reads path texts with the module's parser, whose every refusal has its test
    // (PathText): the tool passes the text and the position on.
    for (const auto& [text, character] :
         {std::pair{"1model.sets", 1}, std::pair{"model.sets[2].subset[0].x", 24}}) {
        SCOPED_TRACE(text);
        const ToolRun run = rgn({"show", db, text});
        EXPECT_TRUE(failedInOneLine(run));
        EXPECT_NE(run.err.find(std::string("path text '") + text + "'"), std::string::npos)
            << run.err;
        EXPECT_NE(run.err.find("at character " + std::to_string(character) + "\n"),
                  std::string::npos)
            << run.err;
    }
    // Well-formed paths that name nothing, and a database that is not there.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"show", db, "model.sets[400]"},
          {"show", db, "model.sets[0].subset[9]"},
          {"lookup", db, "model.sets", "1"},
          {"ls", file("absent.db")}}) {
        EXPECT_TRUE(failedInOneLine(rgn(args))) << args[2];
    }
    // Usage errors.
    EXPECT_EQ(rgn({"import", db}).code, 2);
    EXPECT_EQ(rgn({"lookup", db, "model.sets[0].subset[0]", "seven"}).code, 2);
}

TEST_F(ToolBadInput, CheckReportsADamagedDatabase) {
    const std::string db = file("model.db");
    ASSERT_EQ(rgn({"demo", db}).code, 0);
    const ToolRun clean = rgn({"check", db, "--json"});
    EXPECT_EQ(clean.code, 0) << clean.out << clean.err;
    const std::string bytes = ReadFile(db);
    // The page size from the SQLite header (big-endian at offset 16; 1 stands for 65536).
    const int raw =
        (static_cast<unsigned char>(bytes[16]) << 8) | static_cast<unsigned char>(bytes[17]);
    const std::size_t page = raw == 1 ? 65536 : static_cast<std::size_t>(raw);
    const std::size_t pages = bytes.size() / page;
    ASSERT_GE(pages, 4u);
    // A b-tree page header overwritten with nonsense, on pages spread over the file: whether the
    // file no longer opens or its pages fail the check, the answer is a failure in one line.
    for (std::size_t p = 1; p < pages; p += std::max<std::size_t>(1, pages / 3)) {
        SCOPED_TRACE("page " + std::to_string(p + 1));
        std::string damaged = bytes;
        damaged.replace(p * page, 10, std::string("\x0d\x00\x00\x00\x07\xff\xff\xff\x00\xff", 10));
        WriteFile(file("damaged.db"), damaged);
        const ToolRun run = rgn({"check", file("damaged.db")});
        EXPECT_TRUE(failedInOneLine(run)) << run.out;
        EXPECT_EQ(run.err.rfind("rgn: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find("damaged.db"), std::string::npos) << run.err;
    }
}

} // namespace
