// The stored map: entries fetched when first read and written back only when changed, copies
// sharing entries until one writes, the last copy flushing. And nothing the store reported as
// done is lost: objects handed out stay the ones later calls return, a store or flush that
// fails leaves every change to be written by a retry, a failure inside a destructor surfaces at
// the next call, two sessions with one identity prefix keep their own rows, replaced objects do
// not pile up, and a reader never mixes two writers' states.
// (A stored map read from one file and stored into another: the Python tests store a set read
// from one file, its subsets not yet fetched, into another.)
#include "Child.h"
#include "NoLeaks.h"
#include "Refusal.h"
#include "StoreWalk.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include <sys/mount.h>

namespace {

using StoreWalk::ProbeMap;
using StoreWalk::ProbeMapIter;
using StoreWalk::StoredNumbers;
using Numbers = std::map<int, int>;
using Mode = ddr_Ddb::Mode;

// A probe whose write fails while `refuse` is set: it throws, or it writes under a class id
// nobody registered, or it writes an attribute its class does not have (which fails at commit
// time, after the map has handed its objects to the store).
struct Failing : Probe {
    enum class How { Throws, UnknownClass, ExtraAttribute };
    Failing(int number, How how) : Probe(number), how(how) {}
    Failing* Copy() const override { return new Failing(*this); }
    void DBWrite(const cls_WriteVisitor& wv) const override {
        if (refuse && how == How::Throws)
            throw std::runtime_error("this probe refuses to be written");
        if (refuse && how == How::UnknownClass) {
            wv.StartWrite(0x7F0000FF, uid);
            return;
        }
        Probe::DBWrite(wv);
        const int extra = 1;
        if (refuse && how == How::ExtraAttribute)
            wv.Memento().WriteInt(cls_FieldHandle(-1, "extra"), &extra);
    }
    How how;
    bool refuse = true;
};

Probe probe(int number, int ids = 10) {
    Probe p(number, ("p" + std::to_string(number)).c_str());
    for (int i = 0; i < ids; ++i)
        p.ids.Append(number * 1000 + i);
    return p;
}

// A map of probes numbered `number(k)` for keys 0 .. n-1.
template <class F>
ProbeMap probes(int n, F number, int ids = 10) {
    ProbeMap map;
    for (int k = 0; k < n; ++k)
        map.Insert(k, probe(number(k), ids));
    return map;
}

class StoredMap : public NoLeaks {
protected:
    StoredMap() : NoLeaks(false) {}
    static void SetUpTestSuite() { StoreWalk::RegisterProbe(); }

    // A file holding a map of `n` probes (numbers 10 k) under the root "m", opened for writing.
    std::unique_ptr<ddr_Ddb> storedMap(int n, const std::string& path) {
        {
            ddr_Ddb db(cow_String("init"), path, Mode::Create);
            db.StoreRoot(cow_String("m"), probes(n, [](int k) { return k * 10; }));
        }
        return std::make_unique<ddr_Ddb>(cow_String("d"), path, Mode::ReadWrite);
    }
    std::unique_ptr<ddr_Ddb> storedMap(int n) { return storedMap(n, file); }

    // The map under "m" at `path`, read back by a fresh connection, equals `expected` entry by
    // entry, every field and identity.
    static void expectStored(const std::string& path, const ProbeMap& expected) {
        ddr_Ddb db(cow_String("check"), path, Mode::ReadOnly);
        const ProbeMap back = db.LoadRoot<ProbeMap>(cow_String("m"));
        EXPECT_EQ(back.Count(), expected.Count());
        ProbeMapIter it(expected);
        for (it.First(); !it.IsDone(); it.Next())
            EXPECT_TRUE(back.ConstGet(it.CurrentKey()) == it.CurrentValue()) << it.CurrentKey();
    }

    TempDir dir;
    std::string file = dir.File("map.db");
};

} // namespace

TEST_F(StoredMap, InsertTakesOwnershipAndCopiesShareEntriesUntilOneWrites) {
    ProbeMap map;
    map.Insert(4, Probe(2));
    const int before = LiveCounted::live;
    auto* p = new Probe(3);
    EXPECT_TRUE(map.Insert(4, p));
    EXPECT_EQ(&map.ConstGet(4), p);
    EXPECT_EQ(LiveCounted::live, before); // the replaced object went, p came

    ProbeMap copy = map;
    EXPECT_EQ(&copy.ConstGet(4), p);
    copy.Get(4).number = 9;
    EXPECT_EQ(map.ConstGet(4).number, 3);
    EXPECT_EQ(copy.Uid(), map.Uid());
}

