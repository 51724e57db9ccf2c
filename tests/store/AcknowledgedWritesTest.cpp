// Nothing the store reported as done is lost: objects handed out by a stored map stay the ones
// later calls return, a write that fails leaves every change to be written by a retry, a
// stored map stored again takes its changes along, a failure inside a destructor surfaces at
// the next call, two sessions with one identity prefix keep their own rows, replaced objects do
// not pile up, and a reader never mixes two writers' states.
#include "Child.h"
#include "Refusal.h"
#include "StoreWalk.h"
#include "TempDir.h"
#include "cls_SqliteStatement.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/mount.h>

namespace {

using StoreWalk::ProbeMap;

// A probe that refuses to be written while `refuse` is set.
struct Refusing : Probe {
    using Probe::Probe;
    Refusing* Copy() const override { return new Refusing(*this); }
    void DBWrite(const cls_WriteVisitor& wv) const override {
        if (refuse)
            throw std::runtime_error("this probe refuses to be written");
        Probe::DBWrite(wv);
    }
    bool refuse = true;
};

Probe probe(int number, int ids = 10) {
    Probe p(number, ("p" + std::to_string(number)).c_str());
    for (int i = 0; i < ids; ++i)
        p.ids.Append(number * 1000 + i);
    return p;
}

class AcknowledgedWrites : public ::testing::Test {
protected:
    static void SetUpTestSuite() { StoreWalk::RegisterProbe(); }

    // A file holding a map of `n` probes (numbers 10 k) under the root "m".
    void storeMap(const std::string& path, int n) {
        ddr_Ddb db(cow_String("init"), path, ddr_Ddb::Mode::Create);
        ProbeMap map;
        for (int k = 0; k < n; ++k)
            map.Insert(k, probe(k * 10));
        db.StoreRoot(cow_String("m"), map);
    }

    // The numbers stored under keys 0 .. n-1 of the map "m", read by a fresh connection.
    std::vector<int> storedNumbers(const std::string& path) {
        ddr_Ddb db(cow_String("check"), path, ddr_Ddb::Mode::ReadOnly);
        const ProbeMap map = db.LoadRoot<ProbeMap>(cow_String("m"));
        std::vector<int> numbers;
        for (int k = 0; map.IsMember(k); ++k)
            numbers.push_back(map.ConstGet(k).number);
        return numbers;
    }

    TempDir dir;
    std::string file = dir.File("acked.db");
};

} // namespace

TEST_F(AcknowledgedWrites, AnEntryInMemoryIsNeverFetchedAgain) {
    storeMap(file, 10);
    {
        ddr_Ddb db(cow_String("d"), file, ddr_Ddb::Mode::ReadWrite);
        ProbeMap map = db.LoadRoot<ProbeMap>(cow_String("m"));

        // A second writable Get returns the object of the first, with its change.
        map.Get(9).number = 99;
        EXPECT_EQ(map.Get(9).number, 99);
        // Get after ConstGet: the same object, not a copy fetched again.
        const Probe& read = map.ConstGet(5);
        Probe& written = map.Get(5);
        EXPECT_EQ(&read, &written);
        written.number = 55;
        // Insert then Get: the inserted object, for a stored key and for a new one.
        map.Insert(3, probe(33));
        EXPECT_EQ(map.Get(3).number, 33);
        map.Insert(100, probe(1000));
        EXPECT_EQ(map.Get(100).number, 1000);
        EXPECT_EQ(db.Database().Fetches(), 2); // keys 9 and 5, once each

        // A key the map does not hold is an error naming the key, not a shared empty slot.
        EXPECT_MENTIONS(RefusalText([&] { map.Get(12345); }), "key 12345");
        map.Flush();
    }
    const std::vector<int> numbers = storedNumbers(file);
    EXPECT_EQ(numbers[9], 99);
    EXPECT_EQ(numbers[5], 55);
    EXPECT_EQ(numbers[3], 33);
}

TEST_F(AcknowledgedWrites, AFlushRefusedByAnEntryIsRetriedWhole) {
    storeMap(file, 5);
    ddr_Ddb db(cow_String("d"), file, ddr_Ddb::Mode::ReadWrite);
    ProbeMap map = db.LoadRoot<ProbeMap>(cow_String("m"));
    map.Get(0).number = 1;
    map.Insert(2, new Refusing(2));
    map.Get(4).number = 41;
    map.Remove(3);
    EXPECT_THROW(map.Flush(), std::runtime_error);
    EXPECT_EQ(storedNumbers(file), (std::vector<int>{0, 10, 20, 30, 40})); // nothing written

    dynamic_cast<Refusing&>(map.Get(2)).refuse = false;
    map.Flush(); // the retry stores every change, the first entry's included
    ddr_Ddb check(cow_String("c"), file, ddr_Ddb::Mode::ReadOnly);
    const ProbeMap back = check.LoadRoot<ProbeMap>(cow_String("m"));
    EXPECT_EQ(back.ConstGet(0).number, 1);
    EXPECT_EQ(back.ConstGet(2).number, 2);
    EXPECT_EQ(back.ConstGet(4).number, 41);
    EXPECT_FALSE(back.IsMember(3));
}

