// Files that are missing, empty, foreign, cut short, overwritten, or that refer to what is not
// there: every one is refused with the framework's exception naming the file and the problem,
// and none is changed by the attempt. And what happens to a file from outside: cut under an
// open reader, or kept where the reader may not write (a folder or a file that is not writable,
// a hot journal in a read-only folder), refused the same way; a reader never gets a signal.
//
// Permission bits do not stop root, and the tests run as root here and in CI: the cases that
// need them run in a child process that drops to an unprivileged user first, and are skipped,
// saying so, where that is not possible.
#include "Child.h"
#include "Files.h"
#include "Refusal.h"
#include "StoreWalk.h"
#include "TempDir.h"
#include "ddr_Ddb.h"
#include "nex_Exception.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <functional>
#include <grp.h>
#include <optional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using StoreWalk::ProbeMap;
using Mode = ddr_Ddb::Mode;
using Bytes = std::string;
namespace fs = std::filesystem;

// The rows the damage cases change: the root "single", and the int or string list of a probe.
#define SINGLE "(SELECT oid FROM cls_roots WHERE name = 'single')"
#define LIST_OF(column, number)                                                                    \
    "(SELECT \"" column "#OID\" FROM \"Probe\" WHERE number = " #number ")"

constexpr std::size_t kPageSize = 65536; // what the framework gives every new file
const std::vector<Mode> kReadModes = {Mode::ReadOnly, Mode::ReadWrite};
const std::vector<Mode> kEveryMode = {Mode::ReadOnly, Mode::ReadWrite, Mode::Create};

// A link of a chain: each refers to the next, of its own class. Only a damaged file makes one
// refer back to a link that contains it.
class Link {
public:
    static std::uint32_t TypeId() { return 0x7F000002; }
    Link() : uid(cls_Uid::AllocateUid()) {}
    explicit Link(const cls_ReadVisitor& rv)
        : next(rv.Memento().ReadObject<Link>(field(), TypeId())), uid(rv.GetUid()) {}
    virtual ~Link() = default;
    virtual Link* Copy() const { return new Link(*this); }
    virtual void DBWrite(const cls_WriteVisitor& wv) const {
        if (!wv.StartWrite(TypeId(), uid))
            return;
        if (next.IsNull())
            wv.Memento().WriteEmptyObject(field());
        else
            next->DBWrite(cls_WriteVisitor(wv, field(), &next, nullptr));
    }
    static void Register() {
        cls_ClassRegistrar::Current()
            .AddClassMD(new cls_TypeAdapter<Link>(cow_String("Link"), 1, 1))
            .AddAttribute(field(), cls_AttrObject, TypeId(), cls_CollSingle);
    }
    // A chain of `n` links.
    static Link Chain(int n) {
        Link first;
        if (n > 1)
            first.next = cow_COW<Link, cow_Virtual<Link>>(new Link(Chain(n - 1)));
        return first;
    }

    cow_COW<Link, cow_Virtual<Link>> next{static_cast<Link*>(nullptr)};
    cls_Uid uid;

private:
    static cls_FieldHandle field() { return cls_FieldHandle(-1, "next"); }
};

Probe filled(int n) {
    Probe p(n, ("probe " + std::to_string(n)).c_str(), res_SetTypeEnm::SURFACE_EDGE);
    p.flag = n % 2 == 1;
    // Every tenth list spills into overflow pages.
    for (int i = 0; i < (n % 10 == 9 ? 20000 : n * 50); ++i)
        p.ids.Append(n * 100000 + i);
    p.names.Append(cow_String("first of " + std::to_string(n)));
    p.names.Append(cow_String(""));
    return p;
}

std::uint64_t readAll(const std::string& path, Mode mode = Mode::ReadOnly) {
    ddr_Ddb db(cow_String("faults"), path, mode);
    return StoreWalk::ReadEveryRoot(db);
}

// The framework's own errors name the file first; a stored value that a class itself refuses
// comes as that class's error, unchanged.
void expectNamesTheFile(const std::string& path, const nex_Exception& e) {
    const std::string_view source = e.File();
    if (source.starts_with("framework/") || source.starts_with("generated/include/cls_")) {
        EXPECT_EQ(std::string(e.what()).rfind("model database '" + path + "': ", 0), 0u)
            << "the message does not start with the file: " << e.what();
    }
}

