// What happens to a file from outside: cut to nothing or to half under an open reader, or kept
// where the reader may not write (a folder or a file that is not writable, a hot journal in a
// read-only folder). Each is refused with an exception whose message names the file and says
// why; a reader never gets a signal.
//
// Permission bits do not stop root, and the tests run as root here and in CI: the cases that
// need them run in a child process that drops to an unprivileged user first, and are skipped,
// saying so, where that is not possible.
#include "Child.h"
#include "Refusal.h"
#include "StoreWalk.h"
#include "TempDir.h"
#include "ddr_Ddb.h"
#include "nex_Exception.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <grp.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using StoreWalk::ProbeMap;
using Mode = ddr_Ddb::Mode;

constexpr uid_t kNobody = 65534;
constexpr int kCannotDrop = 77;

// The message of the nex_Exception that `action` throws, or nothing.
std::optional<std::string> refusal(const std::function<void()>& action) {
    try {
        action();
    } catch (const nex_Exception& e) {
        return std::string(e.what());
    }
    return std::nullopt;
}

// Runs `action` in a child process as an unprivileged user (as root only; others run it as
// themselves): whether it was refused with exactly `expected` ("": not refused), the child
// printing the message it got otherwise; nothing when it could not drop its privileges.
std::optional<bool> refusedAsNobody(const std::string& expected,
                                    const std::function<void()>& action) {
    Child child([&](const Child::Report& report) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            return report(kCannotDrop);
        const std::string message = refusal(action).value_or("");
        if (message != expected)
            std::fprintf(stderr, "child: refused with '%s'\n", message.c_str());
        report(message == expected);
    });
    std::int64_t answer = -1;
    const bool received = child.Receive(answer);
    EXPECT_TRUE(received && ExitedCleanly(child.Wait())) << "the child did not answer";
    if (answer == kCannotDrop)
        return std::nullopt;
    return answer == 1;
}

class FileCauses : public ::testing::Test {
protected:
    static void SetUpTestSuite() { StoreWalk::RegisterProbe(); }

    // A folder of `mode` holding a copy of the sample (mode `fileMode`); the temporary folder
    // above it is opened to everyone so that the unprivileged child reaches it.
    std::string placeSample(const std::string& folder, mode_t mode, mode_t fileMode) {
        std::filesystem::permissions(dir.File(""), std::filesystem::perms(0755));
        const std::string where = dir.File(folder);
        std::filesystem::create_directory(where);
        const std::string path = where + "/model.db";
        std::filesystem::copy_file(sample, path);
        ::chmod(path.c_str(), fileMode);
        ::chmod(where.c_str(), mode);
        return path;
    }

    TempDir dir;
    // 300 probes under one root, each in rows of its own.
    std::string sample = [this] {
        const std::string path = dir.File("sample.db");
        ddr_Ddb db(cow_String("write"), path, Mode::Create);
        ProbeMap map;
        for (int k = 0; k < 300; ++k) {
            Probe p(k, ("probe " + std::to_string(k)).c_str());
            for (int i = 0; i < 200; ++i)
                p.ids.Append(k * 1000 + i);
            map.Insert(k, p);
        }
        db.StoreRoot(cow_String("probes"), map);
        return path;
    }();
};

} // namespace

// The reader has read the map's keys; then the file is cut. Fetching entries must fail with
// the framework's exception naming the file (SQLite reads the missing pages as zeros, or finds
// the file changed), never with SIGBUS or SIGSEGV.
TEST_F(FileCauses, AFileCutUnderAnOpenReaderIsRefused) {
    for (const bool toNothing : {true, false}) {
        SCOPED_TRACE(toNothing ? "cut to nothing" : "cut to half");
        const std::string path = dir.File(toNothing ? "zero.db" : "half.db");
        std::filesystem::copy_file(sample, path);
        ddr_Ddb db(cow_String("reader"), path, Mode::ReadOnly);
        ProbeMap map = db.LoadRoot<ProbeMap>(cow_String("probes"));
        ASSERT_EQ(map.Count(), 300);
        EXPECT_EQ(map.ConstGet(0).number, 0);
        const auto size = std::filesystem::file_size(path);
        ASSERT_EQ(::truncate(path.c_str(), toNothing ? 0 : static_cast<off_t>(size / 2)), 0);

        int refused = 0;
        for (int k = 299; k > 0; k -= 7) {
            // A page read before the cut may still be cached: not every fetch fails.
            if (const auto why = refusal([&] { (void)map.ConstGet(k).ids.Count(); })) {
                ++refused;
                EXPECT_EQ(why->rfind("model database '" + path + "': ", 0), 0u) << *why;
            }
        }
        EXPECT_GT(refused, 0);
        // And the database refuses what comes next the same way, down to its close.
        EXPECT_MENTIONS(refusal([&] { db.LoadRoot<ProbeMap>(cow_String("probes")); }).value_or(""),
                        "model database '" + path + "'");
    }
}

