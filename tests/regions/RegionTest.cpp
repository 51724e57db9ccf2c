#include "RegionWorld.h"
#include "cls_xoList.h"
#include "ddr_Ddb.h"
#include "nex_TextException.h"
#include "omu_ValueErrorException.h"
#include "rgnC_Paths.h"
#include "rgnC_PropRegionList.h"
#include "rgnC_Region.h"
#include "rgnC_RegionPair.h"
#include "rgnC_SetType.h"

#include <gtest/gtest.h>

namespace {

using RegionWorld::Region;

rgnC_Region sample() {
    return Region("TOP", {"m", "part", "inst"}, 3, 6, true);
}

using RegionStore = RegionWorld::Fixture;

} // namespace

TEST(Region, EqualityComparesTheSixFieldsOnly) {
    rgnC_Region a, b;
    EXPECT_TRUE(a == b);
    EXPECT_NE(a.Uid(), b.Uid());

    const rgnC_Region base = sample();
    EXPECT_TRUE(base == sample());
    rgnC_Region kind = base;
    kind.SetTypeObsolete(rgnC_SetType::NodeSet);
    const rgnC_Region differing[] = {
        Region("top", {"m", "part", "inst"}, 3, 6, true),
        Region("TOP", {"m", "part"}, 3, 6, true),
        Region("TOP", {"m", "part", "INST"}, 3, 6, true),
        Region("TOP", {"m", "part", "inst"}, 4, 6, true),
        Region("TOP", {"m", "part", "inst"}, 3, 2, true),
        Region("TOP", {"m", "part", "inst"}, 3, 6, false),
        kind,
    };
    for (const rgnC_Region& r : differing) {
        EXPECT_FALSE(r == base) << r.Name().c_str();
        EXPECT_TRUE(r != base);
    }
    // One owner name through either constructor is the same region.
    EXPECT_TRUE(rgnC_Region(cow_String("S"), cow_String("o"), 0, 4, false) ==
                Region("S", {"o"}, 0, 4));
}

TEST(Region, CopiesAreTheSameStoredObjectAndFullNameLeavesOutTheFirstOwner) {
    const rgnC_Region original = sample();
    const rgnC_Region copy = original;
    rgnC_Region assigned;
    assigned = original;
    for (const rgnC_Region* r : {&copy, static_cast<const rgnC_Region*>(&assigned)}) {
        EXPECT_TRUE(*r == original);
        EXPECT_EQ(r->Uid(), original.Uid());
        EXPECT_EQ(r->OwnerNames().Uid(), original.OwnerNames().Uid());
    }
    std::unique_ptr<rgnC_Region> heap(original.Copy());
    EXPECT_EQ(heap->Uid(), original.Uid());
    // Built from a list, the owner names get an identity of their own.
    cow_List<cow_String> names;
    names.Append(cow_String("a"));
    const cls_xpListString owners(names);
    EXPECT_NE(rgnC_Region(cow_String("S"), owners, 0, 0, false).OwnerNames().Uid(), owners.Uid());

    EXPECT_EQ(Region("S", {}).FullName(), cow_String("S"));
    EXPECT_EQ(rgnC_Region(cow_String("S"), cow_String("model"), 0, 0, false).FullName(),
              cow_String("S"));
    EXPECT_EQ(original.FullName(), cow_String("part.inst.TOP")); // two owners: test_regions.py
}

TEST(RegionPair, EveryFieldButTheUidCountsAndCopiesKeepIdentities) {
    EXPECT_TRUE(rgnC_RegionPair() == rgnC_RegionPair());
    const rgnC_Region a = sample(), b = Region("B", {"m"}, 0, 2);
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

TEST_F(RegionStore, APathGivesLabelInternalFlagAndKindBit) {
    ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::Create);
    StoreSets(db);
    const int expectedBits[] = {4, 2, 8, 0, 0, 0, 0}; // surface parts name no kind
    for (int k = 0; k <= 6; ++k) {
        SCOPED_TRACE("set type " + std::to_string(k));
        const rgnC_SetDataPath path = RegionWorld::SetPath("model", "sets", k);
        const rgnC_Region r(path);
        // The region named without a path (paths take no part in equality): no owners, space 0,
        // kind None.
        EXPECT_TRUE(r == Region("SET-" + std::to_string(k), {}, 0, expectedBits[k], k % 2 == 1));
        EXPECT_EQ(r.SetDataPath().ImplPtr(), path.ImplPtr()); // shared, not copied
        // ConstSet hands out the set the open database holds, not a copy.
        EXPECT_EQ(&r.ConstSet(), &db.RootObject<rgnC_SetDataMap>(cow_String("sets")).ConstGet(k));
    }
    // A failure of the path itself reaches the caller as the path raised it.
    EXPECT_THROW(rgnC_Region(RegionWorld::SetPath("elsewhere", "sets", 0)), nex_TextException);
}

