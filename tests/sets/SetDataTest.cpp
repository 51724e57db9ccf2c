#include "IdList.h"
#include "Refusal.h"
#include "nex_TextException.h"
#include "pnt_PrettyPrint.h"
#include "rgnC_Module.h"
#include "rgnC_SetData.h"
#include "rgnC_SubsetData.h"
#include "typ_DebugFlags.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr auto kNoType = static_cast<res_SetTypeEnm>(7);

std::string messageOf(auto&& call) {
    const auto e = Refusal<nex_TextException>(call);
    if (!e)
        return "(nothing thrown)";
    EXPECT_STREQ(e->File(), "generated/module/rgn/com/impl/rgnC_SetData");
    EXPECT_GT(e->Line(), 0);
    return e->what();
}

} // namespace

TEST(SetData, AddSubsetHandsOutIndicesInOrderAndFillsInTheSetType) {
    rgnC_SetData set(12, cow_String("WELD"), res_SetTypeEnm::ELEMENT_SET, false, true);
    const cow_1DArrayList<int> ids = listOf({4, 5, 6});
    set.AddSubset(0, 1, ids, kNoType, false, {});
    set.AddSubset(0, 2, listOf({7}), res_SetTypeEnm::SURFACE_FACET, true, listOf({1}));
    set.AddSubset(1, 1, listOf({8}), res_SetTypeEnm::NODE_SET, false, {});
    ASSERT_EQ(set.NumSubset(), 3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(set.SubSet(k).SubsetIndex(), k);
        EXPECT_EQ(set.SubSet(k).SetIndex(), 12);
    }
    EXPECT_EQ(set.SubSet(0).SubsetType(), res_SetTypeEnm::ELEMENT_SET);
    EXPECT_EQ(set.SubSet(1).SubsetType(), res_SetTypeEnm::SURFACE_FACET);
    EXPECT_EQ(set.SubSet(1).ClassIndex(), 2);
    // The subset shares the caller's ids.
    EXPECT_EQ(&set.SubSet(0).IdArray().ConstGet(0), &ids.ConstGet(0));

    // A refused subset leaves the set counting exactly what it holds.
    EXPECT_THROW(set.AddSubset(0, 0, listOf({1, 2}), kNoType, false, listOf({1})),
                 nex_TextException);
    EXPECT_EQ(set.NumSubset(), 3);
    EXPECT_EQ(set.SubsetList().Count(), 3);
    set.AddSubset(2, 2, listOf({9}), kNoType, false, {});
    EXPECT_EQ(set.SubSet(3).MeshIndex(), 2);
}

TEST(SetData, LookupsThrowTheRangeAndNoMatchMessages) {
    rgnC_SetData empty;
    EXPECT_EQ(messageOf([&] { empty.SubSet(0); }), "Set data index outside range [0 - 0]: 0");

    // Indices past either end of a set that holds subsets, and a mesh and class index no subset
    // has: the Python module's test_errors.py, through the bridge.
    rgnC_SetData set(1, cow_String("S"), res_SetTypeEnm::ELEMENT_SET, false, false);
    set.AddSubset(3, 4, listOf({1}), kNoType, false, {});
    set.AddSubset(3, 4, listOf({2}), kNoType, false, {});
    // Two matches: the one added first. The type is compared exactly: 7 is not the set's.
    EXPECT_EQ(set.SubSet(3, 4, res_SetTypeEnm::ELEMENT_SET).SubsetIndex(), 0);
    EXPECT_EQ(messageOf([&] { set.SubSet(3, 4, kNoType); }),
              "No set matching mesh index 3, class index 4 and type 7 was found.");
}

TEST(SetData, EqualityLooksAtTypeAndSubsetsOnly) {
    auto build = [](int setIndex, const char* label, int secondClass) {
        rgnC_SetData s(setIndex, cow_String(label), res_SetTypeEnm::NODE_SET, setIndex == 1, false);
        s.AddSubset(0, 0, listOf({1, 2}), kNoType, false, {});
        s.AddSubset(0, secondClass, listOf({3}), kNoType, false, listOf({9}));
        return s;
    };
    EXPECT_TRUE(build(1, "A", 5).IsEqual(build(2, "B", 5)));
    EXPECT_FALSE(build(1, "A", 5).IsEqual(build(1, "A", 6)));
    rgnC_SetData other(1, cow_String("A"), res_SetTypeEnm::ELEMENT_SET, false, false);
    EXPECT_FALSE(build(1, "A", 5).IsEqual(other));

    // A copy shares label and subsets and is the same stored object.
    const rgnC_SetData original = build(1, "A", 5);
    const rgnC_SetData copy(original);
    EXPECT_TRUE(copy.SetLabel().SharesWith(original.SetLabel()));
    EXPECT_EQ(&copy.SubSet(1), &original.SubSet(1));
    EXPECT_EQ(copy.Uid(), original.Uid());
}

// From debug level 3 the set prints its subsets too, each as a subset prints itself.
TEST(SetData, PrintListsTheSetAndItsSubsets) {
    std::string out, subsetText;
    rgnC_SetData set(7, cow_String("SKIN"), res_SetTypeEnm::SURFACE_NODE, true, false);
    set.AddSubset(2, 3, listOf({1, 2, 3}), kNoType, true, {});
    typ_DebugFlags::SetDebugFlags(596, 3);
    pnt_debugPrint().AttachCapture(&subsetText);
    set.SubSet(0).Print();
    pnt_debugPrint().AttachCapture(&out);
    set.Print();
    typ_DebugFlags::SetDebugFlags(596, 0);
    set.Print();
    pnt_debugPrint().AttachCapture(nullptr);
    const std::string setLines = "Set Label               = SKIN\n"
                                 "Set Index               = 7\n"
                                 "Set Type             = Surface\n"
                                 "Internal Set            = True\n"
                                 "Unsorted Set            = False\n"
                                 "Num subsets in this set = 1\n";
    EXPECT_MENTIONS(subsetText, "Node surface\nNum items in set = 3\n");
    EXPECT_EQ(out, setLines + subsetText + setLines);
}