// A flush, or the last copy of the map to go, writes only the changed entries (the fetching
// test below reads back what the last copy writes).
TEST_F(StoredMap, FlushWritesOnlyChangedEntries) {
    auto db = storedMap(50);
    const long rows = db->Database().RowsWritten();
    {
        ProbeMap map = db->LoadRoot<ProbeMap>(cow_String("m"));
        map.Flush(); // nothing changed
        EXPECT_EQ(db->Database().RowsWritten(), rows);
        map.Get(7).number = 77;
        map.Remove(8);
        (void)ProbeMap(map);                           // a copy goes
        EXPECT_EQ(db->Database().RowsWritten(), rows); // the agent lives on in `map`
    }
    // The changed object's own rows (the probe, its enum, its two lists) and its map entry.
    EXPECT_EQ(db->Database().RowsWritten() - rows, 5);
}

// Stored again unchanged, a map writes nothing; changed, it writes its changes, which another
// connection sees at once. One object under two keys is stored once.
TEST_F(StoredMap, StoringAStoredMapAgainWritesItsChangesAndSharedObjectsOnce) {
    auto db = storedMap(4);
    ProbeMap map = db->LoadRoot<ProbeMap>(cow_String("m"));
    const long rows = db->Database().RowsWritten();
    db->StoreRoot(cow_String("again"), map);
    EXPECT_EQ(db->Database().RowsWritten(), rows);
    EXPECT_EQ(db->LoadRoot<ProbeMap>(cow_String("again")).ConstGet(3).number, 30);
    map.Get(2).number = 22;
    db->StoreRoot(cow_String("m"), map);
    EXPECT_EQ(StoreWalk::StoredNumbers(file).at(2), 22); // while the map is still here

    ProbeMap twice;
    auto* shared = new Probe(5);
    twice.Insert(0, shared);
    twice.Insert(1, *shared); // a copy with the same identity
    db->StoreRoot(cow_String("twice"), twice);
    EXPECT_EQ(StoreWalk::Answer(*db, "SELECT count(*) FROM Probe WHERE number = 5"), 1);
}

TEST_F(StoredMap, AFailedFirstStoreLosesNothing) {
    ddr_Ddb db(cow_String("d"), file, Mode::Create);
    for (bool atCommit : {false, true}) {
        ProbeMap map;
        map.Insert(0, Probe(1));
        using How = Failing::How;
        map.Insert(1, new Failing(2, atCommit ? How::ExtraAttribute : How::UnknownClass));
        map.Insert(2, Probe(3));
        EXPECT_THROW(db.StoreRoot(cow_String("m"), map), nex_Exception);
        EXPECT_FALSE(map.IsStored());
        for (int k = 0; k < 3; ++k) {
            ASSERT_TRUE(map.IsLoaded(k)) << k;
            EXPECT_EQ(map.ConstGet(k).number, k + 1);
        }
        map.Insert(1, Probe(2));
        db.StoreRoot(cow_String("m"), map); // the retry stores everything
        EXPECT_TRUE(map.IsStored());
        EXPECT_FALSE(map.IsLoaded(2)); // entries now come from the store
        expectStored(file, map);
    }
}

// An entry is fetched when first read, and an entry in memory is never fetched again: later
// calls return that object, with its changes. Releasing drops only an unchanged entry. The last
// copy of the map writes every change, removals included, and leaves the other entries alone.
TEST_F(StoredMap, EntriesAreFetchedOnceAndReleasedOnlyUnchanged) {
    {
        auto db = storedMap(10);
        ProbeMap map = db->LoadRoot<ProbeMap>(cow_String("m"));
        for (int k = 0; k < 10; ++k)
            EXPECT_FALSE(map.IsLoaded(k));
        EXPECT_EQ(map.ConstGet(2).number, 20);
        EXPECT_EQ(map.ConstGet(2).number, 20);
        EXPECT_EQ(db->Database().Fetches(), 1);
        // A second writable Get returns the object of the first, with its change.
        map.Get(9).number = 99;
        EXPECT_EQ(map.Get(9).number, 99);
        // Get after ConstGet: the same object, not a copy fetched again.
        const Probe& read = map.ConstGet(5);
        EXPECT_EQ(&read, &map.Get(5));
        map.Get(5).number = 55;
        // Insert then Get: the inserted object, for a stored key and for a new one.
        map.Insert(3, probe(33));
        EXPECT_EQ(map.Get(3).number, 33);
        map.Insert(100, probe(1000));
        EXPECT_EQ(map.Get(100).number, 1000);
        EXPECT_EQ(db->Database().Fetches(), 3); // keys 2, 9 and 5, once each
        // A key the map does not hold is an error naming the key, not a shared empty slot.
        EXPECT_MENTIONS(RefusalText([&] { map.Get(12345); }), "key 12345");

        map.Release(5); // changed: kept, as the stored 55 shows below
        map.Release(2);
        EXPECT_EQ(map.ConstGet(2).number, 20); // fetched again
        EXPECT_EQ(db->Database().Fetches(), 4);

        map.Remove(8);

        ProbeMapIter it(map);
        it.First();
        ASSERT_FALSE(it.IsDone());
        EXPECT_TRUE(ProbeMapIter(it).IsDone()); // a copied iterator starts unpositioned
    }
    // Removed: 8; changed: 3, 5, 9 and 100; the others as they were.
    const Numbers expected{{0, 0},  {1, 10}, {2, 20}, {3, 33}, {4, 40},
                           {5, 55}, {6, 60}, {7, 70}, {9, 99}, {100, 1000}};
    EXPECT_EQ(StoredNumbers(file), expected);
}

