// Blocked arrays and the two lists stored in them: what a copy shares and what a write copies,
// the layout of a sized array, and a randomized run of both against deque models.
#include "IdList.h"
#include "ModelPool.h"
#include "NoLeaks.h"
#include "cow_1DArray.h"
#include "cow_1DArrayIter.h"
#include "cow_1DArrayList.h"
#include "cow_1DArrayListIter.h"
#include "cow_List.h"
#include "cow_ListIter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

template <class L>
std::deque<int> contents(const L& list) {
    std::deque<int> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list.ConstGet(i).value);
    return out;
}

template <class Iter, class C>
std::deque<int> walk(const C& container) {
    std::deque<int> out;
    for (Iter it(container); it.More(); it.Next())
        out.push_back(it.Value().value);
    return out;
}

using Array = cow_1DArray<LiveCounted>;
using ArrayIter = cow_1DArrayIter<LiveCounted>;

Array counting(int n) {
    Array a;
    for (int i = 0; i < n; ++i)
        a.Get(i) = i;
    return a;
}

// Given every array alive (besides those counted in `baseCounters` blocks before the test),
// checks that each table's share count equals its holders, each block's refCount equals the
// tables that point to it, no counter or block is outstanding beyond these, and no element
// outlives its block.
testing::AssertionResult sharingIsExact(const std::vector<const Array*>& arrays,
                                        long baseCounters) {
    std::vector<const Array*> tables; // one holder per distinct table
    std::map<const cow_1DArrayBlock<LiveCounted>*, int> tablesPerBlock;
    long elements = 0;
    for (const auto* a : arrays) {
        bool seen = false;
        for (const auto* t : tables)
            seen = seen || t->SharesTableWith(*a);
        if (seen)
            continue;
        tables.push_back(a);
        int holders = 0;
        for (const auto* b : arrays)
            holders += b->SharesTableWith(*a);
        if (holders != a->ShareCount())
            return testing::AssertionFailure()
                   << "share count " << a->ShareCount() << " for " << holders << " holders";
        for (int slot = 0; slot < a->TableLength(); ++slot)
            if (const auto* block = a->BlockAt(slot); block && tablesPerBlock[block]++ == 0)
                elements += a->BlockSize();
    }
    for (const auto& [block, count] : tablesPerBlock)
        if (block->refCount != count)
            return testing::AssertionFailure()
                   << "block refCount " << block->refCount << " for " << count << " tables";
    const long expected = baseCounters + long(tables.size() + tablesPerBlock.size());
    if (cow_Counter::LiveCount() != expected)
        return testing::AssertionFailure() << cow_Counter::LiveCount() << " counters and blocks "
                                           << "outstanding, expected " << expected;
    if (LiveCounted::live != elements)
        return testing::AssertionFailure()
               << LiveCounted::live << " live elements, blocks hold " << elements;
    return testing::AssertionSuccess();
}

using Arrays = NoLeaks;
using Lists = NoLeaks;

template <class L>
class BothLists : public NoLeaks {};
using ListTypes = testing::Types<cow_List<LiveCounted>, cow_1DArrayList<LiveCounted>>;
TYPED_TEST_SUITE(BothLists, ListTypes);

} // namespace

TEST_F(Arrays, CopySharesUntilAWriteThenCopiesTheTableAndOneBlock) {
    Array a = counting(40);
    ASSERT_EQ(a.BlockSize(), 16); // three blocks
    const long before = cow_Counter::LiveCount();
    Array b = a;
    EXPECT_EQ(cow_Counter::LiveCount(), before); // the table and the blocks shared

    // What the copies read after writes, and their exact sharing counts, the randomized run
    // below checks; here, what a write copies.
    b.Get(0) = 100;
    EXPECT_EQ(cow_Counter::LiveCount(), before + 2); // b's counter and its copy of block 0 only

    LiveCounted* sole = &b.Get(0); // b alone holds block 0 now: written in place
    EXPECT_EQ(sole, &b.Get(0));
    const LiveCounted* shared = &b.PartialArrayConstGet(20);
    b.Get(20) = 7; // block 1 is still shared with a's table
    EXPECT_NE(shared, &b.PartialArrayConstGet(20));

    a = Array(); // b becomes the only holder of block 2
    const LiveCounted* last = &b.PartialArrayConstGet(39);
    EXPECT_EQ(last, &b.Get(39));
}

