// Independent work in several threads: each thread with its own databases and objects, objects
// handed from one thread to another, and the process-wide registries read from all of them.
// These tests prove their point by not crashing and, in the ThreadSanitizer build, by
// producing no report; the checks inside catch what a race would corrupt.
#include "NoLeaks.h"
#include "RegionWorld.h"
#include "atr_translate.h"
#include "cls_ClassRegistrar.h"
#include "cow_Counter.h"
#include "cow_List.h"
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

// Runs body(t) in kThreads threads at once and reports how many of them failed a check.
// gtest's own assertions are not used inside the threads: a failed check is counted and
// described, and the test asserts on the count in the main thread.
class Crew {
public:
    void Run(const std::function<void(int, Crew&)>& body, int threads = kThreads) {
        std::vector<std::thread> crew;
        std::atomic<int> ready{0};
        for (int t = 0; t < threads; ++t)
            crew.emplace_back([&, t] {
                ++ready;
                while (ready.load() < threads) // start together, so the threads overlap
                    std::this_thread::yield();
                try {
                    body(t, *this);
                } catch (const std::exception& e) {
                    Check(false, "thread " + std::to_string(t) + " threw: " + e.what());
                }
            });
        for (std::thread& th : crew)
            th.join();
    }
    // Takes the lock only on a failure: a check must not order the threads it watches.
    void Check(bool ok, const std::string& what) {
        if (ok)
            return;
        std::lock_guard<std::mutex> lock(mutex_);
        if (++failed_ <= 10)
            report_ += what + "\n";
    }
    int Failed() const { return failed_; }
    const std::string& Report() const { return report_; }

private:
    std::mutex mutex_;
    std::string report_; // the first ten failures
    int failed_ = 0;
};

cow_1DArrayList<int> ids(int first, int n) {
    cow_1DArrayList<int> l;
    for (int i = 0; i < n; ++i)
        l.Append(first + 3 * i);
    return l;
}

// Set s of thread t: two subsets whose ids derive from t and s.
rgnC_SetData makeSet(int t, int s) {
    rgnC_SetData set(s, cow_String("T" + std::to_string(t) + "-S" + std::to_string(s)),
                     res_SetTypeEnm::NODE_SET, s % 2 == 1, false);
    set.AddSubset(0, 1, ids(t * 1000 + s, 6), res_SetTypeEnm::NODE_SET, false, {});
    set.AddSubset(1, 1, ids(-t - s, 3), res_SetTypeEnm::NODE_SET, false, {});
    return set;
}

// Whether two threads drawing uids at once get distinct ones (a store in one of them would
// otherwise lose an object). Short bursts are tried many times, since on a busy machine two
// threads do not always overlap.
bool uidsAreDistinctAcrossThreads() {
    constexpr int kDraws = 20000;
    Crew crew;
    for (int burst = 0; burst < 50; ++burst) {
        std::vector<std::uint64_t> drawn[2];
        for (auto& d : drawn)
            d.reserve(kDraws);
        crew.Run(
            [&](int t, Crew&) {
                for (int i = 0; i < kDraws; ++i)
                    drawn[t].push_back(cls_Uid::AllocateUid().Value());
            },
            2);
        drawn[0].insert(drawn[0].end(), drawn[1].begin(), drawn[1].end());
        std::sort(drawn[0].begin(), drawn[0].end());
        if (std::adjacent_find(drawn[0].begin(), drawn[0].end()) != drawn[0].end())
            return false;
    }
    return true;
}

cls_xoList<rgnC_Region> regionsOf(int t, int round) {
    cls_xoList<rgnC_Region> l;
    for (int i = 0; i < 3; ++i)
        l.Append(rgnC_Region(cow_String("R" + std::to_string(round) + "-" + std::to_string(i)),
                             cow_String("part-" + std::to_string(t)), i, rgnC_Region::kNodeBit,
                             false));
    return l;
}

// Every test: no check failed in any thread, and every counter taken was given back.
class Threads : public NoLeaks {
protected:
    static void SetUpTestSuite() { RegionWorld::Start(); }
    void TearDown() override {
        EXPECT_EQ(crew.Failed(), 0) << crew.Report();
        NoLeaks::TearDown();
    }

