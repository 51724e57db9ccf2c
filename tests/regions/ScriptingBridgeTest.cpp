#include "RegionWorld.h"
#include "omu_ValueErrorException.h"
#include "rgnC_ScriptingBridge.h"

#include <gtest/gtest.h>

#include <memory>

TEST(PrimTuple, ReadsInOrderAndRefusesWrongKindsAndLeftovers) {
    omu_PrimTuple t(2, '(');
    t.Append(cow_String("a")).Append(5);
    EXPECT_EQ(t.AsString(0), cow_String("('a', 5)"));
    t.StartReading();
    EXPECT_THROW(t.ReadInt(), omu_ValueErrorException); // element 0 is a string
    EXPECT_EQ(t.ReadString(), cow_String("a"));         // the refused read did not move on
    EXPECT_THROW(t.ReadDone(cow_String()), omu_ValueErrorException);
    EXPECT_EQ(t.ReadInt(), 5);
    t.ReadDone(cow_String());
    EXPECT_THROW(t.ReadInt(), omu_ValueErrorException); // past the end

    omu_PrimTuple outer(1, '(');
    outer.Append(std::unique_ptr<omu_Primitive>(t.Copy()));
    EXPECT_EQ(outer.AsString(0), cow_String("(('a', 5),)"));
    const std::unique_ptr<omu_Primitive> copy(outer.Copy());
    EXPECT_TRUE(*copy == outer);
    EXPECT_NE(&dynamic_cast<omu_PrimTuple&>(*copy).PrimitiveAt(0), &outer.PrimitiveAt(0));
    omu_PrimTuple other(2, '(');
    other.Append(cow_String("a")).Append(6);
    EXPECT_FALSE(other == t);
}

// What the tuples of regions and pairs hold, and reading them back, is the Python module's part
// (test_regions.py goes through the bridge both ways): here only what a script cannot see.
TEST(ScriptingBridge, ATupleThatCannotBeReadLeavesTheRegionAsItWas) {
    const rgnC_Region region = RegionWorld::Region("S", {"A", "B"}, 7, 12, true);
    rgnC_Region back = region;
    omu_PrimTuple bad(4, '(');
    bad.Append(cow_String("F")).Append(0).Append(cow_String("x")).Append(0);
    EXPECT_THROW(omu_Get(bad, back), omu_ValueErrorException);
    EXPECT_TRUE(back == region);
    EXPECT_EQ(back.Uid(), region.Uid());
}
