#include "IdList.h"
#include "Refusal.h"
#include "nex_TextException.h"
#include "pnt_PrettyPrint.h"
#include "rgnC_SetData.h"
#include "rgnC_SubsetData.h"
#include "typ_DebugFlags.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

constexpr auto kNoType = static_cast<res_SetTypeEnm>(7);

rgnC_SubsetData subset(cow_1DArrayList<int> ids, res_SetTypeEnm type = res_SetTypeEnm::NODE_SET) {
    return rgnC_SubsetData(2, 5, 1, 9, type, false, ids, {});
}

// What a set or a subset prints at the debug level given.
std::string printed(const auto& s, int level) {
    std::string text;
    typ_DebugFlags::SetDebugFlags(596, level);
    pnt_debugPrint().AttachCapture(&text);
    s.Print();
    pnt_debugPrint().AttachCapture(nullptr);
    typ_DebugFlags::SetDebugFlags(596, 0);
    return text;
}

} // namespace

// The messages of lookups that fail, with their source position, and indices past either end of
// a set that holds subsets: the Python module's test_errors.py, through the bridge.
TEST(SetData, AddSubsetHandsOutIndicesInOrderAndLookupsTakeTheFirstExactMatch) {
    EXPECT_THROW(rgnC_SetData().SubSet(0), nex_TextException);
    rgnC_SetData set(12, cow_String("WELD"), res_SetTypeEnm::ELEMENT_SET, false, true);
    const cow_1DArrayList<int> ids = listOf({4, 5, 6});
    set.AddSubset(0, 1, ids, kNoType, false, {});
    set.AddSubset(0, 2, listOf({7}), res_SetTypeEnm::SURFACE_FACET, true, listOf({1}));
    set.AddSubset(0, 1, listOf({8}), kNoType, false, {});
    ASSERT_EQ(set.NumSubset(), 3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(set.SubSet(k).SubsetIndex(), k);
        EXPECT_EQ(set.SubSet(k).SetIndex(), 12);
    }
    // A subset given no type (7) takes the set's, so 7 matches none; of two matches, the first.
    EXPECT_EQ(&set.SubSet(0, 1, res_SetTypeEnm::ELEMENT_SET), &set.SubSet(0));
    EXPECT_EQ(&set.SubSet(0, 2, res_SetTypeEnm::SURFACE_FACET), &set.SubSet(1));
    EXPECT_THROW(set.SubSet(0, 1, kNoType), nex_TextException);
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

// A copy answers from a table of its own, and an assignment drops the table of the ids it
// replaces, even one built for as many ids. A repeated id answers with its first position.
TEST(SubsetData, LookupAgreesInCopiesAndAfterAssignmentAndGivesFirstPositions) {
    EXPECT_EQ(subset({}).LookupIndex(0), rgnC_SubsetData::kNotFound);
    // Several blocks of the list, negative ids among them.
    const rgnC_SubsetData original = subset(idsFrom(-300, 100, 7));
    const rgnC_SubsetData copy(original);
    rgnC_SubsetData assigned = subset(idsFrom(0, 100));
    EXPECT_EQ(assigned.LookupIndex(5), 5);
    assigned = original;
    for (const rgnC_SubsetData* s : {&original, &copy, &std::as_const(assigned)})
        for (int v = -300; v < 400; ++v)
            ASSERT_EQ(s->LookupIndex(v), (v + 300) % 7 ? rgnC_SubsetData::kNotFound : (v + 300) / 7)
                << v;

    const rgnC_SubsetData repeated = subset(listOf({3, 8, 3}));
    EXPECT_EQ(repeated.LookupIndex(3), 0);
    EXPECT_EQ(repeated.LookupIndex(8), 1);
}

// A set prints its own fields at any debug level, and from level 3 its subsets too, each as the
// subset prints itself: its fields, its kind of surface (or "Unknown") and its size; a subset
// prints nothing below level 3.
TEST(SetData, SetsAndSubsetsPrintFromDebugLevelThree) {
    rgnC_SetData set(7, cow_String("SKIN"), res_SetTypeEnm::SURFACE_NODE, true, false);
    set.AddSubset(2, 3, listOf({1, 2, 3}), kNoType, true, {});
    const std::string setLines = "Set Label               = SKIN\n"
                                 "Set Index               = 7\n"
                                 "Set Type             = Surface\n"
                                 "Internal Set            = True\n"
                                 "Unsorted Set            = False\n"
                                 "Num subsets in this set = 1\n";
    const std::string subsetText = printed(set.SubSet(0), 3);
    EXPECT_MENTIONS(subsetText, "Node surface\nNum items in set = 3\n");
    EXPECT_EQ(printed(set, 3), setLines + subsetText);
    EXPECT_EQ(printed(set, 0), setLines);

    const rgnC_SubsetData s(4, 6, 1, 12, res_SetTypeEnm::ELEMENT_SET, true, listOf({5, 6}), {});
    EXPECT_EQ(printed(s, 2), "");
    EXPECT_EQ(printed(s, 3), "Set Index        = 12\n"
                             "SubSet Index     = 1\n"
                             "Mesh Index       = 4\n"
                             "Class Data Index = 6\n"
                             "Subset Type      = 1\n"
                             "Unsorted         = YES\n"
                             "Unknown\n"
                             "Num items in set = 2\n");
    const char* kinds[] = {"Facetless surface", "Faceted surface", "Edge contact surface"};
    for (int t = 3; t <= 5; ++t) {
        const auto surface = subset(listOf({1}), static_cast<res_SetTypeEnm>(t));
        EXPECT_MENTIONS(printed(surface, 5), std::string("\n") + kinds[t - 3] + "\n");
    }
    EXPECT_EQ(RefusalText<nex_TextException>([] { subset({}).Print(); }),
              "Error - set not loaded.");
}