TEST_F(Arrays, HeadInsertionIntoAFullTableGrowsIt) {
    // 17 * 16 elements fill the 17-slot table exactly; the head insertion must grow it.
    Array full = counting(17 * 16);
    ASSERT_EQ(full.TableLength(), 17);
    const Array copy = full;
    full.GetHead() = -1;
    EXPECT_EQ(full.TableLength(), 34);
    std::deque<int> expected(17 * 16);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(walk<ArrayIter>(copy), expected);
    expected.push_front(-1);
    EXPECT_EQ(walk<ArrayIter>(full), expected);
    EXPECT_TRUE(full.validate() && copy.validate());
}

TEST_F(Arrays, SizingConstructorLayoutAndWalksOverMissingBlocks) {
    for (int n : {0, 1, 255, 256, 257, 1000, 4095, 4096, 65537, 1 << 20, (1 << 24) - 1}) {
        const cow_1DArray<int> a(n);
        const auto bits = std::bit_cast<std::uint32_t>(static_cast<float>(n));
        const int shift = int(bits >> 23 & 0xFF) - 130;
        const int blocks = int(((bits & 0x7FFFFF) + 0x8FFFFF) >> 20);
        EXPECT_EQ(a.BlockShift(), shift > 4 ? shift : 4) << n;
        EXPECT_EQ(a.TableLength(), shift > 4 ? 16 + blocks : 16) << n;
        EXPECT_TRUE(a.validate());
    }
    // Past 2^24 the float rounds; the table must still cover every element.
    const cow_1DArray<char> big((1 << 24) + 1);
    EXPECT_GE(big.TableLength() - 16, ((1 << 24) + 1 + big.BlockSize() - 1) / big.BlockSize());

    Array a(1000); // blocks of 64, none created yet
    EXPECT_TRUE(walk<ArrayIter>(a).empty()) << "a missing first block walks as empty";
    a.Get(0) = 0;
    EXPECT_EQ(walk<ArrayIter>(a).size(), 64u) << "an empty slot ends the walk";
}

TYPED_TEST(BothLists, CopiesShareAndEqualityComparesOnlyUnsharedBlocks) {
    TypeParam a;
    for (int i = 0; i < 40; ++i)
        a.Append(LiveCounted(i));
    TypeParam b = a;
    LiveCounted::compares = 0;
    EXPECT_TRUE(a.IsEqual(b)); // shared storage: nothing to compare
    EXPECT_EQ(LiveCounted::compares, 0);

    b.Get(33) = LiveCounted(-1); // copies block 2 only
    EXPECT_FALSE(a.IsEqual(b));
    EXPECT_GT(LiveCounted::compares, 0);
    EXPECT_LE(LiveCounted::compares, 16) << "only the unshared block is compared";
}

// What the lists read and share after removals, the randomized run below checks; here, when a
// block goes.
TEST_F(Lists, FrontRemovalReleasesALeftBlockAtOnce) {
    cow_List<LiveCounted> queue;
    for (int i = 0; i < 20; ++i)
        queue.Append(LiveCounted(i));
    const cow_List<LiveCounted> copy = queue;
    for (int i = 0; i < 17; ++i)
        queue.RemoveFirst();
    EXPECT_EQ(queue.Array().BlockAt(0), nullptr);
}

TEST_F(Lists, ArrayListRemoveKeepsTheArraySizeAndSliceClipsAtTheCount) {
    auto list = listOf<cow_1DArrayList<LiveCounted>>({1, 2, 3});
    list.Remove(0); // leaves 2, 3 (read back below)
    EXPECT_EQ(list.Array().Size(), 3);
    EXPECT_EQ(list.Array().PartialArrayConstGet(2).value, 0);

    auto four = listOf<cow_1DArrayList<LiveCounted>>({1, 2, 3, 4});
    EXPECT_EQ(contents(four.Slice(1, 10)), (std::deque<int>{2, 3, 4}));
    EXPECT_EQ(four.Slice(3, 1).Count(), 0);
    four.Slice(1, 3, four);
    EXPECT_EQ(contents(four), (std::deque<int>{2, 3}));

    int n = 0;
    const std::unique_ptr<LiveCounted[]> c(list.GetCArray(n));
    ASSERT_EQ(n, 2);
    EXPECT_EQ(c[0].value + c[1].value * 10, 32);
}