    Crew crew;
};

} // namespace

// Each thread opens its own model database, under the same name as every other thread's (the
// database root is per thread), and builds, stores and reloads objects round after round: set
// lists with subsets, region lists, region pairs and paths by turns, so that a round stays
// short enough for the ThreadSanitizer build.
TEST_F(Threads, EachThreadStoresAndReloadsItsOwnDatabase) {
    ASSERT_TRUE(uidsAreDistinctAcrossThreads());
    constexpr int kRounds = 1000;
    crew.Run([](int t, Crew& c) {
        ddr_Ddb db(cow_String("model"), ":memory:", ddr_Ddb::Mode::Create);
        const std::string who = "thread " + std::to_string(t) + ": ";
        // Stores `value` under `root` and checks that it reads back equal.
        const auto roundTrip = [&](const char* root, const auto& value, const std::string& what) {
            db.StoreRoot(cow_String(root), value);
            const auto back = db.LoadRoot<std::decay_t<decltype(value)>>(cow_String(root));
            c.Check(back == value, what + root + " changed");
            return back;
        };
        for (int round = 0; round < kRounds; ++round) {
            const std::string what = who + "round " + std::to_string(round) + ": ";
            if (round % 4 == 0) {
                rgnC_SetDataMap sets;
                for (int s = 0; s < 2; ++s)
                    sets.Insert(s, makeSet(t, round + s));
                db.StoreRoot(cow_String("sets"), sets);
                const auto back = db.LoadRoot<rgnC_SetDataMap>(cow_String("sets"));
                for (int s = 0; s < 2; ++s)
                    c.Check(back.ConstGet(s).IsEqual(sets.ConstGet(s)), what + "a set changed");
            } else if (round % 4 == 1) {
                rgnC_PropRegionList propagated;
                propagated = regionsOf(t, round);
                roundTrip("regions", propagated, what);
            } else if (round % 4 == 2) {
                const cls_xoList<rgnC_Region> regions = regionsOf(t, round);
                roundTrip("pair",
                          rgnC_RegionPair(regions.ConstGet(0), regions.ConstGet(1), round % 8 == 2,
                                          false, false),
                          what);
            } else {
                const auto path =
                    roundTrip("path", RegionWorld::SetPath("model", "sets", round % 2), what);
                c.Check(path.Path() == cow_String("model.sets[" + std::to_string(round % 2) + "]"),
                        what + "path read back as " + path.Path().str());
            }
        }
        // Resolved against this thread's database, which holds the sets of round 996.
        const rgnC_Region region(RegionWorld::SetPath("model", "sets", 1));
        c.Check(region.Name() == cow_String("T" + std::to_string(t) + "-S997"),
                who + "resolved its path to " + region.Name().str());
    });
}

