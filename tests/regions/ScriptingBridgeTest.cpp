#include "RegionWorld.h"
#include "omu_ValueErrorException.h"
#include "rgnC_ScriptingBridge.h"
#include "rgnC_SetType.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using RegionWorld::Region;

std::unique_ptr<omu_PrimTuple> tupleOf(omu_Primitive* p) {
    auto* t = dynamic_cast<omu_PrimTuple*>(p);
    EXPECT_NE(t, nullptr);
    return std::unique_ptr<omu_PrimTuple>(t);
}

} // namespace

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

TEST(ScriptingBridge, RegionTuplesHoldNameOwnersSpaceBitsAndFlag) {
    // The text shows each element's kind: strings quoted, numbers bare.
    EXPECT_EQ(tupleOf(omu_ReturnPrim(Region("S", {}, 7, 12, false)))->AsString(0),
              cow_String("('S', 7, 12, 0)"));
    const rgnC_Region region = Region("S", {"A", "B"}, 7, 12, true);
    const auto t = tupleOf(omu_ReturnPrim(region));
    EXPECT_EQ(t->AsString(0), cow_String("('S', 'A', 'B', 7, 12, 1)"));

    rgnC_Region back(Region("S", {"X"}, 7, 12, false));
    omu_Get(*t, back);
    EXPECT_TRUE(back == region);
    EXPECT_NE(back.Uid(), region.Uid());

    // The kind is not carried: a region of another kind comes back as None.
    rgnC_Region kind = region;
    kind.SetTypeObsolete(rgnC_SetType::ElementSet);
    omu_Get(*tupleOf(omu_ReturnPrim(kind)), back);
    EXPECT_FALSE(back == kind);

    omu_PrimTuple flag(4, '(');
    flag.Append(cow_String("F")).Append(0).Append(0).Append(-3);
    omu_Get(flag, back);
    EXPECT_TRUE(back.Internal());

    // A tuple that cannot be read leaves the target as it was.
    omu_PrimTuple bad(4, '(');
    bad.Append(cow_String("F")).Append(0).Append(cow_String("x")).Append(0);
    EXPECT_THROW(omu_Get(bad, back), omu_ValueErrorException);
    EXPECT_EQ(back.Name(), cow_String("F"));
}

TEST(ScriptingBridge, PairsAndArraysNestRegionTuples) {
    const rgnC_RegionPair pair(Region("S", {"A"}, 7, 12, false), Region("S", {}, 7, 12, true), true,
                               true, true);
    const auto p = tupleOf(omu_ReturnPrim(pair));
    EXPECT_EQ(p->AsString(0), cow_String("(('S', 'A', 7, 12, 0), ('S', 7, 12, 1))"));

    rgnC_RegionPairArray pairs;
    EXPECT_EQ(tupleOf(omu_ReturnPrim(pairs))->Size(), 0);
    pairs.Append(pair);
    pairs.Append(rgnC_RegionPair());
    const auto a = tupleOf(omu_ReturnPrim(pairs));
    ASSERT_EQ(a->Size(), 2);
    EXPECT_TRUE(a->PrimitiveAt(0) == *p);
    EXPECT_EQ(a->PrimitiveAt(1).AsString(0), cow_String("(('', 0, 0, 0), ('', 0, 0, 0))"));
}