// Random operations on a pool of entries that share storage with one another, against deques:
// a blocked array, and a cow_List and a cow_1DArrayList given the same edits. Elements past the
// end of the array's last block survive a shrink and show again on regrowth, so its model keeps
// them. After every step each container is validated and read back, two entries compare as
// their models do (lists differing in length or order among them), and the sharing counts are
// checked across the whole pool.
TEST_F(Lists, RandomOperationsOnArraysAndListsMatchDequeModels) {
    struct Entry {
        Array a;
        std::deque<int> am, beyondEnd; // the array's model
        cow_List<LiveCounted> l;
        cow_1DArrayList<LiveCounted> al;
        std::deque<int> m; // the lists' model
        void extendTo(std::size_t n) {
            for (; am.size() < n; beyondEnd.empty() ? void() : beyondEnd.pop_front())
                am.push_back(beyondEnd.empty() ? 0 : beyondEnd.front());
        }
    };
    const long before = cow_Counter::LiveCount();
    ModelPool<Entry> pool(2024);
    auto pick = [&](int n) { return pool.Pick(n); };
    for (int step = 0; step < 8000; ++step) {
        const int k = pick(pool.Size());
        Entry& e = pool.entries[k];
        const int size = int(e.am.size());
        const int count = int(e.m.size());
        const int value = pick(1000) + 1;
        const int x = pick(20);
        const int i = count ? pick(count) : 0;
        const auto at = std::find(e.m.begin(), e.m.end(), x);
        switch (pick(20)) {
        case 0: { // the array's operations
            const int j = pick(size + 6);
            e.a.Get(j) = value;
            e.extendTo(j + 1);
            e.am[j] = value;
            break;
        }
        case 1:
            e.a.GetHead() = value;
            e.am.push_front(value);
            break;
        case 2:
            if (size > 0) {
                e.a.RemoveFirst();
                e.am.pop_front();
            }
            break;
        case 3: {
            const int n = pick(size < 600 ? 2 * size + 40 : size);
            if (n == 0) {
                e.am.clear();
                e.beyondEnd.clear();
            } else if (n < size) {
                std::deque<int> cut(e.am.begin() + n, e.am.end());
                cut.insert(cut.end(), e.beyondEnd.begin(), e.beyondEnd.end());
                const int room = -(e.a.Start() + n) & (e.a.BlockSize() - 1);
                cut.resize(std::min<std::size_t>(room, cut.size()));
                e.beyondEnd = cut;
                e.am.resize(n);
            }
            e.a.Grow(n);
            e.extendTo(n);
            break;
        }
        case 4: {
            const int n = pick(size + 10);
            std::vector<LiveCounted> src(n);
            for (int j = 0; j < n; ++j)
                src[j] = value + j;
            e.a.SetFromArray(src.data(), n);
            e.extendTo(n);
            for (int j = 0; j < n; ++j)
                e.am[j] = value + j;
            break;
        }
        case 5: { // an iterator made before a write sees the old values
            const std::deque<int> old = e.am;
            ArrayIter it(e.a);
            if (size > 0) {
                const int j = pick(size);
                e.a.Get(j) = -value;
                e.am[j] = -value;
            }
            std::deque<int> seen;
            for (; it.More(); it.Next())
                seen.push_back(it.Value().value);
            ASSERT_EQ(seen, old) << "step " << step;
            break;
        }
        case 6: // the lists' operations
            e.l.Append(x);
            e.al.Append(x);
            e.m.push_back(x);
            break;
        case 7:
            e.l.Prepend(x);
            e.al.Insert(0, x);
            e.m.push_front(x);
            break;
        case 8: { // InsertAfter(Count()) appends too
            const int after = pick(count + 2) - 1;
            e.l.InsertAfter(after, x);
            e.al.Insert(std::min(after + 1, count), x);
            e.m.insert(e.m.begin() + std::min(after + 1, count), x);
            break;
        }
        case 9:
            if (count) {
                e.l.RemoveIndex(i);
                e.al.Remove(i);
                e.m.erase(e.m.begin() + i);
            }
            break;
        case 10:
            if (count) {
                e.l.RemoveLast();
                ASSERT_EQ(e.al.Pop().value, e.m.back());
                e.m.pop_back();
            }
            break;
        case 11:
            if (count) {
                e.l.RemoveFirst();
                e.al.Remove(0);
                e.m.pop_front();
            }
            break;
        case 12: {
            const auto last = std::find(e.m.rbegin(), e.m.rend(), x);
            ASSERT_EQ(e.l.Position(x), at == e.m.end() ? -1 : int(at - e.m.begin()));
            ASSERT_EQ(e.al.FindFirst(x), int(at - e.m.begin()));
            ASSERT_EQ(e.al.FindLast(x), last == e.m.rend() ? count : int(e.m.rend() - last) - 1);
            e.l.Remove(x);
            e.al.RemoveMember(x);
            if (at != e.m.end())
                e.m.erase(at);
            break;
        }
        case 13:
            e.l.AppendUnlessMember(x);
            e.al.AppendUnlessMember(x);
            if (at == e.m.end())
                e.m.push_back(x);
            break;
        case 14: { // from any list of the pool, this one included
            const Entry& other = pool.entries[pick(pool.Size())];
            if (count + other.m.size() < 500) {
                const std::deque<int> tail = other.m;
                e.l.Append(other.l);
                e.al.Append(other.al);
                e.m.insert(e.m.end(), tail.begin(), tail.end());
            }
            break;
        }
        case 15: {
            const Entry& other = pool.entries[pick(pool.Size())];
            std::deque<int> expected;
            for (int v : e.m)
                if (std::find(other.m.begin(), other.m.end(), v) == other.m.end())
                    expected.push_back(v);
            ASSERT_EQ(contents(e.l - other.l), expected);
            if (pick(8) == 0) {
                e.l.Clear();
                e.al.ClearAll();
                e.m.clear();
            }
            break;
        }
        case 16:
            if (count) {
                e.l.Get(i) = x;
                e.al.Get(i) = x;
                e.m[i] = x;
            }
            break;
        default:
            pool.Reshape(k);
        }
        // Every container read back by index and by iterator.
        std::vector<const Array*> arrays;
        for (const Entry& p : pool.entries) {
            std::string why;
            ASSERT_TRUE(p.a.validate(&why) && p.l.validate(&why) && p.al.validate(&why))
                << why << " at step " << step;
            ASSERT_EQ(p.a.Size(), int(p.am.size())) << "step " << step;
            for (int j = 0; j < p.a.Size(); ++j)
                ASSERT_EQ(p.a.PartialArrayConstGet(j).value, p.am[j]) << "step " << step;
            ASSERT_EQ(walk<ArrayIter>(p.a), p.am) << "step " << step;
            ASSERT_EQ(contents(p.l), p.m) << "step " << step;
            ASSERT_EQ(contents(p.al), p.m) << "step " << step;
            ASSERT_EQ(walk<cow_ListIter<LiveCounted>>(p.l), p.m) << "step " << step;
            ASSERT_EQ(walk<cow_1DArrayListIter<LiveCounted>>(p.al), p.m) << "step " << step;
            arrays.insert(arrays.end(), {&p.a, &p.l.Array(), &p.al.Array()});
        }
        const Entry& a = pool.entries[pick(pool.Size())];
        const Entry& b = pool.entries[pick(pool.Size())];
        ASSERT_EQ(a.l.IsEqual(b.l), a.m == b.m);
        ASSERT_EQ(a.al.IsEqual(b.al), a.m == b.m);
        ASSERT_TRUE(sharingIsExact(arrays, before)) << "step " << step;
    }
}
