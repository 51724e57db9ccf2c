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

#include <chrono>
#include <filesystem>
#include <cstdio>
#include <random>
#include <thread>

namespace {

constexpr int kSets = 6;
constexpr int kKills = 30;

cow_1DArrayList<int> subsetIds(int firstGeneration, int s) {
    cow_1DArrayList<int> ids;
    for (int i = 0; i < 5; ++i)
        ids.Append(firstGeneration * 100 + s + i);
    return ids;
}

rgnC_SetData rebuilt(int g, int s) {
    rgnC_SetData set(s, cow_String("S" + std::to_string(s)), res_SetTypeEnm::NODE_SET, false, false);
    set.AddSubset(0, 0, subsetIds(g, s), res_SetTypeEnm::NODE_SET, false, {});
    return set;
}

void advance(rgnC_SetDataMap& sets, int g) {
    for (int s = 0; s < kSets; ++s) {
        if (g % 3 == 0)
            sets.Insert(s, rebuilt(g, s));
        else
            sets.Get(s).AddSubset(0, g % 3, subsetIds(g, s), res_SetTypeEnm::NODE_SET, false, {});
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
        if (set.NumSubset() != set.SubsetList().Count() || set.NumSubset() < 1) {
            ADD_FAILURE() << "set " << s << " counts " << set.NumSubset() << " subsets and holds "
                          << set.SubsetList().Count();
            return -1;
        }
        const int r = set.SubSet(0).IdArray().ConstGet(0) / 100;
        for (int k = 0; k < set.NumSubset(); ++k)
            if (!set.SubSet(k).IdArray().IsEqual(subsetIds(r + k, s))) {
                ADD_FAILURE() << "subset " << k << " of set " << s << " is not of its generation";
                return -1;
            }
        const int g = r + set.NumSubset() - 1;
        if (generation >= 0 && g != generation) {
            ADD_FAILURE() << "set " << s << " is of generation " << g << ", set 0 of " << generation;
            return -1;
        }
        generation = g;
    }
    return generation;
}

// The writer: generations from `first` on, each reported with the sweeps done so far.
void writeGenerations(const std::string& path, int first, pid_t parent,
                      const Child::Report& report) {
    ddr_Ddb db(cow_String("model"), path, ddr_Ddb::Mode::ReadWrite);
    rgnC_SetDataMap sets = db.LoadRoot<rgnC_SetDataMap>(cow_String("sets"));
    for (int g = first; ::getppid() == parent; ++g) {
        advance(sets, g);
        sets.Flush();
        report(std::int64_t{g} << 32 | db.Database().Sweeps());
    }
}

} // namespace

TEST(NestedCrash, KilledWritersLeaveWholeSetsThroughNestedFlushesAndSweeps) {
    StartModule();
    TempDir dir;
    const std::string path = dir.File("nested.db");
    {
        ddr_Ddb db(cow_String("model"), path, ddr_Ddb::Mode::Create);
        rgnC_SetDataMap sets;
        for (int s = 0; s < kSets; ++s)
            sets.Insert(s, rebuilt(0, s));
        db.StoreRoot(cow_String("sets"), sets);
    }
    int before = generationOf(path);
    ASSERT_EQ(before, 0);
    std::mt19937 random(777);
    int sweeps = 0, killsInTransaction = 0; // acknowledgements after a sweep; kills in a commit
    for (int round = 0; round < kKills && !::testing::Test::HasFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const pid_t parent = ::getpid();
        Child writer([&](const Child::Report& report) {
            writeGenerations(path, before + 1, parent, report);
        });
        ASSERT_TRUE(writer.Started());
        // Wait for one to three generations, then kill at a random moment of the next.
        int acked = before;
        std::int64_t ack = 0;
        auto take = [&] { acked = static_cast<int>(ack >> 32), sweeps += (ack & 0xFFFFFFFF) > 0; };
        for (int wait = 1 + random() % 3; wait > 0; --wait)
            if (writer.Receive(ack))
                take();
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        const int status = writer.Kill();
        ASSERT_TRUE(KilledBySignal(status))
            << "the writer ended by itself (status " << status << ")";
        while (writer.Receive(ack))
            take();
        if (std::filesystem::exists(path + "-journal"))
            ++killsInTransaction;

        const int now = generationOf(path);
        EXPECT_GE(now, acked);
        EXPECT_LE(now, acked + 1);
        before = now;
    }
    EXPECT_GT(before, kKills); // the writers got work done between the kills
    EXPECT_GT(sweeps, 0);
    EXPECT_GT(killsInTransaction, 0);
    std::printf("nested crash: %d kills (%d inside a commit), %d generations, %d acknowledged "
                "after a sweep\n",
                kKills, killsInTransaction, before, sweeps);
}
