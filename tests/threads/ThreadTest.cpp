// Independent work in several threads: each thread with its own databases and objects, objects
// handed from one thread to another, and the process-wide registries read from all of them.
// These tests prove their point by not crashing and, in the ThreadSanitizer build, by
// producing no report; the checks inside catch what a race would corrupt.
#include "IdList.h"
#include "NoLeaks.h"
#include "OldModel.h"
#include "Refusal.h"
#include "RegionWorld.h"
#include "atr_translate.h"
#include "cls_ClassRegistrar.h"
#include "ddr_Ddb.h"
#include "pnt_PrettyPrint.h"
#include "rgnC_Paths.h"
#include "rgnC_PropRegionList.h"
#include "rgnC_RegionPair.h"
#include "typ_ArchCompTable.h"
#include "typ_DebugFlags.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

namespace {

constexpr int kThreads = 8;

// Runs body(t) in `threads` threads started together, so that they overlap. gtest's checks are
// thread-safe here, and a passing one takes no lock: checks do not order the threads they watch.
void runTogether(const std::function<void(int)>& body, int threads = kThreads) {
    std::atomic<int> ready{0};
    std::vector<std::jthread> crew; // joined on return, before `ready` goes
    for (int t = 0; t < threads; ++t)
        crew.emplace_back([&, t] {
            ++ready;
            while (ready.load() < threads)
                std::this_thread::yield();
            try {
                body(t);
            } catch (const std::exception& e) {
                ADD_FAILURE() << "thread " << t << " threw: " << e.what();
            }
        });
}

cls_xoList<rgnC_Region> regionsOf(int t, int round) {
    cls_xoList<rgnC_Region> l;
    for (int i = 0; i < 3; ++i)
        l.Append(rgnC_Region(cow_String("R" + std::to_string(round) + "-" + std::to_string(i)),
                             cow_String("part-" + std::to_string(t)), i, rgnC_Region::kNodeBit,
                             false));
    return l;
}

// Every test: every counter taken was given back.
class Threads : public NoLeaks {
protected:
    static void SetUpTestSuite() { RegionWorld::Start(); }
};

} // namespace

// Two threads drawing identities at once get distinct ones (a store in one of them would
// otherwise lose an object). Short bursts are tried many times, since on a busy machine two
// threads do not always overlap.
TEST_F(Threads, ThreadsDrawDistinctIdentities) {
    constexpr int kDraws = 20000;
    for (int burst = 0; burst < 50 && !HasFailure(); ++burst) {
        std::vector<std::uint64_t> drawn[2];
        for (auto& d : drawn)
            d.reserve(kDraws);
        runTogether(
            [&](int t) {
                for (int i = 0; i < kDraws; ++i)
                    drawn[t].push_back(cls_Uid::AllocateUid().Value());
            },
            2);
        drawn[0].insert(drawn[0].end(), drawn[1].begin(), drawn[1].end());
        std::sort(drawn[0].begin(), drawn[0].end());
        EXPECT_EQ(std::adjacent_find(drawn[0].begin(), drawn[0].end()), drawn[0].end());
    }
}

// Each thread opens its own model database, under the same name as every other thread's (the
// database root is per thread), and builds, stores and reloads objects round after round: set
// lists with subsets, region lists, region pairs and paths by turns, so that a round stays
// short enough for the ThreadSanitizer build.
TEST_F(Threads, EachThreadStoresAndReloadsItsOwnDatabase) {
    constexpr int kRounds = 1000;
    runTogether([](int t) {
        ddr_Ddb db(cow_String("model"), ":memory:", ddr_Ddb::Mode::Create);
        // Stores `value` under `root` and checks that it reads back equal.
        const auto roundTrip = [&](const char* root, const auto& value, int round) {
            db.StoreRoot(cow_String(root), value);
            const auto back = db.LoadRoot<std::decay_t<decltype(value)>>(cow_String(root));
            EXPECT_TRUE(back == value) << "thread " << t << " round " << round << ": " << root;
            return back;
        };
        for (int round = 0; round < kRounds; ++round) {
            if (round % 4 == 0) {
                rgnC_SetDataMap sets;
                for (int s = 0; s < 2; ++s)
                    sets.Insert(s, OldModel::Set(1000 * t + round + s, 2)); // two subsets
                db.StoreRoot(cow_String("sets"), sets);
                const auto back = db.LoadRoot<rgnC_SetDataMap>(cow_String("sets"));
                for (int s = 0; s < 2; ++s)
                    EXPECT_TRUE(back.ConstGet(s).IsEqual(sets.ConstGet(s)))
                        << "thread " << t << " round " << round << ": set " << s;
            } else if (round % 4 == 1) {
                rgnC_PropRegionList propagated;
                propagated = regionsOf(t, round);
                roundTrip("regions", propagated, round);
            } else if (round % 4 == 2) {
                const cls_xoList<rgnC_Region> regions = regionsOf(t, round);
                roundTrip("pair",
                          rgnC_RegionPair(regions.ConstGet(0), regions.ConstGet(1), round % 8 == 2,
                                          false, false),
                          round);
            } else {
                const auto path =
                    roundTrip("path", RegionWorld::SetPath("model", "sets", round % 2), round);
                EXPECT_EQ(path.Path().str(), "model.sets[" + std::to_string(round % 2) + "]");
            }
        }
        // Resolved against this thread's database, which holds the sets of round 996.
        const rgnC_Region region(RegionWorld::SetPath("model", "sets", 1));
        EXPECT_EQ(region.Name().str(), "SET-" + std::to_string(1000 * t + 997));
    });
}

