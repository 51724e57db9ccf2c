#include "ModelPool.h"
#include "NoLeaks.h"
#include "cow_ArrayCOW.h"
#include "cow_BtreeIterator.h"
#include "cow_Virtual.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numeric>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using Shared = cow_ArrayCOW<LiveCounted, cow_Virtual<LiveCounted>>;

// Values under test are made from, and read back as, ints.
struct Values {
    static int make(int x, int) { return x; }
    static Shared make(int x, const Shared&) { return Shared(new LiveCounted(x)); }
    static int read(int v) { return v; }
    static int read(const Shared& v) { return v->value; }
};

// Compares count, content, and both walking directions with the model.
template <class V>
::testing::AssertionResult matches(const cow_Btree<int, V>& t, const std::map<int, int>& m) {
    std::vector<std::pair<int, int>> fwd, back;
    cow_BtreeIterator<int, V> it(t);
    for (it.First(); !it.IsDone(); it.Next())
        fwd.emplace_back(it.Key(), Values::read(it.Value()));
    for (it.Last(); !it.IsDone(); it.Previous())
        back.emplace(back.begin(), it.Key(), Values::read(it.Value()));
    const std::vector<std::pair<int, int>> expected(m.begin(), m.end());
    if (t.Count() != int(m.size()) || fwd != expected || back != expected)
        return ::testing::AssertionFailure() << "tree differs from its model";
    return ::testing::AssertionSuccess();
}

template <class V>
::testing::AssertionResult valid(const cow_Btree<int, V>& t) {
    std::string why;
    return t.validate(&why) ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << why;
}

template <class V>
class BtreeModel : public NoLeaks {};
using ValueTypes = ::testing::Types<int, Shared>;
TYPED_TEST_SUITE(BtreeModel, ValueTypes);
using Btree = NoLeaks;

using IntTree = cow_Btree<int, int>;
using SharedTree = cow_Btree<int, Shared>;

// The tree's shape down to `depth` levels: "key(left,right)", a leaf as its key, an absent
// child as nothing.
std::string shape(const IntTree::Node* n, int depth = 99) {
    if (!n || (!n->Left() && !n->Right()) || depth == 0)
        return n ? std::to_string(n->Key()) : "";
    return std::to_string(n->Key()) + "(" + shape(n->Left(), depth - 1) + "," +
           shape(n->Right(), depth - 1) + ")";
}

IntTree treeOf(std::initializer_list<int> keys) {
    IntTree t;
    for (int k : keys)
        t.InsertUnlessMember(k, k);
    return t;
}

} // namespace

// Several versions change at random, each through insertion, removal, writable lookup, filling
// from ascending keys when empty, and copies or assignments of one another; every version must
// keep matching its own model.
TYPED_TEST(BtreeModel, RandomChangesToManyVersionsMatchStdMap) {
    using V = TypeParam;
    struct Version {
        cow_Btree<int, V> tree;
        std::map<int, int> model;
    };
    ModelPool<Version> versions(7321, 8);
    for (int step = 0; step < 6000; ++step) {
        const int i = versions.Pick(versions.Size());
        const int key = versions.Pick(400) - 200;
        const int value = versions.Pick(1000);
        cow_Btree<int, V>& t = versions.entries[i].tree;
        std::map<int, int>& m = versions.entries[i].model;
        const int op = versions.Pick(10);
        if (op < 4) {
            ASSERT_EQ(t.InsertUnlessMember(key, Values::make(value, V())),
                      m.emplace(key, value).second);
        } else if (op < 7) {
            ASSERT_EQ(t.Remove(key), m.erase(key) == 1);
        } else if (op == 7) {
            const auto* node = t.ConstFind(key);
            ASSERT_EQ(node != nullptr, m.count(key) == 1);
            if (node) {
                ASSERT_EQ(Values::read(node->Value()), m[key]);
            }
        } else if (op == 8) {
            if (auto* node = t.Find(key)) {
                node->Value() =
                    Values::make(value, V()); // in place: the path is private to this version
                m.at(key) = value;
            } else {
                ASSERT_EQ(m.count(key), 0u);
            }
        } else if (t.IsEmpty()) { // every node holds the one value, balanced at once
            std::vector<int> keys;
            for (int k = key, n = versions.Pick(300) + 1; n > 0; --n, k += versions.Pick(5) + 1)
                keys.push_back(k), m[k] = value;
            ASSERT_TRUE(t.FillAscending(keys, Values::make(value, V())));
            ASSERT_TRUE(matches(t, m)) << "step " << step;
        } else {
            versions.Reshape(i); // `t` and `m` dangle from here on
        }
        for (const Version& v : versions.entries) { // the last step's check is the final one
            ASSERT_TRUE(valid(v.tree)) << "step " << step;
            if (step % 100 == 99) {
                ASSERT_TRUE(matches(v.tree, v.model)) << "step " << step;
            }
        }
    }
}

