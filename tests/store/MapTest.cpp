#include "NoLeaks.h"
#include "Probe.h"
#include "TempDir.h"
#include "cls_Map2ObjDefs.h"
#include "cls_Map2ObjIter.h"
#include "cls_SqliteStatement.h"
#include "ddr_Ddb.h"
#include "nex_Exception.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using ProbeMap = cls_Map2Obj<int, Probe, cow_ArrayCOW<Probe, cow_Virtual<Probe>>>;
using ProbeMapIter = cls_Map2ObjIter<int, Probe, cow_ArrayCOW<Probe, cow_Virtual<Probe>>>;

// A probe of a class that was never registered: storing it fails while the map is written.
struct Stranger : Probe {
    using Probe::Probe;
    Stranger* Copy() const override { return new Stranger(*this); }
    void DBWrite(const cls_WriteVisitor& wv) const override { wv.StartWrite(0x7F0000FF, uid); }
};

// A probe that writes an attribute its class does not have: the write fails at commit time,
// after the map has handed its objects to the store.
struct Sloppy : Probe {
    using Probe::Probe;
    Sloppy* Copy() const override { return new Sloppy(*this); }
    void DBWrite(const cls_WriteVisitor& wv) const override {
        Probe::DBWrite(wv);
        const int x = 1;
        wv.Memento().WriteInt(cls_FieldHandle(-1, "extra"), &x);
    }
};

class StoredMap : public NoLeaks {
protected:
    StoredMap() : NoLeaks(false) {}
    static void SetUpTestSuite() { Probe::Register(); }

    // A database holding a map of `n` probes under the root "m", reopened read-write.
    std::unique_ptr<ddr_Ddb> storedMap(int n) {
        {
            ddr_Ddb db(cow_String("d"), file, ddr_Ddb::Mode::Create);
            ProbeMap map;
            for (int k = 0; k < n; ++k)
                map.Insert(k, Probe(k * 10, "p"));
            db.StoreRoot(cow_String("m"), map);
        }
        return std::make_unique<ddr_Ddb>(cow_String("d"), file, ddr_Ddb::Mode::ReadWrite);
    }

    TempDir dir;
    std::string file = dir.File("map.db");
};

} // namespace

TEST_F(StoredMap, InsertReplacesAndTakesOwnership) {
    ProbeMap map;
    EXPECT_TRUE(map.Insert(4, Probe(1)));
    EXPECT_TRUE(map.Insert(4, Probe(2)));
    EXPECT_EQ(map.Count(), 1);
    EXPECT_EQ(map.ConstGet(4).number, 2);

    const int before = LiveCounted::live;
    auto* p = new Probe(3);
    EXPECT_TRUE(map.Insert(4, p));
    EXPECT_EQ(&map.ConstGet(4), p);
    EXPECT_EQ(LiveCounted::live, before); // the old object went, p came

    // Copies share entries until one writes.
    ProbeMap copy = map;
    EXPECT_EQ(&copy.ConstGet(4), p);
    copy.Get(4).number = 9;
    EXPECT_EQ(map.ConstGet(4).number, 3);
    EXPECT_EQ(copy.Uid(), map.Uid());
}

TEST_F(StoredMap, ReadingFetchesLazilyAndReleaseDropsOnlyUnchangedEntries) {
    auto db = storedMap(5);
    ProbeMap map = db->LoadRoot<ProbeMap>(cow_String("m"));
    EXPECT_EQ(map.Count(), 5);
    for (int k = 0; k < 5; ++k)
        EXPECT_FALSE(map.IsLoaded(k));
    EXPECT_EQ(map.ConstGet(2).number, 20);
    EXPECT_EQ(map.ConstGet(2).number, 20);
    EXPECT_EQ(db->Database().Fetches(), 1);

    map.Get(3).number = 33; // marks 3 changed
    map.Release(3);
    EXPECT_TRUE(map.IsLoaded(3));
    map.Release(2);
    EXPECT_FALSE(map.IsLoaded(2));
    EXPECT_EQ(map.ConstGet(2).number, 20); // fetched again
    EXPECT_EQ(db->Database().Fetches(), 3);

    ProbeMapIter it(map);
    it.First();
    it.Next();
    ProbeMapIter copy(it);
    EXPECT_TRUE(copy.IsDone()); // a copied iterator starts unpositioned
    EXPECT_EQ(it.CurrentKey(), 1);
    EXPECT_EQ(it.CurrentValue().number, 10);
}

