// A writer process killed at random moments, again and again, on one file: after every kill the
// file opens, every root holds exactly what one committed write put there, and nothing that
// was committed is lost or goes backwards.
//
// Each generation g of the writer is three transactions, in this order: a flush of the stored
// map "probes" (every entry rewritten for g, one key dropped and one added), every fourth
// generation a new map stored whole as "snapshot", and the probe "generation" stored again.
// Every stored value derives from the generation and the key, so a half-written entry or a
// mix of two generations shows.
#include "Child.h"
#include "StoreWalk.h"
#include "TempDir.h"
#include "ddr_Ddb.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

namespace {

using StoreWalk::ProbeMap;

constexpr int kBaseKeys = 12;
constexpr int kSnapshotEvery = 4;
constexpr int kSnapshotKeys = 4;
constexpr int kKills = 50;

int churnKey(int g) {
    return 100 + g % 3;
}

// The content of entry `key` at generation g. The probe keeps its identity, so its rows are
// overwritten rather than added.
Probe& fillEntry(Probe& p, int g, int key) {
    static const res_SetTypeEnm kinds[] = {res_SetTypeEnm::NODE_SET, res_SetTypeEnm::ELEMENT_SET,
                                           res_SetTypeEnm::SURFACE_EDGE};
    p.number = g * 1000 + key;
    p.label = cow_String("g" + std::to_string(g) + "/k" + std::to_string(key));
    p.flag = (g + key) % 2 == 0;
    p.kind.SetValue(kinds[(g + key) % 3]);
    p.ids.ClearAll();
    for (int i = 0; i < 50 + (g * 13 + key * 7) % 400; ++i)
        p.ids.Append(g * 7919 + key * 31 + i);
    p.names.Clear();
    p.names.Append(cow_String("g" + std::to_string(g)));
    p.names.Append(cow_String("k" + std::to_string(key)));
    return p;
}

Probe entry(int g, int key) {
    Probe p;
    return fillEntry(p, g, key);
}

// The generation the entry was written at; -1 when its fields do not agree on one.
int generationOf(const Probe& p, int key) {
    if (p.number < 0 || p.number % 1000 != key)
        return -1;
    const Probe expected = entry(p.number / 1000, key);
    const bool same = p.label == expected.label && p.flag == expected.flag &&
                      p.kind.GetValue() == expected.kind.GetValue() &&
                      p.ids.IsEqual(expected.ids) && p.names.IsEqual(expected.names);
    return same ? p.number / 1000 : -1;
}

// The one generation every entry of the stored map was written at, with the keys of that
// generation; -1 (and a test failure) otherwise.
int mapGeneration(ddr_Ddb& db, const char* name, int baseKeys, bool churns) {
    const ProbeMap map = db.LoadRoot<ProbeMap>(cow_String(name));
    const int g = generationOf(map.ConstGet(0), 0);
    bool whole = g >= 0 && map.Count() == baseKeys + (churns ? 1 : 0);
    for (int k = 0; whole && k < baseKeys; ++k)
        whole = map.IsMember(k) && generationOf(map.ConstGet(k), k) == g;
    if (whole && churns)
        whole =
            map.IsMember(churnKey(g)) && generationOf(map.ConstGet(churnKey(g)), churnKey(g)) == g;
    if (whole)
        return g;
    ADD_FAILURE() << "map '" << name << "' is not one generation (entry 0 says " << g << ", "
                  << map.Count() << " entries)";
    return -1;
}

struct Observed {
    int root = 0;     // generation of the root "generation"
    int map = 0;      // generation of every entry of "probes"
    int snapshot = 0; // generation of the map last stored whole
};

Observed verify(const std::string& path) {
    ddr_Ddb db(cow_String("check"), path, ddr_Ddb::Mode::ReadOnly);
    Observed o;
    o.root = generationOf(db.LoadRoot<Probe>(cow_String("generation")), 0);
    EXPECT_GE(o.root, 0) << "the root 'generation' mixes generations";
    o.map = mapGeneration(db, "probes", kBaseKeys, true);
    o.snapshot = mapGeneration(db, "snapshot", kSnapshotKeys, false);
    return o;
}

void storeSnapshot(ddr_Ddb& db, int g) {
    ProbeMap snapshot;
    for (int k = 0; k < kSnapshotKeys; ++k)
        snapshot.Insert(k, entry(g, k));
    db.StoreRoot(cow_String("snapshot"), snapshot);
}

void createGenerationZero(const std::string& path) {
    ddr_Ddb db(cow_String("init"), path, ddr_Ddb::Mode::Create);
    ProbeMap map;
    for (int k = 0; k < kBaseKeys; ++k)
        map.Insert(k, entry(0, k));
    map.Insert(churnKey(0), entry(0, churnKey(0)));
    db.StoreRoot(cow_String("probes"), map);
    storeSnapshot(db, 0);
    db.StoreRoot(cow_String("generation"), entry(0, 0));
}

// The writer: generations from `first` on, reporting each one whose last transaction
// committed, until it is killed (or its parent is gone).
void writeGenerations(const std::string& path, int first, pid_t parent,
                      const Child::Report& report) {
    ddr_Ddb db(cow_String("writer"), path, ddr_Ddb::Mode::ReadWrite);
    ProbeMap map = db.LoadRoot<ProbeMap>(cow_String("probes"));
    Probe generation = db.LoadRoot<Probe>(cow_String("generation"));
    report(kWriterReady);
    for (int g = first; ::getppid() == parent; ++g) {
        for (int k = 0; k < kBaseKeys; ++k)
            fillEntry(map.Get(k), g, k);
        map.Remove(churnKey(g - 1));
        map.Insert(churnKey(g), entry(g, churnKey(g)));
        map.Flush();
        if (g % kSnapshotEvery == 0)
            storeSnapshot(db, g);
        db.StoreRoot(cow_String("generation"), fillEntry(generation, g, 0));
        report(g);
    }
}

} // namespace

