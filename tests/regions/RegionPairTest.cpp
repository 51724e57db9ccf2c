#include "RegionWorld.h"
#include "ddr_Ddb.h"
#include "rgnC_RegionPair.h"

#include <gtest/gtest.h>

namespace {

rgnC_Region named(const char* name, int bits) {
    return rgnC_Region(cow_String(name), cow_String("model"), 0, bits, false);
}

using RegionPairStore = RegionWorld::Fixture;

} // namespace

TEST(RegionPair, EveryFieldButTheUidCountsAndCopiesKeepIdentities) {
    EXPECT_TRUE(rgnC_RegionPair() == rgnC_RegionPair());
    const rgnC_Region a = named("A", 4), b = named("B", 2);
    const rgnC_RegionPair p(a, b, true, false, false);
    EXPECT_EQ(p.Region1().Uid(), a.Uid()); // the regions keep their identities
    EXPECT_NE(p.Uid(), rgnC_RegionPair(a, b, true, false, false).Uid());
    EXPECT_TRUE(p == rgnC_RegionPair(a, b, true, false, false));
    for (const rgnC_RegionPair& q :
         {rgnC_RegionPair(b, b, true, false, false), rgnC_RegionPair(a, a, true, false, false),
          rgnC_RegionPair(a, b, false, false, false), rgnC_RegionPair(a, b, true, true, false),
          rgnC_RegionPair(a, b, true, false, true)})
        EXPECT_FALSE(q == p);

    rgnC_RegionPair copy;
    copy = p;
    EXPECT_EQ(copy.Uid(), p.Uid());
    EXPECT_TRUE(copy == p);
}

// Stored arrays of pairs come back equal with every uid; a flag missing from the file reads
// false.
TEST_F(RegionPairStore, ArraysOfPairsRoundTripWithEveryUidAndAMissingFlagReadsFalse) {
    rgnC_RegionPairArray pairs;
    for (int i = 0; i < 5; ++i)
        pairs.Append(rgnC_RegionPair(named("M", i), named("S", 2 * i), i % 2 == 0, i >= 3, i == 4));
    {
        ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::Create);
        db.StoreRoot(cow_String("pairs"), pairs);
        db.StoreRoot(cow_String("empty"), rgnC_RegionPairArray());
    }
    {
        ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::ReadWrite);
        const auto back = db.LoadRoot<rgnC_RegionPairArray>(cow_String("pairs"));
        ASSERT_EQ(back.Count(), 5);
        for (int i = 0; i < 5; ++i) {
            const rgnC_RegionPair& p = back.ConstGet(i);
            EXPECT_TRUE(p == pairs.ConstGet(i)) << i;
            EXPECT_EQ(p.Uid(), pairs.ConstGet(i).Uid());
        }
        EXPECT_EQ(db.LoadRoot<rgnC_RegionPairArray>(cow_String("empty")).Count(), 0);
        db.Database().Sql().Execute("UPDATE rgnC_RegionPair SET suppress = NULL");
    }
    ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::ReadOnly);
    const rgnC_RegionPair back = db.LoadRoot<rgnC_RegionPairArray>(cow_String("pairs")).ConstGet(4);
    EXPECT_FALSE(back.Suppress());
    EXPECT_TRUE(back.Ground1() && back.Ground2());
}