TEST_F(FileCauses, AFolderOrAFileThatIsNotWritable) {
    const std::string path = placeSample("readonly-folder", 0555, 0666);
    const std::string folder = dir.File("readonly-folder");
    const std::string notWritable = "': the folder '" + folder +
                                    "' is not writable; a model database opened for writing "
                                    "keeps its journal there";
    const auto why = refusedAsNobody("model database '" + path + notWritable,
                                     [&] { ddr_Ddb db(cow_String("w"), path, Mode::ReadWrite); });
    if (!why)
        GTEST_SKIP() << "cannot drop to an unprivileged user to test permissions";
    EXPECT_TRUE(*why);
    // A new file there is refused the same way, and reading still works.
    const std::string fresh = folder + "/new.db";
    EXPECT_TRUE(refusedAsNobody("model database '" + fresh + notWritable, [&] {
                    ddr_Ddb db(cow_String("n"), fresh, Mode::Create);
                }).value_or(false));
    EXPECT_TRUE(refusedAsNobody("", [&] {
                    ddr_Ddb db(cow_String("r"), path, Mode::ReadOnly);
                    StoreWalk::ReadEveryRoot(db);
                }).value_or(false));
    ::chmod(folder.c_str(), 0755);

    const std::string file = placeSample("readonly-file", 0777, 0444);
    EXPECT_TRUE(refusedAsNobody("model database '" + file + "': the file is not writable", [&] {
                    ddr_Ddb db(cow_String("w"), file, Mode::ReadWrite);
                }).value_or(false));
}

// A write cut short by a kill leaves a hot journal, which a reader must roll back before it
// may read; in a folder it cannot write, it cannot, and says so instead of "disk I/O error".
// Where it may write, even a read-only open rolls the write back and reads the last committed
// state, although pages of the write had reached the file.
TEST_F(FileCauses, AHotJournalIsRolledBackByTheNextReaderWhereItMayWrite) {
    const std::string path = placeSample("hot", 0777, 0666);
    const std::uint64_t committed = [&] {
        ddr_Ddb db(cow_String("before"), path, Mode::ReadOnly);
        return StoreWalk::ReadEveryRoot(db);
    }();
    ASSERT_TRUE(LeaveWriteCutShort(path)) << "the half write failed before the kill";
    const std::string journal = path + "-journal";
    ASSERT_TRUE(std::filesystem::exists(journal));
    ASSERT_GT(std::filesystem::file_size(path), 40 * 65536u) << "no page reached the file";
    ::chmod(journal.c_str(), 0666);
    const std::string folder = dir.File("hot");
    ::chmod(folder.c_str(), 0555);
    const auto why = refusedAsNobody(
        "model database '" + path + "': holds a write cut short by a crash (journal '" + journal +
            "'), which must be rolled back before it can be read, and the folder '" + folder +
            "' is not writable",
        [&] {
            ddr_Ddb db(cow_String("r"), path, Mode::ReadOnly);
            StoreWalk::ReadEveryRoot(db);
        });
    EXPECT_TRUE(why.value_or(true));
    EXPECT_TRUE(std::filesystem::exists(journal)); // left for a reader that may roll it back

    ::chmod(folder.c_str(), 0777);
    ddr_Ddb db(cow_String("r"), path, Mode::ReadOnly);
    EXPECT_EQ(StoreWalk::ReadEveryRoot(db), committed);
    EXPECT_FALSE(std::filesystem::exists(journal));
    if (!why)
        GTEST_SKIP() << "cannot drop to an unprivileged user to test permissions";
}