// Objects built by producer threads are destroyed by consumer threads: every counter is freed
// on another thread than the one that took it, while the producers keep allocating.
TEST_F(Threads, ObjectsHandedOverAreFreedThereAndLaterThreadsReuseTheirBlocks) {
    const long countersBefore = cow_Counter::LiveCount();
    struct Queue {
        std::mutex mutex;
        std::condition_variable ready;
        std::deque<std::unique_ptr<rgnC_SetData>> items;
        int producersLeft = kThreads / 2;
    } queue;
    constexpr int kPerProducer = 400;
    std::atomic<int> consumed{0};
    crew.Run([&](int t, Crew& c) {
        if (t % 2 == 0) {
            for (int s = 0; s < kPerProducer; ++s) {
                auto set = std::make_unique<rgnC_SetData>(makeSet(t, s));
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
            copy.AddSubset(2, 2, ids(7, 2), res_SetTypeEnm::NODE_SET, false, {});
            c.Check(set->NumSubset() == 2 && copy.NumSubset() == 3 &&
                        set->SubSet(0).LookupIndex(set->SubSet(0).IdArray().ConstGet(5)) == 5,
                    "a set handed over arrived changed");
            set.reset();
            ++consumed;
        }
    });
    EXPECT_EQ(crew.Failed(), 0) << crew.Report();
    EXPECT_EQ(consumed.load(), kThreads / 2 * kPerProducer);
    EXPECT_EQ(cow_Counter::LiveCount(), countersBefore);

    // Threads that have ended leave their counters' blocks to later threads: a second crew
    // reuses them, building containers at the same time in every thread, shared by nobody. Each
    // thread's tree, arrays and lists take and return counters all the time, and copy-on-write
    // copies inside the thread must still leave the originals alone.
    crew.Run([](int t, Crew& c) {
        for (int round = 0; round < 20; ++round) {
            rgnC_SubsetDataMap subsets;
            cow_List<cow_String> names;
            cow_1DArrayList<int> all;
            for (int k = 0; k < 300; ++k) {
                subsets.Insert(
                    k, rgnC_SubsetData(0, 1, k, t, res_SetTypeEnm::NODE_SET, false, ids(k, 4), {}));
                names.Append(cow_String("n" + std::to_string(t * 100000 + k)));
                all.Append(t * 100000 + k);
            }
            const rgnC_SubsetDataMap shared = subsets; // the copy shares every node
            const cow_1DArrayList<int> allShared = all;
            for (int k = 0; k < 300; k += 7) {
                subsets.Remove(k);
                all.Get(k) = -1;
            }
            int missing = 0;
            for (int k = 0; k < 300; ++k) {
                missing += !shared.IsMember(k);
                c.Check(allShared.ConstGet(k) == t * 100000 + k, "shared array written through");
                c.Check(names.ConstGet(k) == cow_String("n" + std::to_string(t * 100000 + k)),
                        "name changed");
            }
            c.Check(missing == 0 && subsets.Count() == 300 - 43,
                    "copy-on-write broke between copies of one thread");
        }
    });
}

// After start-up the registries are only read, by every thread at once: class metadata and
// its names, the class table, debug levels, the message catalog and the debug printer.
TEST_F(Threads, RegistriesAreReadConcurrently) {
    atr_translate::AddTranslation("Cannot retrieve set - shortcut is undefined",
                                  "set cannot be retrieved: the path is undefined");
    typ_DebugFlags::SetDebugFlags(4242, 2);
    crew.Run([](int t, Crew& c) {
        const cls_ClassRegistrar& registrar = cls_ClassRegistrar::Current();
        std::string printed;
        pnt_debugPrint().AttachCapture(&printed);
        for (int round = 0; round < 300; ++round) {
            const cls_ClassMetadata* md = registrar.Find(rgnC_SetDataPath::TypeId());
            c.Check(md && md->Name() == cow_String("rgnC_SetDataShortcut"), "metadata by id");
            // Copies of registered names and field handles count references in them.
            const cow_String name = md->Name();
            const cls_FieldHandle impl = md->Attributes().at(0).handle;
            c.Check(impl.Name() == cow_String("impl"), "attribute name");
            c.Check(registrar.FindByName("rgnC_SubsetData") != nullptr, "metadata by name");
            c.Check(registrar.IsA(rgnC_SetDataInList::TypeId(),
                                  ddr_ShortcutImpl<rgnC_SetData>::TypeId()),
                    "class ancestry");
            c.Check(std::string(typ_ArchCompTable::ClassName(0x02540004)) == "rgnC_SubsetData",
                    "class table");
            c.Check(typ_DebugFlags::GetDebugFlags(4242) == 2, "debug level");
            try {
                rgnC_Region().ConstSet();
                c.Check(false, "an undefined path resolved");
            } catch (const std::exception& e) {
                c.Check(std::string(e.what()).find("the path is undefined") != std::string::npos,
                        std::string("translated message: ") + e.what());
            }
            const rgnC_Region named(name, cow_String("m"), t, round, false);
            c.Check(rgnC_Region(named) == named, "region copy");
            pnt_debugPrint() << "thread " << t << " round " << round << endl;
        }
        pnt_debugPrint().AttachCapture(nullptr);
        c.Check(printed.find("thread " + std::to_string(t) + " round 299\n") != std::string::npos,
                "debug lines of this thread");
    });
    atr_translate::ClearCatalog();
    typ_DebugFlags::Reset();
}