// The message `action` was refused with; a test failure when it was not refused so.
std::string refusal(const std::string& path, const std::function<void()>& action) {
    const std::optional<nex_Exception> e = Refusal(action);
    if (e)
        expectNamesTheFile(path, *e);
    return e ? e->what() : "";
}

constexpr uid_t kNobody = 65534;
constexpr int kCannotDrop = 77;

// Opens `path` in `mode`, reading every root where it opens, in a child process as an
// unprivileged user (as root only; others run it as themselves): whether it was refused with
// exactly the message naming the file and `problem` ("": not refused), the child printing the
// message it got otherwise; nothing when it could not drop its privileges.
std::optional<bool> refusedAsNobody(const std::string& path, Mode mode,
                                    const std::string& problem) {
    const std::string expected = problem.empty() ? "" : "model database '" + path + "': " + problem;
    Child child([&](const Child::Report& report) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            return report(kCannotDrop);
        std::string message;
        try {
            readAll(path, mode);
        } catch (const nex_Exception& e) {
            message = e.what();
        }
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

class BadInput : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        StoreWalk::RegisterProbe();
        Link::Register();
    }

    // 40 probes in a stored map (some lists over several pages) and one probe on its own.
    std::string writeSample() {
        const std::string path = dir.File("sample.db");
        ddr_Ddb db(cow_String("sample"), path, Mode::Create);
        ProbeMap map;
        for (int k = 0; k < 40; ++k)
            map.Insert(k, filled(k));
        db.StoreRoot(cow_String("probes"), map);
        db.StoreRoot(cow_String("single"), filled(7));
        return path;
    }

    // A copy of the sample changed with raw SQL, as damage from outside would.
    std::string damaged(const std::string& sql) {
        const std::string path = dir.File("damaged" + std::to_string(++files) + ".db");
        fs::copy_file(sample, path);
        ddr_Ddb db(cow_String("damage"), path, Mode::ReadWrite);
        db.Database().Sql().Execute(sql.c_str());
        return path;
    }

    // A folder of `mode` holding a copy of the sample (mode `fileMode`); the temporary folder
    // above it is opened to everyone so that the unprivileged child reaches it.
    std::string placeSample(const std::string& folder, mode_t mode, mode_t fileMode) {
        fs::permissions(dir.File(""), fs::perms(0755));
        const std::string where = dir.File(folder);
        fs::create_directory(where);
        const std::string path = where + "/model.db";
        fs::copy_file(sample, path);
        ::chmod(path.c_str(), fileMode);
        ::chmod(where.c_str(), mode);
        return path;
    }

    // A file of the given bytes.
    std::string written(const Bytes& bytes) {
        const std::string path = dir.File("bytes" + std::to_string(++files) + ".db");
        WriteFile(path, bytes);
        return path;
    }

    TempDir dir;
    int files = 0;
    std::string sample = writeSample();
    Bytes whole = ReadFile(sample);
};

} // namespace