// A flush that fails, refused by an entry, blocked by another connection's lock or on a full
// disk, writes nothing; once the cause is gone, the retry writes every change. The full disk is
// a small memory file system when the test may mount one (as root), else a page limit on the
// connection, which fails the same way.
TEST_F(StoredMap, AFailedFlushIsRetriedWholeOnceItsCauseIsGone) {
    const std::string small = dir.File("small"), filler = small + "/filler";
    std::filesystem::create_directory(small);
    const bool mounted = ::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=16m") == 0;
    for (const std::string cause : {"refuses", "lock", "full"}) {
        SCOPED_TRACE(cause);
        const std::string path = cause == "full" && mounted ? small + "/full.db" : dir.File(cause);
        auto db = storedMap(5, path);
        ProbeMap map = db->LoadRoot<ProbeMap>(cow_String("m"));
        map.Get(0).number = 1;
        map.Get(4).number = 41;
        map.Remove(3);
        for (int k = 5; k < 13; ++k)
            map.Insert(k, probe(k * 10, 20000)); // 80 KB of ids each
        sqlite3* reader = nullptr;
        if (cause == "refuses") {
            map.Insert(2, new Failing(2, Failing::How::Throws));
        } else if (cause == "lock") { // a read transaction's shared lock: no commit completes
            sqlite3_busy_timeout(db->Database().Sql().Handle(), 50);
            sqlite3_open_v2(path.c_str(), &reader, SQLITE_OPEN_READONLY, nullptr);
            sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM sqlite_master;", nullptr, nullptr,
                         nullptr);
        } else if (mounted) { // 200 KB left: less than the new entries and their journal need
            std::ofstream(filler) << std::string(
                std::filesystem::space(small).available - 200 * 1024, 'x');
        } else {
            const std::int64_t pages = StoreWalk::Answer(*db, "PRAGMA page_count");
            db->Database().Sql().Execute(
                ("PRAGMA max_page_count = " + std::to_string(pages + 2)).c_str());
        }
        std::string refusal = "nothing was thrown";
        try {
            map.Flush();
        } catch (const std::exception& e) {
            refusal = e.what();
        }
        EXPECT_MENTIONS(refusal, cause);
        if (cause == "refuses")
            dynamic_cast<Failing&>(map.Get(2)).refuse = false;
        sqlite3_close(reader);
        std::filesystem::remove(filler);
        db->Database().Sql().Execute("PRAGMA max_page_count = 1000000");
        EXPECT_EQ(StoredNumbers(path), (Numbers{{0, 0}, {1, 10}, {2, 20}, {3, 30}, {4, 40}}));
        map.Flush();
        expectStored(path, map);
    }
    if (mounted)
        ::umount2(small.c_str(), MNT_DETACH);
}

TEST_F(StoredMap, AFailureInTheLastCopysDestructorSurfacesAtTheNextCall) {
    auto db = storedMap(5);
    {
        ProbeMap map = db->LoadRoot<ProbeMap>(cow_String("m"));
        map.Insert(3, new Failing(3, Failing::How::Throws));
    } // the last copy goes; its flush fails
    const std::string lost = RefusalText([&] { db->LoadRoot<ProbeMap>(cow_String("m")); });
    EXPECT_MENTIONS(lost, file);
    EXPECT_MENTIONS(lost, "keys 3");
    EXPECT_NO_THROW(db->LoadRoot<ProbeMap>(cow_String("m"))); // reported once
}