// Objects built by producer threads are destroyed by consumer threads: every counter is freed
// on another thread than the one that took it, while the producers keep allocating. A second
// crew does it again: its threads adopt the pools the first crew's threads left, with the
// blocks other threads returned to them.
TEST_F(Threads, ObjectsHandedOverAreFreedThereAndLaterThreadsReuseTheirBlocks) {
    constexpr int kPerProducer = 400;
    for (int crew = 0; crew < 2; ++crew) {
        struct Queue {
            std::mutex mutex;
            std::condition_variable ready;
            std::deque<std::unique_ptr<rgnC_SetData>> items;
            int producersLeft = kThreads / 2;
        } queue;
        std::atomic<int> consumed{0};
        runTogether([&](int t) {
            if (t % 2 == 0) {
                for (int s = 0; s < kPerProducer; ++s) {
                    auto set = std::make_unique<rgnC_SetData>(OldModel::Set(1000 * t + s, 2));
                    std::lock_guard<std::mutex> lock(queue.mutex);
                    queue.items.push_back(std::move(set));
                    queue.ready.notify_one();
                }
                std::lock_guard<std::mutex> lock(queue.mutex);
                if (--queue.producersLeft == 0)
                    queue.ready.notify_all();
                return;
            }
            for (;;) {
                std::unique_ptr<rgnC_SetData> set;
                {
                    std::unique_lock<std::mutex> lock(queue.mutex);
                    queue.ready.wait(lock,
                                     [&] { return !queue.items.empty() || !queue.producersLeft; });
                    if (queue.items.empty())
                        return;
                    set = std::move(queue.items.front());
                    queue.items.pop_front();
                }
                // Copy-on-write through a copy made here: new counters from this thread's pool,
                // the set's own ones released to the producer's.
                rgnC_SetData copy = *set;
                copy.AddSubset(2, 2, listOf({7, 10}), res_SetTypeEnm::NODE_SET, false, {});
                EXPECT_TRUE(set->NumSubset() == 2 && copy.NumSubset() == 3 &&
                            set->SubSet(1).LookupIndex(set->SubSet(1).IdArray().ConstGet(5)) == 5)
                    << "a set handed over arrived changed";
                set.reset();
                ++consumed;
            }
        });
        EXPECT_EQ(consumed.load(), kThreads / 2 * kPerProducer);
    }
}

// After start-up the registries are only read, by every thread at once: class metadata and
// its names, the class table, debug levels, the message catalog and the debug printer.
TEST_F(Threads, RegistriesAreReadConcurrently) {
    atr_translate::AddTranslation("Cannot retrieve set - shortcut is undefined",
                                  "set cannot be retrieved: the path is undefined");
    typ_DebugFlags::SetDebugFlags(4242, 2);
    runTogether([](int t) {
        const cls_ClassRegistrar& registrar = cls_ClassRegistrar::Current();
        std::string printed;
        pnt_debugPrint().AttachCapture(&printed);
        for (int round = 0; round < 300; ++round) {
            const cls_ClassMetadata* md = registrar.Find(rgnC_SetDataPath::TypeId());
            EXPECT_TRUE(md && md->Name() == cow_String("rgnC_SetDataShortcut"));
            // Copies of registered names and field handles count references in them.
            const cow_String name = md->Name();
            const cls_FieldHandle impl = md->Attributes().at(0).handle;
            EXPECT_EQ(impl.Name(), cow_String("impl"));
            EXPECT_NE(registrar.FindByName("rgnC_SubsetData"), nullptr);
            EXPECT_TRUE(registrar.IsA(rgnC_SetDataInList::TypeId(),
                                      ddr_ShortcutImpl<rgnC_SetData>::TypeId()));
            EXPECT_STREQ(typ_ArchCompTable::ClassName(0x02540004), "rgnC_SubsetData");
            EXPECT_EQ(typ_DebugFlags::GetDebugFlags(4242), 2);
            EXPECT_MENTIONS(RefusalText([] { rgnC_Region().ConstSet(); }), "the path is undefined");
            const rgnC_Region named(name, cow_String("m"), t, round, false);
            EXPECT_TRUE(rgnC_Region(named) == named);
            pnt_debugPrint() << "thread " << t << " round " << round << endl;
        }
        pnt_debugPrint().AttachCapture(nullptr);
        EXPECT_MENTIONS(printed, "thread " + std::to_string(t) + " round 299\n");
    });
    atr_translate::ClearCatalog();
    typ_DebugFlags::Reset();
}
