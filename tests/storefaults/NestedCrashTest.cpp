// A writer killed at random moments while it changes sets nested in a stored set list: after
// every kill, each set counts exactly the subsets it holds, all sets are of one generation,
// and no acknowledged generation is lost, whether the kill fell into a flush of nested changes
// or into a sweep of the rows that replaced sets left behind.
//
// Generation g: every third generation replaces each set by a new one with one subset;
// between, each set gains one subset. Set s at generation g was rebuilt at r = g - g % 3 and
// holds subsets k = 0 .. g - r, subset k holding the ids (r + k) * 100 + s + 0 .. 4.
#include "Child.h"
#include "ModuleStart.h"
#include "TempDir.h"
#include "ddr_Ddb.h"
#include "rgnC_Paths.h"
#include "rgnC_SetDataMap.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

constexpr int kSets = 6;
constexpr int kKills = 30;

cow_1DArrayList<int> subsetIds(int firstGeneration, int s) {
    cow_1DArrayList<int> ids;
    for (int i = 0; i < 5; ++i)
        ids.Append(firstGeneration * 100 + s + i);
    return ids;
}

// Set s at generation g: rebuilt with one subset every third generation, else one subset more.
void advance(rgnC_SetDataMap& sets, int g) {
    for (int s = 0; s < kSets; ++s) {
        if (g % 3 != 0) {
            sets.Get(s).AddSubset(0, g % 3, subsetIds(g, s), res_SetTypeEnm::NODE_SET, false, {});
            continue;
        }
        rgnC_SetData set(s, cow_String("S" + std::to_string(s)), res_SetTypeEnm::NODE_SET, false,
                         false);
        set.AddSubset(0, 0, subsetIds(g, s), res_SetTypeEnm::NODE_SET, false, {});
        sets.Insert(s, set);
    }
}

// The generation of the whole list, or -1 (with a test failure) when a set is not whole or
// the sets disagree.
int generationOf(const std::string& path) {
    ddr_Ddb db(cow_String("check"), path, ddr_Ddb::Mode::ReadOnly);
    const rgnC_SetDataMap sets = db.LoadRoot<rgnC_SetDataMap>(cow_String("sets"));
    int generation = -1;
    for (int s = 0; s < kSets; ++s) {
        const rgnC_SetData& set = sets.ConstGet(s);
        const int n = set.NumSubset();
        bool whole = n == set.SubsetList().Count() && n >= 1;
        const int r = whole ? set.SubSet(0).IdArray().ConstGet(0) / 100 : -1;
        for (int k = 0; whole && k < n; ++k)
            whole = set.SubSet(k).IdArray().IsEqual(subsetIds(r + k, s));
        if (!whole || (generation >= 0 && r + n - 1 != generation)) {
            ADD_FAILURE() << "set " << s << " counts " << n << " subsets, holds "
                          << set.SubsetList().Count() << ", and is of generation " << r + n - 1
                          << " (set 0 of " << generation << ") or of none";
            return -1;
        }
        generation = r + n - 1;
    }
    return generation;
}

} // namespace

TEST(NestedCrash, KilledWritersLeaveWholeSetsThroughNestedFlushesAndSweeps) {
    StartModule();
    TempDir dir;
    const std::string path = dir.File("nested.db");
    {
        ddr_Ddb db(cow_String("model"), path, ddr_Ddb::Mode::Create);
        rgnC_SetDataMap sets;
        advance(sets, 0);
        db.StoreRoot(cow_String("sets"), sets);
    }
    int before = generationOf(path);
    ASSERT_EQ(before, 0);
    const pid_t parent = ::getpid();
    int sweeps = 0; // generations acknowledged after a sweep
    const int killsInTransaction = KillWritersAtRandom(
        path, kKills, 777,
        // Each generation is reported with the sweeps done so far.
        [&](const Child::Report& report) {
            ddr_Ddb db(cow_String("model"), path, ddr_Ddb::Mode::ReadWrite);
            rgnC_SetDataMap sets = db.LoadRoot<rgnC_SetDataMap>(cow_String("sets"));
            report(kWriterReady);
            for (int g = before + 1; ::getppid() == parent; ++g) {
                advance(sets, g);
                sets.Flush();
                report(std::int64_t{g} << 32 | db.Database().Sweeps());
            }
        },
        [&](const std::vector<std::int64_t>& reports) {
            int acked = before;
            for (const std::int64_t r : reports) {
                acked = static_cast<int>(r >> 32);
                sweeps += (r & 0xFFFFFFFF) > 0 ? 1 : 0;
            }
            const int now = generationOf(path);
            EXPECT_GE(now, acked);
            EXPECT_LE(now, acked + 1);
            before = now;
        });
    EXPECT_GT(before, kKills); // the writers got work done between the kills
    EXPECT_GT(sweeps, 0);
    EXPECT_GT(killsInTransaction, 0);
    std::printf("nested crash: %d kills (%d inside a commit), %d generations, %d acknowledged "
                "after a sweep\n",
                kKills, killsInTransaction, before, sweeps);
}