// Each file is refused in every mode named, with the problem named, and left as it was (a
// missing one is not created).
TEST_F(BadInput, FilesThatAreNotWholeModelDatabasesAreRefusedAndLeftAlone) {
    struct Case {
        std::string path;
        std::string problem;
        std::vector<Mode> modes = {Mode::ReadOnly};
    };
    // A real SQLite file of some other program.
    const std::string foreign = dir.File("foreign.db");
    sqlite3* handle = nullptr;
    sqlite3_open(foreign.c_str(), &handle);
    ASSERT_EQ(sqlite3_exec(handle,
                           "CREATE TABLE people (name TEXT); INSERT INTO people VALUES ('a');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(handle);
    std::vector<Case> cases = {
        {dir.File("missing.db"), "cannot open the file", kReadModes},
        {written(""), "not a model database", kReadModes},
        {written("These are notes, not a database.\n" + Bytes(5000, 'x')),
         "not a model database or is damaged", kEveryMode},
        {foreign, "not a model database (no format marker)", kEveryMode},
        {damaged("UPDATE cls_meta SET value = 'x' WHERE key = 'format'"), "unknown format marker"},
        {damaged("UPDATE cls_meta SET value = 1 WHERE key = 'formatVersion'"),
         "storage format version 1 is not supported"},
        // References to rows, lists and tables that are gone, or to lists of the wrong size.
        {damaged("DELETE FROM \"Probe\" WHERE oid = (SELECT elemOid FROM cls_map WHERE key = 5)"),
         "of class 'Probe' is missing"},
        {damaged("DELETE FROM \"Probe\" WHERE oid = " SINGLE), "of class 'Probe' is missing"},
        {damaged("DELETE FROM cls_intlist WHERE oid = " LIST_OF("ids", 6)), "damaged: int list"},
        {damaged("DELETE FROM cls_strlist WHERE oid = " LIST_OF("names", 8)),
         "damaged: string list"},
        {damaged("DROP TABLE \"Probe\""), "damaged: no table for class 'Probe'"},
        {damaged("UPDATE cls_intlist SET ids = x'0102030405' WHERE oid = " LIST_OF("ids", 6)),
         "holds 5 bytes for"},
        {damaged("UPDATE cls_strlist SET texts = x'FFFFFF7F41' WHERE oid = " LIST_OF("names", 8)),
         "is cut short"},
        {damaged("UPDATE \"Probe\" SET \"kind#OID\" = 999999 WHERE number = 9"),
         "damaged: object 999999"},
        // An object attribute of a class nobody registered.
        {damaged("UPDATE \"Probe\" SET \"kind#ClassID\" = 2130706670 WHERE oid = " SINGLE),
         "unknown class id 0x7F0000EE"},
    };
    // Cuts that drop a page: inside the header, at the end of the first page, inside and at the
    // end of a middle page, and the last page gone. A file cut inside SQLite's header may read
    // as an empty one rather than a damaged one.
    ASSERT_GT(whole.size(), 6 * kPageSize);
    for (std::size_t cut :
         {std::size_t{1}, std::size_t{60}, std::size_t{100}, std::size_t{4096}, kPageSize,
          kPageSize + 3000, whole.size() / 2 + 777, whole.size() - kPageSize})
        cases.push_back({written(whole.substr(0, cut)),
                         cut < 100 ? "not a model database" : "not a model database or is damaged",
                         kReadModes});
    // The SQLite header and the page of the schema overwritten.
    for (std::size_t at : {0, 16, 100})
        cases.push_back({written(Bytes(whole).replace(at, 8, 8, static_cast<char>(0xA5))),
                         "not a model database or is damaged"});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + " (" + c.problem + ")");
        const auto state = [&] { return fs::exists(c.path) ? "file " + ReadFile(c.path) : "none"; };
        const std::string before = state();
        for (Mode mode : c.modes)
            EXPECT_MENTIONS(refusal(c.path, [&] { readAll(c.path, mode); }), c.problem);
        EXPECT_EQ(state(), before);
    }
    const std::string inMissingFolder = dir.File("no/such/folder.db");
    EXPECT_MENTIONS(refusal(inMissingFolder, [&] { readAll(inMissingFolder, Mode::Create); }),
                    "cannot open the file");
    // The failed opens left no database entered under their name.
    EXPECT_NO_THROW(readAll(sample));
}

// Where damage does not show, the file reads back as it was written or is refused; the reader
// never crashes and fails only with the framework's exception.
TEST_F(BadInput, DamageThatMayNotShowReadsAsWrittenOrIsRefused) {
    const std::uint64_t expected = readAll(sample);
    // A cut inside the last page loses only the end of that page.
    const std::string tail = written(whole.substr(0, whole.size() - 100));
    try {
        EXPECT_EQ(readAll(tail), expected);
    } catch (const nex_Exception& e) {
        expectNamesTheFile(tail, e);
    }

    // Random runs of bytes in the middle of pages (fixed seed). SQLite keeps no checksum of the
    // content, so a run that lands in stored values reads back changed.
    std::mt19937 random(20240611);
    int refused = 0, changed = 0;
    const int rounds = 60;
    const std::string path = dir.File("corrupt.db");
    for (int round = 0; round < rounds; ++round) {
        Bytes bytes = whole;
        const std::size_t page = random() % (whole.size() / kPageSize);
        const std::size_t offset = page * kPageSize + 8 + random() % (kPageSize - 80);
        const std::size_t length = 1 + random() % 64;
        for (std::size_t i = 0; i < length; ++i)
            bytes[offset + i] = static_cast<char>(random());
        WriteFile(path, bytes);
        SCOPED_TRACE("round " + std::to_string(round) + ": " + std::to_string(length) +
                     " bytes at " + std::to_string(offset));
        try {
            changed += readAll(path) != expected ? 1 : 0;
        } catch (const nex_Exception& e) {
            expectNamesTheFile(path, e);
            ++refused;
        }
    }
    // Most runs land in the ids of the large lists, which carry no checksum: they read back
    // changed; the rest lands in unused space, or, rarely, in a page's structure (refused).
    EXPECT_GT(changed, 0);
    std::printf("overwritten pages: %d of %d refused, %d read back changed\n", refused, rounds,
                changed);
}

