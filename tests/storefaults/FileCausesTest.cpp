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
#include <signal.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using StoreWalk::ProbeMap;

constexpr uid_t kNobody = 65534;
constexpr int kCannotDrop = 77;

// 300 probes under one root, each in rows of its own.
void writeProbes(const std::string& path) {
    ddr_Ddb db(cow_String("write"), path, ddr_Ddb::Mode::Create);
    ProbeMap map;
    for (int k = 0; k < 300; ++k) {
        Probe p(k, ("probe " + std::to_string(k)).c_str());
        for (int i = 0; i < 200; ++i)
            p.ids.Append(k * 1000 + i);
        map.Insert(k, p);
    }
    db.StoreRoot(cow_String("probes"), map);
}

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
// themselves) and answers the message it was refused with, "" when nothing was thrown, or
// nothing when the child could not drop its privileges.
std::optional<std::string> refusalAsNobody(const std::function<void()>& action) {
    int fds[2];
    if (::pipe(fds) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(kCannotDrop);
        const std::string message = refusal(action).value_or("");
        const bool sent =
            ::write(fds[1], message.data(), message.size()) == static_cast<ssize_t>(message.size());
        ::_exit(sent ? 0 : 1); // no exit handlers: they belong to the parent
    }
    ::close(fds[1]);
    std::string message;
    char buffer[512];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        message.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return std::nullopt;
    if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotDrop)
        return std::nullopt;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the child ended with status " << status;
    return message;
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
    std::string sample = [this] {
        const std::string path = dir.File("sample.db");
        writeProbes(path);
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
        ddr_Ddb db(cow_String("reader"), path, ddr_Ddb::Mode::ReadOnly);
        ProbeMap map = db.LoadRoot<ProbeMap>(cow_String("probes"));
        ASSERT_EQ(map.Count(), 300);
        EXPECT_EQ(map.ConstGet(0).number, 0);
        const auto size = std::filesystem::file_size(path);
        ASSERT_EQ(::truncate(path.c_str(), toNothing ? 0 : static_cast<off_t>(size / 2)), 0);

        int refused = 0;
        for (int k = 299; k > 0; k -= 7) {
            const auto why = refusal([&] { (void)map.ConstGet(k).ids.Count(); });
            if (!why)
                continue; // a page read before the cut may still be cached
            ++refused;
            EXPECT_EQ(why->rfind("model database '" + path + "': ", 0), 0u) << *why;
        }
        EXPECT_GT(refused, 0);
        // And the database refuses what comes next the same way, down to its close.
        const auto next = refusal([&] { db.LoadRoot<ProbeMap>(cow_String("probes")); });
        ASSERT_TRUE(next.has_value());
        EXPECT_MENTIONS(*next, "model database '" + path + "'");
    }
}

TEST_F(FileCauses, AFolderThatIsNotWritable) {
    const std::string path = placeSample("readonly-folder", 0555, 0666);
    const std::string folder = dir.File("readonly-folder");
    const auto why =
        refusalAsNobody([&] { ddr_Ddb db(cow_String("w"), path, ddr_Ddb::Mode::ReadWrite); });
    if (!why)
        GTEST_SKIP() << "cannot drop to an unprivileged user to test permissions";
    EXPECT_EQ(*why, "model database '" + path + "': the folder '" + folder +
                        "' is not writable; a model database opened for writing keeps its "
                        "journal there");
    // A new file there is refused the same way, and reading still works.
    const std::string fresh = folder + "/new.db";
    EXPECT_MENTIONS(refusalAsNobody([&] {
                        ddr_Ddb db(cow_String("n"), fresh, ddr_Ddb::Mode::Create);
                    }).value_or(""),
                    "the folder '" + folder + "' is not writable");
    EXPECT_EQ(refusalAsNobody([&] {
                  ddr_Ddb db(cow_String("r"), path, ddr_Ddb::Mode::ReadOnly);
                  StoreWalk::ReadEveryRoot(db);
              }).value_or("not run"),
              "");
    ::chmod(folder.c_str(), 0755);
}

TEST_F(FileCauses, AFileThatIsNotWritable) {
    const std::string path = placeSample("readonly-file", 0777, 0444);
    const auto why =
        refusalAsNobody([&] { ddr_Ddb db(cow_String("w"), path, ddr_Ddb::Mode::ReadWrite); });
    if (!why)
        GTEST_SKIP() << "cannot drop to an unprivileged user to test permissions";
    EXPECT_EQ(*why, "model database '" + path + "': the file is not writable");
}

// A write cut short by a kill leaves a hot journal, which a reader must roll back before it
// may read; in a folder it cannot write, it cannot, and says so instead of "disk I/O error".
TEST_F(FileCauses, AHotJournalInAFolderThatIsNotWritable) {
    const std::string path = placeSample("hot", 0777, 0666);
    ASSERT_TRUE(LeaveWriteCutShort(path)) << "the half write failed before the kill";
    const std::string journal = path + "-journal";
    ASSERT_TRUE(std::filesystem::exists(journal));
    ::chmod(journal.c_str(), 0666);
    const std::string folder = dir.File("hot");
    ::chmod(folder.c_str(), 0555);

    const auto why = refusalAsNobody([&] {
        ddr_Ddb db(cow_String("r"), path, ddr_Ddb::Mode::ReadOnly);
        StoreWalk::ReadEveryRoot(db);
    });
    if (!why)
        GTEST_SKIP() << "cannot drop to an unprivileged user to test permissions";
    EXPECT_EQ(*why, "model database '" + path + "': holds a write cut short by a crash (journal '" +
                        journal +
                        "'), which must be rolled back before it can be read, and the "
                        "folder '" +
                        folder + "' is not writable");
    EXPECT_TRUE(std::filesystem::exists(journal)); // left for a reader that may roll it back

    // Where it may write, the reader rolls the write back and reads the last committed state.
    ::chmod(folder.c_str(), 0777);
    ddr_Ddb db(cow_String("r"), path, ddr_Ddb::Mode::ReadOnly);
    ProbeMap map = db.LoadRoot<ProbeMap>(cow_String("probes"));
    EXPECT_EQ(map.ConstGet(5).number, 5);
    EXPECT_FALSE(std::filesystem::exists(journal));
}