// Everything the module stores of regions in one file: regions (a stored object listed twice
// keeps one row, StoredMap's StoringAStoredMapAgain test), arrays of pairs and propagating
// region lists with their state stored by name. A kind outside the table is refused when
// written, and nothing is stored; fields missing from the file read as their defaults. Kinds
// read by name: the upgrade of 204 regions; kind and state names outside their tables refused
// when read: ModuleDamage (and EnumTest for exact matching).
TEST_F(RegionStore, RegionsPairsAndPropagatingListsReadBackEqualWithTheirUids) {
    cls_xoList<rgnC_Region> regions;
    regions.Append(rgnC_Region());
    regions.Append(sample());
    regions.Append(regions.ConstGet(1)); // the same stored object again
    rgnC_PropRegionList set, removed;
    set = regions;
    removed = regions;
    removed.ForceState(mdl_PropAttributeStateEnm::Removed);
    rgnC_RegionPairArray pairs;
    for (int i = 0; i < 5; ++i)
        pairs.Append(rgnC_RegionPair(Region("M", {"m"}, 0, i), Region("S", {"m"}, 0, 2 * i),
                                     i % 2 == 0, i >= 3, i >= 3));
    {
        ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::Create);
        rgnC_Region unknown = sample();
        unknown.SetTypeObsolete(static_cast<rgnC_SetType>(6));
        EXPECT_THROW(db.StoreRoot(cow_String("r"), unknown), omu_ValueErrorException);
        EXPECT_TRUE(db.RootNames().empty());
        db.StoreRoot(cow_String("set"), set);
        db.StoreRoot(cow_String("removed"), removed);
        db.StoreRoot(cow_String("pairs"), pairs);
        db.StoreRoot(cow_String("empty"), rgnC_RegionPairArray());
        db.StoreRoot(cow_String("defaults"), Region("GONE", {"m"}, 3, 6));
        cls_SqliteConnection& sql = db.Database().Sql();
        sql.Execute("UPDATE rgnC_Region SET name = NULL, _space = NULL WHERE name = 'GONE'");
        // Pairs 1 and 3; of all pairs only 3 and 4 were suppressed, so only 4 reads back so.
        sql.Execute("UPDATE rgnC_RegionPair SET suppress = NULL WHERE ground1 = 0");
        cls_SqliteStatement st(sql, "SELECT group_concat(state) FROM (SELECT state FROM "
                                    "rgnC_PropRegionList ORDER BY 1)");
        ASSERT_TRUE(st.Step());
        EXPECT_EQ(st.Text(0), "REMOVED,SET");
    }
    ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::ReadOnly);
    const auto setBack = db.LoadRoot<rgnC_PropRegionList>(cow_String("set"));
    EXPECT_TRUE(setBack == set); // the list's value and the state
    EXPECT_EQ(setBack.Uid(), set.Uid());
    const cls_xoList<rgnC_Region>& back = setBack.ConstGet();
    EXPECT_EQ(back.Uid(), regions.Uid());
    ASSERT_EQ(back.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(back.ConstGet(i).Uid(), regions.ConstGet(i).Uid()) << i;
        EXPECT_EQ(back.ConstGet(i).OwnerNames().Uid(), regions.ConstGet(i).OwnerNames().Uid());
    }
    EXPECT_FALSE(back.ConstGet(0).SetDataPath().IsDefined());
    EXPECT_TRUE(db.LoadRoot<rgnC_PropRegionList>(cow_String("removed")) == removed);

    const auto pairsBack = db.LoadRoot<rgnC_RegionPairArray>(cow_String("pairs"));
    ASSERT_EQ(pairsBack.Count(), 5);
    for (int i = 0; i < 5; ++i) {
        const rgnC_RegionPair& p = pairs.ConstGet(i);
        EXPECT_TRUE(pairsBack.ConstGet(i) ==
                    rgnC_RegionPair(p.Region1(), p.Region2(), p.Ground1(), p.Ground2(), i == 4))
            << i;
        EXPECT_EQ(pairsBack.ConstGet(i).Uid(), p.Uid());
    }
    EXPECT_EQ(db.LoadRoot<rgnC_RegionPairArray>(cow_String("empty")).Count(), 0);
    EXPECT_TRUE(db.LoadRoot<rgnC_Region>(cow_String("defaults")) == Region("0", {"m"}, 0, 6));
}