// A root or a map entry of a class nobody registered, and a root read as another class, are
// refused on their own: the rest of the file still reads. (A root that is not there: the
// Python suite's errors test.)
TEST_F(BadInput, ARefusedRootOrEntryLeavesTheRestReadable) {
    const std::string path = damaged("INSERT INTO cls_roots (name, oid, classId, collection) "
                                     "VALUES ('ghost', 5, 2130706670, 0);"
                                     "UPDATE cls_map SET elemClassId = 2130706670 WHERE key = 3");
    const std::string problem = "unknown class id 0x7F0000EE";
    ddr_Ddb db(cow_String("r"), path, Mode::ReadOnly);
    EXPECT_MENTIONS(refusal(path, [&] { db.LoadRoot<Probe>(cow_String("ghost")); }), problem);
    EXPECT_MENTIONS(refusal(path, [&] { db.LoadRoot<ProbeMap>(cow_String("ghost")); }), problem);
    EXPECT_MENTIONS(refusal(path, [&] { db.LoadRoot<Probe>(cow_String("probes")); }),
                    "root 'probes' holds another class");
    ProbeMap map = db.LoadRoot<ProbeMap>(cow_String("probes"));
    EXPECT_MENTIONS(refusal(path, [&] { map.ConstGet(3); }), problem);
    EXPECT_EQ(map.ConstGet(4).number, 4);
    EXPECT_EQ(db.LoadRoot<Probe>(cow_String("single")).number, 7);
}

// A chain of objects that refers back into itself would be read forever, and one nested
// deeper than any stored object graph would exhaust the stack: both are refused.
TEST_F(BadInput, ObjectsReferringBackOrNestedTooDeep) {
    const std::string path = dir.File("chain.db");
    {
        ddr_Ddb db(cow_String("c"), path, Mode::Create);
        db.StoreRoot(cow_String("short"), Link::Chain(5));
        db.StoreRoot(cow_String("long"), Link::Chain(260));
    }
    ddr_Ddb db(cow_String("c"), path, Mode::ReadWrite);
    EXPECT_FALSE(db.LoadRoot<Link>(cow_String("short")).next.IsNull());
    EXPECT_MENTIONS(refusal(path, [&] { db.LoadRoot<Link>(cow_String("long")); }), "levels deep");
    // The last link of the short chain refers back to the second.
    db.Database().Sql().Execute(
        "UPDATE Link SET \"next#OID\" = (SELECT \"next#OID\" FROM Link WHERE oid = "
        "(SELECT oid FROM cls_roots WHERE name = 'short')), \"next#ClassID\" = 2130706434 "
        "WHERE \"next#OID\" IS NULL");
    EXPECT_MENTIONS(refusal(path, [&] { db.LoadRoot<Link>(cow_String("short")); }),
                    "which contains it");
}

// The reader has read the map's keys; then the file is cut. Fetching entries must fail with
// the framework's exception naming the file (SQLite reads the missing pages as zeros, or finds
// the file changed), never with SIGBUS or SIGSEGV.
TEST_F(BadInput, AFileCutUnderAnOpenReaderIsRefused) {
    for (const bool toNothing : {true, false}) {
        SCOPED_TRACE(toNothing ? "cut to nothing" : "cut to half");
        const std::string path = dir.File(toNothing ? "zero.db" : "half.db");
        fs::copy_file(sample, path);
        ddr_Ddb db(cow_String("reader"), path, Mode::ReadOnly);
        ProbeMap map = db.LoadRoot<ProbeMap>(cow_String("probes"));
        ASSERT_EQ(map.ConstGet(0).number, 0); // an entry read before the cut
        const auto size = fs::file_size(path);
        ASSERT_EQ(::truncate(path.c_str(), toNothing ? 0 : static_cast<off_t>(size / 2)), 0);

        int refused = 0;
        for (int k = 39; k > 0; --k) {
            // A page read before the cut may still be cached: not every fetch fails.
            try {
                (void)map.ConstGet(k).ids.Count();
            } catch (const nex_Exception& e) {
                ++refused;
                EXPECT_EQ(std::string(e.what()).rfind("model database '" + path + "': ", 0), 0u)
                    << e.what();
            }
        }
        EXPECT_GT(refused, 0);
        // And the database refuses what comes next the same way, down to its close.
        EXPECT_MENTIONS(refusal(path, [&] { db.LoadRoot<ProbeMap>(cow_String("probes")); }),
                        "model database '" + path + "'");
    }
}