TEST_F(Btree, SingleRotationsCountAnAbsentChildAsALeaf) {
    IntTree t = treeOf({1, 2, 3});
    EXPECT_EQ(shape(t.RootNode()), "1(,2(,3))"); // a right subtree of height 1 is in balance
    t.InsertUnlessMember(4, 4);
    EXPECT_EQ(shape(t.RootNode()), "2(1,3(,4))"); // a left rotation at the root
    EXPECT_EQ(shape(treeOf({4, 3, 2, 1}).RootNode()), "3(2(1,),4)");

    // Not a guarantee for every input, but sorted and shuffled runs must stay logarithmic.
    std::vector<int> keys(20000);
    std::iota(keys.begin(), keys.end(), 0);
    IntTree up, shuffled;
    for (int k : keys)
        up.InsertUnlessMember(k, k);
    std::shuffle(keys.begin(), keys.end(), std::mt19937(5));
    for (int k : keys)
        shuffled.InsertUnlessMember(k, k);
    EXPECT_LE(up.RootNode()->Height(), 1.5 * std::log2(keys.size()));
    EXPECT_LE(shuffled.RootNode()->Height(), 1.5 * std::log2(keys.size()));
}

TEST_F(Btree, RemovalPutsTheSuccessorInPlaceAndRebalances) {
    IntTree three = treeOf({2, 1, 3});
    EXPECT_TRUE(three.Remove(2));
    EXPECT_EQ(shape(three.RootNode()), "3(1,)");

    IntTree t = treeOf({4, 2, 6, 1, 3, 5, 7}); // a full tree of height 2
    EXPECT_TRUE(t.Remove(2));                  // its successor is its right child
    EXPECT_EQ(shape(t.RootNode()), "4(3(1,),6(5,7))");
    EXPECT_TRUE(t.Remove(4)); // its successor lies deeper, left of 6
    EXPECT_EQ(shape(t.RootNode()), "5(3(1,),6(,7))");
    EXPECT_TRUE(valid(t)); // heights exact along the successor path too

    IntTree full; // 1..31 by levels: a full tree of height 4, rooted at 16
    for (int step = 16; step >= 1; step /= 2)
        for (int k = step; k < 32; k += 2 * step)
            full.InsertUnlessMember(k, k);
    for (int k = 1; k <= 7; ++k)
        full.Remove(k);
    EXPECT_EQ(shape(full.RootNode(), 2), "16(12(8,14),24(20,28))"); // 8 lost its left: rotated
    for (int k = 8; k <= 15; ++k)
        full.Remove(k);
    EXPECT_EQ(shape(full.RootNode(), 1), "24(20,28)"); // the root's left emptied: rotated there
    EXPECT_TRUE(valid(full));
}

// Keys of the nodes that a search for `key` visits.
std::set<int> searchPath(const SharedTree& t, int key) {
    std::set<int> path;
    for (const auto* n = t.RootNode(); n; n = key < n->Key() ? n->Left() : n->Right()) {
        path.insert(n->Key());
        if (n->Key() == key)
            break;
    }
    return path;
}

TEST_F(Btree, CopiesShareEveryNodeOffTheChangedPath) {
    SharedTree t1;
    std::mt19937 rng(99);
    for (int i = 0; i < 300; ++i) {
        const int k = static_cast<int>(rng() % 2000) * 2; // even: odd keys are free to insert
        t1.InsertUnlessMember(k, Shared(new LiveCounted(k)));
    }
    std::map<int, const SharedTree::Node*> before, parentOf;
    cow_BtreeIterator<int, Shared> it(t1);
    for (it.First(); !it.IsDone(); it.Next()) {
        const auto& n = it.Current();
        before[n.Key()] = &n;
        for (const auto* c : {n.Left(), n.Right()})
            if (c)
                parentOf[c->Key()] = &n;
    }
    const int copies = LiveCounted::copies;

    // What each version holds after the changes below, the randomized run checks; here, what a
    // copy shares.
    SharedTree t2;
    t2 = t1;
    for (const auto& [k, n] : before)
        ASSERT_EQ(t2.ConstFind(k), n); // reading copies nothing

    const int added = 1001;
    const std::set<int> path = searchPath(t1, added);
    ASSERT_TRUE(t2.InsertUnlessMember(added, Shared(new LiveCounted(added))));
    for (const auto& [k, n] : before) {
        const auto* n2 = t2.ConstFind(k);
        if (path.count(k)) {
            EXPECT_NE(n2, n) << k; // un-shared
        } else if (!parentOf.count(k) || !path.count(parentOf[k]->Key())) {
            EXPECT_EQ(n2, n) << k; // only a path node's child can be copied, by a rotation
        }
    }

    // A writable lookup un-shares exactly the search path, even for an absent key.
    SharedTree t3 = t1;
    EXPECT_EQ(t3.Find(added), nullptr);
    for (const auto& [k, n] : before)
        EXPECT_EQ(t3.ConstFind(k) != n, path.count(k) == 1) << k;
    EXPECT_EQ(LiveCounted::copies, copies); // nodes copied, values shared

    // Emptying a tree releases what only it held (the value of the key added to the copy).
    const int live = LiveCounted::live;
    t2 = SharedTree();
    EXPECT_EQ(LiveCounted::live, live - 1);
}

TEST_F(Btree, FillingRefusesKeysOutOfOrderOrSpanningTheWrappedOrder) {
    IntTree tree;
    EXPECT_FALSE(tree.FillAscending({3, 2}, 0));
    EXPECT_FALSE(tree.FillAscending({-2000000000, 2000000000}, 0));
    EXPECT_TRUE(tree.IsEmpty());
    EXPECT_TRUE(tree.FillAscending({1, 2}, 0));
    EXPECT_FALSE(tree.FillAscending({5}, 0)) << "a tree already filled";
}
