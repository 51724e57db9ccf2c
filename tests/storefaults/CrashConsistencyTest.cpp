// A writer process killed at random moments, again and again, on one file: after every kill the
// file opens, every root holds exactly what one committed write put there, and nothing that
// was committed is lost or goes backwards.
//
// Each generation g of the writer is four transactions, in this order: a flush of the stored
// map "probes" (every entry rewritten for g, one key dropped and one added); a flush of the set
// list "sets", whose changes lie in the subset maps nested in its sets; every fourth generation
// a new map stored whole as "snapshot"; and the probe "generation" stored again. Every stored
// value derives from the generation and the key, so a half-written entry or a mix of two
// generations shows. Replaced sets and snapshots leave rows behind for sweeps, which kills hit
// too.
#include "Child.h"
#include "ModuleStart.h"
#include "ModuleWalk.h"
#include "StoreWalk.h"
#include "TempDir.h"
#include "ddr_Ddb.h"
#include "rgnC_Paths.h"
#include "rgnC_SetDataMap.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <thread>
#include <vector>

namespace {

using StoreWalk::ProbeMap;

constexpr int kBaseKeys = 12;
constexpr int kSnapshotEvery = 4;
constexpr int kSnapshotKeys = 4;
constexpr int kKills = 50;
constexpr int kSets = 6;

// What the writer reports first, once it has opened its file.
constexpr std::int64_t kWriterReady = -1;

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

// The generation the entry was written at; -1 when its fields do not agree on one (the digest
// folds in every stored field).
int generationOf(const Probe& p, int key) {
    const int g = p.number >= 0 && p.number % 1000 == key ? p.number / 1000 : -1;
    return g >= 0 && StoreWalk::Digest(p, 0) == StoreWalk::Digest(entry(g, key), 0) ? g : -1;
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

// Set s at generation g: rebuilt with one subset every third generation, else one subset more.
// Set s rebuilt at r holds subsets k = 0 .. g - r, subset k holding the ids (r + k) * 100 + s
// + 0 .. 4.
void advance(rgnC_SetDataMap& sets, int g) {
    for (int s = 0; s < kSets; ++s) {
        cow_1DArrayList<int> ids;
        for (int i = 0; i < 5; ++i)
            ids.Append(g * 100 + s + i);
        if (g % 3 != 0) {
            sets.Get(s).AddSubset(0, g % 3, ids, res_SetTypeEnm::NODE_SET, false, {});
            continue;
        }
        rgnC_SetData set(s, cow_String("S" + std::to_string(s)), res_SetTypeEnm::NODE_SET, false,
                         false);
        set.AddSubset(0, 0, ids, res_SetTypeEnm::NODE_SET, false, {});
        sets.Insert(s, set);
    }
}

// The one generation of every set in the list, read off set 0 (rebuilt at r with one subset,
// one more for each generation since): every set must be what the writer's changes up to that
// generation make of it, field by field. -1 (and a test failure) otherwise.
int setsGeneration(ddr_Ddb& db) {
    const rgnC_SetDataMap sets = db.LoadRoot<rgnC_SetDataMap>(cow_String("sets"));
    const rgnC_SetData& first = sets.ConstGet(0);
    const int g = first.SubSet(0).IdArray().ConstGet(0) / 100 + first.NumSubset() - 1;
    rgnC_SetDataMap expected;
    for (int r = g - g % 3; r <= g; ++r)
        advance(expected, r);
    for (int s = 0; s < kSets; ++s) {
        if (ModuleWalk::Digest(sets.ConstGet(s), 0) !=
            ModuleWalk::Digest(expected.ConstGet(s), 0)) {
            ADD_FAILURE() << "set " << s << " is not what generation " << g
                          << " (read off set 0) makes of it";
            return -1;
        }
    }
    return g;
}

struct Observed {
    int root = 0;     // generation of the root "generation"
    int map = 0;      // generation of every entry of "probes"
    int sets = 0;     // generation of every set of "sets"
    int snapshot = 0; // generation of the map last stored whole
};

Observed verify(const std::string& path) {
    ddr_Ddb db(cow_String("check"), path, ddr_Ddb::Mode::ReadOnly);
    Observed o;
    o.root = generationOf(db.LoadRoot<Probe>(cow_String("generation")), 0);
    EXPECT_GE(o.root, 0) << "the root 'generation' mixes generations";
    o.map = mapGeneration(db, "probes", kBaseKeys, true);
    o.sets = setsGeneration(db);
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
    rgnC_SetDataMap sets;
    advance(sets, 0);
    db.StoreRoot(cow_String("sets"), sets);
    storeSnapshot(db, 0);
    db.StoreRoot(cow_String("generation"), entry(0, 0));
}

// The writer: generations after those `before` saw, reporting each one whose last transaction
// committed (with the sweeps done so far in the low half), until it is killed (or its parent is
// gone). A generation whose flushes made it is redone, but sets are not changed twice.
void writeGenerations(const std::string& path, const Observed& before, pid_t parent,
                      const Child::Report& report) {
    ddr_Ddb db(cow_String("writer"), path, ddr_Ddb::Mode::ReadWrite);
    ProbeMap map = db.LoadRoot<ProbeMap>(cow_String("probes"));
    rgnC_SetDataMap sets = db.LoadRoot<rgnC_SetDataMap>(cow_String("sets"));
    Probe generation = db.LoadRoot<Probe>(cow_String("generation"));
    report(kWriterReady);
    for (int g = before.root + 1; ::getppid() == parent; ++g) {
        for (int k = 0; k < kBaseKeys; ++k)
            fillEntry(map.Get(k), g, k);
        map.Remove(churnKey(g - 1));
        map.Insert(churnKey(g), entry(g, churnKey(g)));
        map.Flush();
        if (g > before.sets) {
            advance(sets, g);
            sets.Flush();
        }
        if (g % kSnapshotEvery == 0)
            storeSnapshot(db, g);
        db.StoreRoot(cow_String("generation"), fillEntry(generation, g, 0));
        report(std::int64_t{g} << 32 | db.Database().Sweeps());
    }
}

} // namespace

// Each round forks a writer, which reports kWriterReady, then a generation for each one it
// committed. Most kills come after 1 to 3 more reports, at a random point of the next write
// (its length taken from the last one seen, so that the kills spread over whole writes on a slow
// machine as on a fast one); every fifth may land while the writer opens the file and rolls back
// what the last kill left. Stops at the first failure.
TEST(CrashConsistency, KilledWritersLeaveLastCommittedState) {
    using Clock = std::chrono::steady_clock;
    StoreWalk::RegisterProbe();
    StartModule();
    TempDir dir;
    const std::string path = dir.File("killed.db");
    createGenerationZero(path);
    Observed before = verify(path);
    const pid_t parent = ::getpid();
    std::mt19937 random(424242);
    Clock::duration writeTime = std::chrono::milliseconds(50);
    int killsInTransaction = 0;
    int sweeps = 0; // generations acknowledged after a sweep
    for (int round = 0; round < kKills && !::testing::Test::HasFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        Child writer(
            [&](const Child::Report& report) { writeGenerations(path, before, parent, report); });
        std::vector<std::int64_t> reports;
        std::int64_t value = 0;
        if (round % 5 != 0) {
            EXPECT_TRUE(writer.Receive(value) && value == kWriterReady)
                << "the writer did not start";
            auto last = Clock::now();
            for (int wait = 1 + random() % 3; wait > 0 && writer.Receive(value); --wait) {
                reports.push_back(value);
                writeTime = Clock::now() - last;
                last = Clock::now();
            }
        }
        const auto delay = round % 5 != 0 ? writeTime : std::chrono::milliseconds(20);
        std::this_thread::sleep_for(delay * (random() % 1000) / 1000);
        const int status = writer.Kill();
        EXPECT_TRUE(KilledBySignal(status))
            << "the writer ended by itself (status " << status << ")";
        while (writer.Receive(value))
            if (value != kWriterReady)
                reports.push_back(value);
        killsInTransaction += std::filesystem::exists(path + "-journal") ? 1 : 0;

        int acked = before.root;
        for (const std::int64_t r : reports) {
            acked = static_cast<int>(r >> 32);
            sweeps += (r & 0xFFFFFFFF) > 0 ? 1 : 0;
        }
        const Observed now = verify(path);
        // Every generation the writer saw committed is there; at most the one in flight more.
        EXPECT_GE(now.root, acked);
        EXPECT_LE(now.root, acked + 1);
        // The map is flushed first, then the sets: each equal to the root, or one ahead.
        EXPECT_TRUE(now.map == now.root || now.map == now.root + 1)
            << "map " << now.map << ", root " << now.root;
        EXPECT_TRUE(now.sets == now.root || (now.sets == now.root + 1 && now.map == now.sets))
            << "sets " << now.sets << ", map " << now.map << ", root " << now.root;
        // The last snapshot is that of the last multiple of four, or of the generation in
        // flight when its snapshot committed but its root did not.
        const int lastSnapshot = now.root / kSnapshotEvery * kSnapshotEvery;
        EXPECT_TRUE(now.snapshot == lastSnapshot ||
                    (now.snapshot == now.root + 1 && now.snapshot % kSnapshotEvery == 0 &&
                     now.sets == now.root + 1))
            << "snapshot " << now.snapshot << ", root " << now.root;
        before = now;
    }
    // The kills did land inside writes, and the writers got work done and swept between them.
    EXPECT_GT(killsInTransaction, 0);
    EXPECT_GT(before.root, kKills / 2);
    EXPECT_GT(sweeps, 0);
    std::printf("crash consistency: %d kills, %d inside a transaction, %d generations, %d "
                "acknowledged after a sweep\n",
                kKills, killsInTransaction, before.root, sweeps);
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
