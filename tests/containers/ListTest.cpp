#include "ArrayChecks.h"
#include "ModelPool.h"
#include "NoLeaks.h"
#include "cow_1DArrayList.h"
#include "cow_1DArrayListIter.h"
#include "cow_List.h"
#include "cow_ListIter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <random>
#include <vector>

namespace {

template <class L>
std::deque<int> contents(const L& list) {
    std::deque<int> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list.ConstGet(i).value);
    return out;
}

template <class L>
L listOf(std::initializer_list<int> values) {
    L list;
    for (int v : values)
        list.Append(LiveCounted(v));
    return list;
}

using Lists = NoLeaks;

template <class L>
class BothLists : public NoLeaks {};
using ListTypes = testing::Types<cow_List<LiveCounted>, cow_1DArrayList<LiveCounted>>;
TYPED_TEST_SUITE(BothLists, ListTypes);

} // namespace

TYPED_TEST(BothLists, CopiesShareAndEqualityComparesOnlyUnsharedBlocks) {
    TypeParam a;
    for (int i = 0; i < 40; ++i)
        a.Append(LiveCounted(i));
    TypeParam b = a;
    EXPECT_EQ(&a.ConstGet(33), &b.ConstGet(33));
    LiveCounted::compares = 0;
    EXPECT_TRUE(a.IsEqual(b));
    EXPECT_EQ(LiveCounted::compares, 0);

    b.Get(33) = LiveCounted(-1); // copies block 2 only
    EXPECT_EQ(a.ConstGet(33).value, 33);
    EXPECT_EQ(&a.ConstGet(0), &b.ConstGet(0));
    EXPECT_FALSE(a.IsEqual(b));
    EXPECT_GT(LiveCounted::compares, 0);
    EXPECT_LE(LiveCounted::compares, 16) << "only the unshared block is compared";

    EXPECT_FALSE(listOf<TypeParam>({1, 2, 3}).IsEqual(listOf<TypeParam>({3, 2, 1})));
    EXPECT_FALSE(listOf<TypeParam>({1, 2}).IsEqual(listOf<TypeParam>({1, 2, 3})));
}

TEST_F(Lists, FrontRemovalReleasesALeftBlockAtOnce) {
    const long before = cow_Counter::LiveCount();
    cow_List<LiveCounted> queue;
    for (int i = 0; i < 20; ++i)
        queue.Append(LiveCounted(i));
    const cow_List<LiveCounted> copy = queue;
    for (int i = 0; i < 17; ++i)
        queue.RemoveFirst();
    EXPECT_EQ(contents(queue), (std::deque<int>{17, 18, 19}));
    EXPECT_EQ(queue.Array().BlockAt(0), nullptr);
    EXPECT_EQ(copy.ConstGet(0).value, 0) << "the copy keeps the released block";
    EXPECT_TRUE(SharingIsExact<LiveCounted>({&queue.Array(), &copy.Array()}, before));
}

TEST_F(Lists, ArrayListRemoveKeepsTheArraySizeAndSliceClipsAtTheCount) {
    auto list = listOf<cow_1DArrayList<LiveCounted>>({1, 2, 3});
    list.Remove(0);
    EXPECT_EQ(contents(list), (std::deque<int>{2, 3}));
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

// Random operations on a pool of list pairs (a cow_List and a cow_1DArrayList given the same
// edits) that share storage with one another, against deques. After every step each list is
// validated and read back, and the sharing counts are checked across the whole pool.
TEST_F(Lists, RandomOperationsMatchADequeModel) {
    struct Entry {
        cow_List<LiveCounted> l;
        cow_1DArrayList<LiveCounted> al;
        std::deque<int> m;
    };
    const long before = cow_Counter::LiveCount();
    ModelPool<Entry> pool(2024);
    auto pick = [&](int n) { return pool.Pick(n); };
    for (int step = 0; step < 3000; ++step) {
        const int k = pick(pool.Size());
        Entry& e = pool.entries[k];
        const int count = int(e.m.size());
        const int x = pick(20);
        const int i = count ? pick(count) : 0;
        const auto at = std::find(e.m.begin(), e.m.end(), x);
        switch (pick(12)) {
        case 0:
            e.l.Append(x);
            e.al.Append(x);
            e.m.push_back(x);
            break;
        case 1:
            e.l.Prepend(x);
            e.al.Insert(0, x);
            e.m.push_front(x);
            break;
        case 2: { // InsertAfter(Count()) appends too
            const int after = pick(count + 2) - 1;
            e.l.InsertAfter(after, x);
            e.al.Insert(std::min(after + 1, count), x);
            e.m.insert(e.m.begin() + std::min(after + 1, count), x);
            break;
        }
        case 3:
            if (count) {
                e.l.RemoveIndex(i);
                e.al.Remove(i);
                e.m.erase(e.m.begin() + i);
            }
            break;
        case 4:
            if (count) {
                e.l.RemoveLast();
                ASSERT_EQ(e.al.Pop().value, e.m.back());
                e.m.pop_back();
            }
            break;
        case 5:
            if (count) {
                e.l.RemoveFirst();
                e.al.Remove(0);
                e.m.pop_front();
            }
            break;
        case 6: {
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
        case 7:
            e.l.AppendUnlessMember(x);
            e.al.AppendUnlessMember(x);
            if (at == e.m.end())
                e.m.push_back(x);
            break;
        case 8: { // from any list of the pool, this one included
            const Entry& other = pool.entries[pick(pool.Size())];
            if (count + other.m.size() < 500) {
                const std::deque<int> tail = other.m;
                e.l.Append(other.l);
                e.al.Append(other.al);
                e.m.insert(e.m.end(), tail.begin(), tail.end());
            }
            break;
        }
        case 9: {
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
        case 10: {
            if (count) {
                e.l.Get(i) = x;
                e.al.Get(i) = x;
                e.m[i] = x;
            }
            std::deque<int> walked, walkedArray;
            for (cow_ListIter<LiveCounted> it(e.l); it.More(); it.Next())
                walked.push_back(it.Value().value);
            for (cow_1DArrayListIter<LiveCounted> it(e.al); it.More(); it.Next())
                walkedArray.push_back(it.Value().value);
            ASSERT_EQ(walked, e.m);
            ASSERT_EQ(walkedArray, e.m);
            break;
        }
        case 11:
            pool.Reshape(k);
            break;
        }
        std::vector<const cow_1DArray<LiveCounted>*> arrays;
        for (const Entry& p : pool.entries) {
            std::string why;
            ASSERT_TRUE(p.l.validate(&why) && p.al.validate(&why)) << why << " at " << step;
            ASSERT_EQ(contents(p.l), p.m) << "step " << step;
            ASSERT_EQ(contents(p.al), p.m) << "step " << step;
            arrays.push_back(&p.l.Array());
            arrays.push_back(&p.al.Array());
        }
        const Entry& a = pool.entries[pick(pool.Size())];
        const Entry& b = pool.entries[pick(pool.Size())];
        ASSERT_EQ(a.l.IsEqual(b.l), a.m == b.m);
        ASSERT_EQ(a.al.IsEqual(b.al), a.m == b.m);
        ASSERT_TRUE(SharingIsExact<LiveCounted>(arrays, before)) << "step " << step;
    }
}
