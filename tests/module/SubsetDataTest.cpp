#include "IdList.h"
#include "Refusal.h"
#include "nex_TextException.h"
#include "pnt_PrettyPrint.h"
#include "rgnC_SubsetData.h"
#include "typ_DebugFlags.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <unordered_map>

namespace {

rgnC_SubsetData subset(cow_1DArrayList<int> ids, cow_1DArrayList<int> facets = {},
                       res_SetTypeEnm type = res_SetTypeEnm::NODE_SET) {
    return rgnC_SubsetData(2, 5, 1, 9, type, false, ids, facets);
}

// Captures the debug printer and sets the module's debug level for one test.
class PrintCapture {
public:
    explicit PrintCapture(int level) {
        typ_DebugFlags::SetDebugFlags(596, level);
        pnt_debugPrint().AttachCapture(&text);
    }
    ~PrintCapture() {
        pnt_debugPrint().AttachCapture(nullptr);
        typ_DebugFlags::SetDebugFlags(596, 0);
    }
    std::string text;
};

} // namespace

// A repeated id answers with its first position, on every call, and -id is another id; copies and
// assignments answer alike, each from a table of its own.
TEST(SubsetData, LookupGivesTheFirstPositionAndAgreesWithAModelAfterCopies) {
    EXPECT_EQ(subset({}).LookupIndex(0), rgnC_SubsetData::kNotFound);
    const rgnC_SubsetData repeated = subset(listOf({3, 8, 3}));
    EXPECT_EQ(repeated.LookupIndex(3), 0);
    EXPECT_EQ(repeated.LookupIndex(8), 1);
    EXPECT_EQ(repeated.LookupIndex(3), 0);
    std::mt19937 rng(404);
    std::uniform_int_distribution<int> id(-50000, 200000);
    cow_1DArrayList<int> ids;
    std::unordered_map<int, int> firstPosition;
    for (int i = 0; i < 30000; ++i) {
        const int v = id(rng);
        if (firstPosition.emplace(v, ids.Count()).second)
            ids.Append(v);
    }
    const rgnC_SubsetData original = subset(ids);
    const rgnC_SubsetData copy(original); // its table starts empty
    rgnC_SubsetData assigned = subset(listOf({1}));
    EXPECT_EQ(assigned.LookupIndex(1), 0);
    assigned = original;
    for (int probe = 0; probe < 20000; ++probe) {
        const int v = probe % 2 ? -ids.ConstGet(probe) : id(rng);
        auto it = firstPosition.find(v);
        const int expected = it == firstPosition.end() ? rgnC_SubsetData::kNotFound : it->second;
        ASSERT_EQ(original.LookupIndex(v), expected);
        ASSERT_EQ(copy.LookupIndex(v), expected);
        ASSERT_EQ(assigned.LookupIndex(v), expected);
    }
    EXPECT_EQ(assigned.LookupIndex(1),
              firstPosition.count(1) ? firstPosition[1] : rgnC_SubsetData::kNotFound)
        << "the old table did not survive assignment";
    EXPECT_EQ(copy.Uid(), original.Uid());
    EXPECT_EQ(assigned.Uid(), original.Uid());
}

TEST(SubsetData, ConstructionSharesTheListsAndChecksFacetLength) {
    const cow_1DArrayList<int> ids = listOf({1, 2, 3});
    const rgnC_SubsetData s = subset(ids, listOf({7, 8, 9}));
    EXPECT_EQ(&s.IdArray().ConstGet(0), &ids.ConstGet(0)); // no id was copied
    EXPECT_TRUE(s.ConstructionOk());
    EXPECT_NO_THROW(subset(ids));

    const auto e = Refusal<nex_TextException>([&] { subset(ids, listOf({7, 8})); });
    ASSERT_TRUE(e);
    EXPECT_STREQ(e->what(), "Error - wrong facet ids array length.");
    EXPECT_STREQ(e->File(), "generated/module/rgn/com/impl/rgnC_SubsetData");
    EXPECT_GT(e->Line(), 0);
}

TEST(SubsetData, PrintListsTheSubsetOnlyFromDebugLevelThree) {
    auto printed = [](const rgnC_SubsetData& s, int level) {
        PrintCapture capture(level);
        s.Print();
        return capture.text;
    };
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
    const char* kinds[] = {"Facetless surface", "Faceted surface", "Edge contact surface",
                           "Node surface"};
    for (int t = 3; t <= 6; ++t) {
        const auto surface = subset(listOf({1}), {}, static_cast<res_SetTypeEnm>(t));
        EXPECT_MENTIONS(printed(surface, 5), std::string("\n") + kinds[t - 3] + "\n");
    }
    EXPECT_EQ(RefusalText<nex_TextException>([&] { printed(subset({}), 0); }),
              "Error - set not loaded.");
}