// Two sessions whose identities share their prefix (forged here: the child stores objects
// under the identities its parent allocates next) write into one file: each keeps its rows.
TEST_F(StoredMap, SessionsSharingAnIdentityPrefixKeepTheirOwnRows) {
    storedMap(1).reset();
    const std::uint64_t next = cls_Uid::AllocateUid().Value() + 1;
    Child session([&](const Child::Report&) {
        ddr_Ddb db(cow_String("other"), file, Mode::ReadWrite);
        ProbeMap other;
        for (int k = 0; k < 5; ++k) {
            Probe p = probe(-k, 1);
            p.uid = cls_Uid(next + k);
            other.Insert(k, p);
        }
        db.StoreRoot(cow_String("other"), other);
    });
    ASSERT_TRUE(ExitedCleanly(session.Wait()));
    {
        ddr_Ddb db(cow_String("d"), file, Mode::ReadWrite);
        const ProbeMap other = db.LoadRoot<ProbeMap>(cow_String("other"));
        EXPECT_EQ(other.ConstGet(0).number, 0); // read, as the parent's own objects come next
        db.StoreRoot(cow_String("mine"), probes(5, [](int k) { return 100 + k; }));
    }
    ddr_Ddb db(cow_String("c"), file, Mode::ReadOnly);
    const ProbeMap other = db.LoadRoot<ProbeMap>(cow_String("other"));
    const ProbeMap mine = db.LoadRoot<ProbeMap>(cow_String("mine"));
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(other.ConstGet(k).number, -k) << k;
        EXPECT_EQ(other.ConstGet(k).ids.Count(), 1) << k;
        EXPECT_EQ(mine.ConstGet(k).number, 100 + k) << k;
        EXPECT_NE(other.ConstGet(k).uid, mine.ConstGet(k).uid) << k;
    }
}

TEST_F(StoredMap, ReplacingObjectsOverAndOverKeepsTheFileBounded) {
    ddr_Ddb db(cow_String("d"), file, Mode::Create);
    const auto storeGeneration = [&](int g) {
        db.StoreRoot(cow_String("m"), probes(
                                          12, [g](int k) { return g * 100 + k; }, 5000));
    };
    storeGeneration(0);
    const auto first = std::filesystem::file_size(file);
    for (int g = 1; g <= 40; ++g)
        storeGeneration(g);
    const auto last = std::filesystem::file_size(file);
    EXPECT_LE(last, 2 * first);
    EXPECT_GT(db.Database().Sweeps(), 0);
    EXPECT_EQ(db.LoadRoot<ProbeMap>(cow_String("m")).ConstGet(11).number, 4011);
    // Live rows, and at most as many not yet swept.
    EXPECT_LE(StoreWalk::Answer(db, "SELECT count(*) FROM \"Probe\""), 2 * 12);

    // Most of the model dropped: a compaction gives its pages back.
    db.StoreRoot(cow_String("m"), probes(1, [](int) { return 1; }));
    EXPECT_GT(db.Database().UnreachableRows(), 0);
    db.Compact();
    EXPECT_EQ(db.Database().UnreachableRows(), 0);
    EXPECT_LT(std::filesystem::file_size(file), last);
    EXPECT_LE(std::filesystem::file_size(file), first); // an empty model takes a page a table
    EXPECT_EQ(db.LoadRoot<ProbeMap>(cow_String("m")).ConstGet(0).number, 1);
}

// A reader that read the keys of a map, then faces another connection's commit: it either
// reads what was committed when it opened, or refuses, but never mixes the two.
TEST_F(StoredMap, AReaderFacingAWriterNeverMixesTwoStates) {
    storedMap(10).reset();
    ddr_Ddb reader(cow_String("r"), file, Mode::ReadOnly);
    const ProbeMap seen = reader.LoadRoot<ProbeMap>(cow_String("m"));
    EXPECT_EQ(seen.ConstGet(1).number, 10);
    {
        ddr_Ddb writer(cow_String("w"), file, Mode::ReadWrite);
        ProbeMap map = writer.LoadRoot<ProbeMap>(cow_String("m"));
        for (int k = 0; k < 10; ++k)
            map.Get(k).number = -1;
        map.Flush();
    }
    EXPECT_EQ(seen.ConstGet(1).number, 10); // in memory already
    EXPECT_MENTIONS(RefusalText([&] { (void)seen.ConstGet(2).number; }),
                    "changed by another writer");
}