TEST_F(StoredMap, FlushWritesOnlyChangedEntriesAndDropsRemovedKeys) {
    auto db = storedMap(50);
    {
        ProbeMap map = db->LoadRoot<ProbeMap>(cow_String("m"));
        const long rows = db->Database().RowsWritten();
        map.Flush(); // nothing changed
        EXPECT_EQ(db->Database().RowsWritten(), rows);

        map.Get(7).number = 77;
        map.Remove(8);
        map.Flush();
        // The changed object's own rows (the probe, its enum, its two lists) and its map entry.
        EXPECT_EQ(db->Database().RowsWritten() - rows, 5);
    }
    ProbeMap again = db->LoadRoot<ProbeMap>(cow_String("m"));
    EXPECT_EQ(again.Count(), 49);
    EXPECT_FALSE(again.IsMember(8));
    EXPECT_EQ(again.ConstGet(7).number, 77);
    EXPECT_EQ(again.ConstGet(9).number, 90);
}

TEST_F(StoredMap, TheLastCopyToGoFlushes) {
    auto db = storedMap(3);
    auto first = std::make_unique<ProbeMap>(db->LoadRoot<ProbeMap>(cow_String("m")));
    first->Get(1).number = 11;
    auto second = std::make_unique<ProbeMap>(*first);
    const long rows = db->Database().RowsWritten();
    second.reset();
    EXPECT_EQ(db->Database().RowsWritten(), rows); // the agent lives on in `first`
    first.reset();
    EXPECT_GT(db->Database().RowsWritten(), rows);
    EXPECT_EQ(db->LoadRoot<ProbeMap>(cow_String("m")).ConstGet(1).number, 11);
}

TEST_F(StoredMap, StoringAStoredMapAgainWritesNoEntriesAndSharedObjectsOnce) {
    auto db = storedMap(4);
    ProbeMap map = db->LoadRoot<ProbeMap>(cow_String("m"));
    const long rows = db->Database().RowsWritten();
    db->StoreRoot(cow_String("again"), map);
    EXPECT_EQ(db->Database().RowsWritten(), rows);
    EXPECT_EQ(db->LoadRoot<ProbeMap>(cow_String("again")).ConstGet(3).number, 30);

    // One object under two keys is stored once; both entries refer to its row.
    ProbeMap twice;
    auto* shared = new Probe(5);
    twice.Insert(0, shared);
    twice.Insert(1, *shared); // a copy with the same identity
    db->StoreRoot(cow_String("twice"), twice);
    cls_SqliteStatement& count =
        db->Database().Sql().Cached("SELECT count(*) FROM Probe WHERE number = 5");
    ASSERT_TRUE(count.Step());
    EXPECT_EQ(count.Int(0), 1);
    count.Reset();
}

TEST_F(StoredMap, AFailedFirstStoreLosesNothing) {
    ddr_Ddb db(cow_String("d"), file, ddr_Ddb::Mode::Create);
    for (bool atCommit : {false, true}) {
        ProbeMap map;
        map.Insert(0, Probe(1));
        if (atCommit)
            map.Insert(1, new Sloppy(2));
        else
            map.Insert(1, new Stranger(2));
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
        EXPECT_EQ(map.ConstGet(2).number, 3);
        EXPECT_EQ(db.LoadRoot<ProbeMap>(cow_String("m")).ConstGet(2).number, 3);
    }
}

TEST_F(StoredMap, StoringAStoredMapIntoAnotherDatabaseStoresEveryEntryThere) {
    auto first = storedMap(6);
    ProbeMap map = first->LoadRoot<ProbeMap>(cow_String("m"));
    map.ConstGet(2); // one entry loaded, the others still in the first file
    const std::string other = dir.File("other.db");
    {
        ddr_Ddb second(cow_String("e"), other, ddr_Ddb::Mode::Create);
        second.StoreRoot(cow_String("m"), map);
    }
    ddr_Ddb second(cow_String("e"), other, ddr_Ddb::Mode::ReadOnly);
    const ProbeMap copy = second.LoadRoot<ProbeMap>(cow_String("m"));
    ASSERT_EQ(copy.Count(), 6);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(copy.ConstGet(k).number, k * 10);
}