TEST_F(AcknowledgedWrites, AFlushBlockedByAnotherConnectionsLockIsRetriedWhole) {
    storeMap(file, 5);
    ddr_Ddb db(cow_String("d"), file, ddr_Ddb::Mode::ReadWrite);
    sqlite3_busy_timeout(db.Database().Sql().Handle(), 50);
    ProbeMap map = db.LoadRoot<ProbeMap>(cow_String("m"));
    map.Get(1).number = 11;
    map.Get(2).number = 22;

    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open_v2(file.c_str(), &reader, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM sqlite_master;", nullptr, nullptr,
                           nullptr),
              SQLITE_OK); // holds a shared lock: no commit can complete
    EXPECT_MENTIONS(RefusalText([&] { map.Flush(); }), "lock");
    sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(reader);

    map.Flush();
    EXPECT_EQ(storedNumbers(file), (std::vector<int>{0, 11, 22, 30, 40}));
}

// A full disk: a small memory file system when the test may mount one (as root), else a page
// limit on the connection, which fails the same way.
TEST_F(AcknowledgedWrites, AFlushOnAFullDiskIsRetriedWholeOnceThereIsRoom) {
    const std::string mountPoint = dir.File("small");
    std::filesystem::create_directory(mountPoint);
    const bool mounted = ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=16m") == 0;
    const std::string path = mounted ? mountPoint + "/full.db" : file;
    const std::string filler = mountPoint + "/filler";
    {
        storeMap(path, 4);
        ddr_Ddb db(cow_String("d"), path, ddr_Ddb::Mode::ReadWrite);
        ProbeMap map = db.LoadRoot<ProbeMap>(cow_String("m"));
        map.Get(0).number = 7;
        for (int k = 4; k < 12; ++k)
            map.Insert(k, probe(k * 10, 20000)); // 80 KB of ids each
        if (mounted) {
            // Leave 200 KB: less than the new entries and their journal need.
            const auto room = std::filesystem::space(mountPoint).available;
            std::ofstream(filler) << std::string(room - 200 * 1024, 'x');
        } else {
            cls_SqliteStatement& pages = db.Database().Sql().Cached("PRAGMA page_count");
            ASSERT_TRUE(pages.Step());
            const std::string limit = "PRAGMA max_page_count = " + std::to_string(pages.Int(0) + 2);
            pages.Reset();
            db.Database().Sql().Execute(limit.c_str());
        }
        EXPECT_MENTIONS(RefusalText([&] { map.Flush(); }), "full");
        if (mounted)
            std::filesystem::remove(filler);
        else
            db.Database().Sql().Execute("PRAGMA max_page_count = 1000000");
        map.Flush();
    }
    {
        ddr_Ddb check(cow_String("c"), path, ddr_Ddb::Mode::ReadOnly);
        const ProbeMap back = check.LoadRoot<ProbeMap>(cow_String("m"));
        EXPECT_EQ(back.Count(), 12);
        EXPECT_EQ(back.ConstGet(0).number, 7);
        EXPECT_EQ(back.ConstGet(11).ids.Count(), 20000);
    }
    if (mounted)
        ::umount2(mountPoint.c_str(), MNT_DETACH);
}

TEST_F(AcknowledgedWrites, StoringAStoredMapAgainStoresItsChanges) {
    storeMap(file, 5);
    {
        ddr_Ddb db(cow_String("d"), file, ddr_Ddb::Mode::ReadWrite);
        ProbeMap map = db.LoadRoot<ProbeMap>(cow_String("m"));
        map.Get(4).number = 44;
        db.StoreRoot(cow_String("m"), map);
        ddr_Ddb check(cow_String("c"), file, ddr_Ddb::Mode::ReadOnly); // before the map goes
        EXPECT_EQ(check.LoadRoot<ProbeMap>(cow_String("m")).ConstGet(4).number, 44);
    }
}

TEST_F(AcknowledgedWrites, AFailureInTheLastCopysDestructorSurfacesAtTheNextCall) {
    storeMap(file, 5);
    ddr_Ddb db(cow_String("d"), file, ddr_Ddb::Mode::ReadWrite);
    {
        ProbeMap map = db.LoadRoot<ProbeMap>(cow_String("m"));
        map.Insert(3, new Refusing(3));
    } // the last copy goes; its flush fails
    const std::string lost = RefusalText([&] { db.LoadRoot<ProbeMap>(cow_String("m")); });
    EXPECT_MENTIONS(lost, file);
    EXPECT_MENTIONS(lost, "keys 3");
    EXPECT_NO_THROW(db.LoadRoot<ProbeMap>(cow_String("m"))); // reported once
}

