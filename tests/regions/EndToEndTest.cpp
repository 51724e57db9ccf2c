// A region named by a path into a stored set-data list is kept in a pair of a stored array of
// pairs and in a propagating region list under another root; after the file is closed and
// reopened, both copies come back as the same region, resolve to the same set data and make
// the same scripting tuple.
#include "RegionWorld.h"
#include "ddr_Ddb.h"
#include "rgnC_Paths.h"
#include "rgnC_PropRegionList.h"
#include "rgnC_ScriptingBridge.h"

#include <gtest/gtest.h>

#include <memory>

using RegionEndToEnd = RegionWorld::Fixture;

TEST_F(RegionEndToEnd, ARegionFromAPathSurvivesReopeningInPairsAndPropagatingLists) {
    const rgnC_SetDataMap sets = RegionWorld::SetsOfEveryKind();
    const rgnC_SetData expectedSet = sets.ConstGet(2);
    rgnC_Region region;
    {
        ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::Create);
        db.StoreRoot(cow_String("sets"), sets);
        region = rgnC_Region(RegionWorld::SetPath("model", "sets", 2));
        ASSERT_EQ(region.Name(), cow_String("SET-2"));

        rgnC_RegionPairArray contacts;
        contacts.Append(
            rgnC_RegionPair(rgnC_Region(cow_String("GROUND"), cow_String("model"), 0, 4, false),
                            region, false, true, false));
        db.StoreRoot(cow_String("contacts"), contacts);

        rgnC_PropRegionList loads;
        loads.Get().Append(region);
        db.StoreRoot(cow_String("loads"), loads);
    }

    ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::ReadOnly);
    const auto contacts = db.LoadRoot<rgnC_RegionPairArray>(cow_String("contacts"));
    const auto loads = db.LoadRoot<rgnC_PropRegionList>(cow_String("loads"));
    ASSERT_EQ(contacts.Count(), 1);
    ASSERT_EQ(loads.ConstGet().Count(), 1);
    EXPECT_TRUE(loads == mdl_PropAttributeStateEnm::Set);
    EXPECT_TRUE(contacts.ConstGet(0).Ground2());

    const rgnC_Region& inPair = contacts.ConstGet(0).Region2();
    const rgnC_Region& inList = loads.ConstGet().ConstGet(0);
    for (const rgnC_Region* back : {&inPair, &inList}) {
        EXPECT_TRUE(*back == region);
        EXPECT_EQ(back->Uid(), region.Uid());
        EXPECT_EQ(back->SetDataPath().Path(), cow_String("model.sets[2]"));

        const rgnC_SetData& set = back->ConstSet();
        EXPECT_TRUE(set.IsEqual(expectedSet));
        EXPECT_EQ(set.SetLabel(), cow_String("SET-2"));
        EXPECT_EQ(set.Uid(), expectedSet.Uid());
        EXPECT_EQ(set.SubSet(0).LookupIndex(201), 1);

        std::unique_ptr<omu_Primitive> tuple(omu_ReturnPrim(*back));
        EXPECT_EQ(tuple->AsString(0), cow_String("('SET-2', 0, 8, 0)"));
        rgnC_Region fromTuple;
        omu_Get(dynamic_cast<omu_PrimTuple&>(*tuple), fromTuple);
        EXPECT_TRUE(fromTuple == *back);
    }
    // Both copies resolve to the one set the reopened database holds, fetched once.
    EXPECT_EQ(&inPair.ConstSet(), &inList.ConstSet());
    EXPECT_EQ(db.Database().Fetches(), 2); // the set and its one subset
}
