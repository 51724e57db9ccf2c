#include "IdList.h"
#include "Refusal.h"
#include "nex_TextException.h"
#include "pnt_PrettyPrint.h"
#include "rgnC_SubsetData.h"
#include "typ_DebugFlags.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

rgnC_SubsetData subset(cow_1DArrayList<int> ids, cow_1DArrayList<int> facets = {},
                       res_SetTypeEnm type = res_SetTypeEnm::NODE_SET) {
    return rgnC_SubsetData(2, 5, 1, 9, type, false, ids, facets);
}

} // namespace

// A copy answers from a table of its own, and an assignment drops the table of the ids it
// replaces, even one built for as many ids. A repeated id answers with its first position.
TEST(SubsetData, LookupAgreesInCopiesAndAfterAssignmentAndGivesFirstPositions) {
    EXPECT_EQ(subset({}).LookupIndex(0), rgnC_SubsetData::kNotFound);
    cow_1DArrayList<int> ids, others;
    for (int i = 0; i < 100; ++i) { // several blocks of the list, negative ids among them
        ids.Append(7 * i - 300);
        others.Append(i);
    }
    const rgnC_SubsetData original = subset(ids);
    const rgnC_SubsetData copy(original);
    rgnC_SubsetData assigned = subset(others);
    EXPECT_EQ(assigned.LookupIndex(5), 5);
    assigned = original;
    for (const rgnC_SubsetData* s : {&original, &copy, &std::as_const(assigned)})
        for (int v = -300; v < 400; ++v)
            ASSERT_EQ(s->LookupIndex(v), (v + 300) % 7 ? rgnC_SubsetData::kNotFound : (v + 300) / 7)
                << v;

    const rgnC_SubsetData repeated = subset(listOf({3, 8, 3}));
    EXPECT_EQ(repeated.LookupIndex(3), 0);
    EXPECT_EQ(repeated.LookupIndex(8), 1);
    EXPECT_EQ(repeated.LookupIndex(3), 0);
}

TEST(SubsetData, PrintListsTheSubsetOnlyFromDebugLevelThree) {
    auto printed = [](const rgnC_SubsetData& s, int level) {
        std::string text;
        typ_DebugFlags::SetDebugFlags(596, level);
        pnt_debugPrint().AttachCapture(&text);
        s.Print();
        pnt_debugPrint().AttachCapture(nullptr);
        typ_DebugFlags::SetDebugFlags(596, 0);
        return text;
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
    EXPECT_EQ(RefusalText<nex_TextException>([] { subset({}).Print(); }),
              "Error - set not loaded.");
}