TEST(CrashConsistency, KilledWritersLeaveLastCommittedState) {
    StoreWalk::RegisterProbe();
    TempDir dir;
    const std::string path = dir.File("killed.db");
    createGenerationZero(path);
    Observed before = verify(path);
    const pid_t parent = ::getpid();
    const int killsInTransaction = KillWritersAtRandom(
        path, kKills, 424242,
        // A generation whose flush made it is simply redone.
        [&](const Child::Report& report) {
            writeGenerations(path, before.root + 1, parent, report);
        },
        [&](const std::vector<std::int64_t>& reports) {
            const std::int64_t acked = reports.empty() ? before.root : reports.back();
            const Observed now = verify(path);
            // Every generation the writer saw committed is there; at most the one in flight more.
            EXPECT_GE(now.root, acked);
            EXPECT_LE(now.root, acked + 1);
            EXPECT_GE(now.root, before.root);
            // The map is flushed before the root is stored: equal, or one ahead.
            EXPECT_TRUE(now.map == now.root || now.map == now.root + 1)
                << "map " << now.map << ", root " << now.root;
            // The last snapshot is that of the last multiple of four, or of the generation in
            // flight when its snapshot committed but its root did not.
            const int lastSnapshot = now.root / kSnapshotEvery * kSnapshotEvery;
            EXPECT_TRUE(now.snapshot == lastSnapshot ||
                        (now.snapshot == now.root + 1 && now.snapshot % kSnapshotEvery == 0 &&
                         now.map == now.root + 1))
                << "snapshot " << now.snapshot << ", root " << now.root;
            before = now;
        });
    // The kills did land inside writes, and the writers got work done between them.
    EXPECT_GT(killsInTransaction, 0);
    EXPECT_GT(before.root, kKills / 4);
    std::printf("crash consistency: %d kills, %d inside a transaction, %d generations\n", kKills,
                killsInTransaction, before.root);
}

// Writers forked from one process (as above) must not hand out the identities their parent
// would hand out next, or their objects would overwrite each other's rows.
TEST(CrashConsistency, ForkedWritersDrawIdentitiesOfTheirOwn) {
    cls_Uid::AllocateUid(); // the parent's session is under way before the forks
    std::int64_t drawn[2] = {0, 0};
    for (std::int64_t& uid : drawn) {
        Child child([](const Child::Report& report) { report(cls_Uid::AllocateUid().Value()); });
        ASSERT_TRUE(child.Receive(uid));
        ASSERT_TRUE(ExitedCleanly(child.Wait()));
    }
    const std::int64_t parentNext = cls_Uid::AllocateUid().Value();
    EXPECT_EQ(std::set<std::int64_t>({drawn[0], drawn[1], parentNext}).size(), 3u);
}