TEST_F(BadInput, AFolderOrAFileThatIsNotWritable) {
    const std::string path = placeSample("readonly-folder", 0555, 0666);
    const std::string folder = dir.File("readonly-folder");
    const std::string notWritable = "the folder '" + folder +
                                    "' is not writable; a model database opened for writing "
                                    "keeps its journal there";
    const auto why = refusedAsNobody(path, Mode::ReadWrite, notWritable);
    if (!why)
        GTEST_SKIP() << "cannot drop to an unprivileged user to test permissions";
    EXPECT_TRUE(*why);
    // A new file there is refused the same way, and reading still works.
    EXPECT_TRUE(refusedAsNobody(folder + "/new.db", Mode::Create, notWritable).value_or(false));
    EXPECT_TRUE(refusedAsNobody(path, Mode::ReadOnly, "").value_or(false));
    ::chmod(folder.c_str(), 0755);

    const std::string file = placeSample("readonly-file", 0777, 0444);
    EXPECT_TRUE(refusedAsNobody(file, Mode::ReadWrite, "the file is not writable").value_or(false));
}

// A write cut short by a kill leaves a hot journal, which a reader must roll back before it
// may read; in a folder it cannot write, it cannot, and says so instead of "disk I/O error".
// Where it may write, even a read-only open rolls the write back and reads the last committed
// state, although pages of the write had reached the file.
TEST_F(BadInput, AHotJournalIsRolledBackByTheNextReaderWhereItMayWrite) {
    const std::string path = placeSample("hot", 0777, 0666);
    const std::uint64_t committed = readAll(path);
    // A child changes every probe and adds forty rows of a page each, more than its page cache
    // holds, so that changed pages reach the file after the journal; it is killed before the
    // commit.
    Child writer([&](const Child::Report&) {
        sqlite3* handle = nullptr;
        if (sqlite3_open_v2(path.c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
            sqlite3_exec(handle,
                         "PRAGMA cache_size = 2; BEGIN IMMEDIATE;"
                         "UPDATE \"Probe\" SET number = -5, label = 'half';"
                         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                         "WHERE i < 40) INSERT INTO cls_intlist "
                         "SELECT 1000000 + i, 0, 15000, zeroblob(60000) FROM n;",
                         nullptr, nullptr, nullptr) == SQLITE_OK)
            ::kill(::getpid(), SIGKILL);
        ::_exit(2);
    });
    ASSERT_TRUE(KilledBySignal(writer.Wait())) << "the half write failed before the kill";
    const std::string journal = path + "-journal";
    ASSERT_TRUE(fs::exists(journal));
    ASSERT_GT(fs::file_size(path), 40 * 65536u) << "no page reached the file";
    ::chmod(journal.c_str(), 0666);
    const std::string folder = dir.File("hot");
    ::chmod(folder.c_str(), 0555);
    const auto why = refusedAsNobody(
        path, Mode::ReadOnly,
        "holds a write cut short by a crash (journal '" + journal +
            "'), which must be rolled back before it can be read, and the folder '" + folder +
            "' is not writable");
    EXPECT_TRUE(why.value_or(true));
    EXPECT_TRUE(fs::exists(journal)); // left for a reader that may roll it back

    ::chmod(folder.c_str(), 0777);
    EXPECT_EQ(readAll(path), committed);
    EXPECT_FALSE(fs::exists(journal));
    if (!why)
        GTEST_SKIP() << "cannot drop to an unprivileged user to test permissions";
}