// Two sessions whose identities share their prefix (forged here: the child stores objects
// under the identities its parent allocates next) write into one file: each keeps its rows.
TEST_F(AcknowledgedWrites, SessionsSharingAnIdentityPrefixKeepTheirOwnRows) {
    storeMap(file, 1);
    const std::uint64_t next = cls_Uid::AllocateUid().Value() + 1;
    Child session([&](const Child::Report&) {
        ddr_Ddb db(cow_String("other"), file, ddr_Ddb::Mode::ReadWrite);
        ProbeMap other;
        for (int k = 0; k < 5; ++k) {
            Probe p = probe(-k);
            p.uid = cls_Uid(next + k);
            p.ids.ClearAll();
            p.ids.Append(-k);
            other.Insert(k, p);
        }
        db.StoreRoot(cow_String("other"), other);
    });
    ASSERT_TRUE(ExitedCleanly(session.Wait()));

    {
        ddr_Ddb db(cow_String("d"), file, ddr_Ddb::Mode::ReadWrite);
        const ProbeMap other = db.LoadRoot<ProbeMap>(cow_String("other"));
        EXPECT_EQ(other.ConstGet(0).number, 0); // read, as the parent's own objects come next
        ProbeMap mine;
        for (int k = 0; k < 5; ++k)
            mine.Insert(k, probe(100 + k));
        db.StoreRoot(cow_String("mine"), mine);
    }
    ddr_Ddb db(cow_String("c"), file, ddr_Ddb::Mode::ReadOnly);
    const ProbeMap other = db.LoadRoot<ProbeMap>(cow_String("other"));
    const ProbeMap mine = db.LoadRoot<ProbeMap>(cow_String("mine"));
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(other.ConstGet(k).number, -k) << k;
        EXPECT_EQ(other.ConstGet(k).ids.Count(), 1) << k;
        EXPECT_EQ(mine.ConstGet(k).number, 100 + k) << k;
        EXPECT_NE(other.ConstGet(k).uid, mine.ConstGet(k).uid) << k;
    }
}

TEST_F(AcknowledgedWrites, ReplacingObjectsOverAndOverKeepsTheFileBounded) {
    auto storeGeneration = [&](ddr_Ddb& db, int g) {
        ProbeMap map;
        for (int k = 0; k < 12; ++k)
            map.Insert(k, probe(g * 100 + k, 5000));
        db.StoreRoot(cow_String("m"), map);
    };
    ddr_Ddb db(cow_String("d"), file, ddr_Ddb::Mode::Create);
    storeGeneration(db, 0);
    const auto first = std::filesystem::file_size(file);
    for (int g = 1; g <= 40; ++g)
        storeGeneration(db, g);
    const auto last = std::filesystem::file_size(file);
    EXPECT_LE(last, 2 * first);
    EXPECT_GT(db.Database().Sweeps(), 0);
    std::printf("replaced 40 times: %ju bytes after the first store, %ju after the last, %ld sweeps\n",
                static_cast<std::uintmax_t>(first), static_cast<std::uintmax_t>(last),
                db.Database().Sweeps());
    const ProbeMap back = db.LoadRoot<ProbeMap>(cow_String("m"));
    EXPECT_EQ(back.ConstGet(11).number, 4011);
    cls_SqliteStatement& rows = db.Database().Sql().Cached("SELECT count(*) FROM \"Probe\"");
    ASSERT_TRUE(rows.Step());
    EXPECT_LE(rows.Int(0), 2 * 12); // live rows, and at most as many not yet swept
    rows.Reset();

    // Most of the model dropped: a compaction gives its pages back.
    ProbeMap small;
    small.Insert(0, probe(1));
    db.StoreRoot(cow_String("m"), small);
    EXPECT_GT(db.Database().UnreachableRows(), 0);
    db.Compact();
    EXPECT_EQ(db.Database().UnreachableRows(), 0);
    EXPECT_LT(std::filesystem::file_size(file), last);
    EXPECT_LE(std::filesystem::file_size(file), first); // an empty model takes a page a table
    EXPECT_EQ(db.LoadRoot<ProbeMap>(cow_String("m")).ConstGet(0).number, 1);
}

// A reader that read the keys of a map, then faces another connection's commit: it either
// reads what was committed when it opened, or refuses, but never mixes the two.
TEST_F(AcknowledgedWrites, AReaderFacingAWriterNeverMixesTwoStates) {
    storeMap(file, 10);
    ddr_Ddb reader(cow_String("r"), file, ddr_Ddb::Mode::ReadOnly);
    const ProbeMap seen = reader.LoadRoot<ProbeMap>(cow_String("m"));
    EXPECT_EQ(seen.ConstGet(1).number, 10);
    {
        ddr_Ddb writer(cow_String("w"), file, ddr_Ddb::Mode::ReadWrite);
        ProbeMap map = writer.LoadRoot<ProbeMap>(cow_String("m"));
        for (int k = 0; k < 10; ++k)
            map.Get(k).number = -1;
        map.Flush();
    }
    EXPECT_EQ(seen.ConstGet(1).number, 10); // in memory already
    EXPECT_MENTIONS(RefusalText([&] { (void)seen.ConstGet(2).number; }),
                    "changed by another writer");
    // A new open reads the new state.
    EXPECT_EQ(storedNumbers(file)[2], -1);
}
