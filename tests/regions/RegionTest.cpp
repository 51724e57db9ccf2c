#include "Refusal.h"
#include "RegionWorld.h"
#include "cls_xoList.h"
#include "ddr_Ddb.h"
#include "nex_TextException.h"
#include "omu_ValueErrorException.h"
#include "rgnC_Paths.h"
#include "rgnC_Region.h"
#include "rgnC_SetType.h"

#include <gtest/gtest.h>

namespace {

cow_List<cow_String> names(std::initializer_list<const char*> texts) {
    cow_List<cow_String> l;
    for (const char* t : texts)
        l.Append(cow_String(t));
    return l;
}

rgnC_Region sample() { return rgnC_Region(cow_String("TOP"), names({"m", "part", "inst"}), 3, 6, true); }

using RegionStore = RegionWorld::Fixture;

} // namespace

TEST(Region, EqualityComparesTheSixFieldsOnly) {
    rgnC_Region a, b;
    EXPECT_TRUE(a == b);
    EXPECT_NE(a.Uid(), b.Uid());
    EXPECT_EQ(a.TypeObsolete(), rgnC_SetType::None);

    const rgnC_Region base = sample();
    EXPECT_TRUE(base == sample());
    rgnC_Region kind = base;
    kind.SetTypeObsolete(rgnC_SetType::NodeSet);
    const rgnC_Region differing[] = {
        rgnC_Region(cow_String("top"), names({"m", "part", "inst"}), 3, 6, true),
        rgnC_Region(cow_String("TOP"), names({"m", "part"}), 3, 6, true),
        rgnC_Region(cow_String("TOP"), names({"m", "part", "INST"}), 3, 6, true),
        rgnC_Region(cow_String("TOP"), names({"m", "part", "inst"}), 4, 6, true),
        rgnC_Region(cow_String("TOP"), names({"m", "part", "inst"}), 3, 2, true),
        rgnC_Region(cow_String("TOP"), names({"m", "part", "inst"}), 3, 6, false),
        kind,
    };
    for (const rgnC_Region& r : differing) {
        EXPECT_FALSE(r == base) << r.Name().c_str();
        EXPECT_TRUE(r != base);
    }
    // One owner name through either constructor is the same region.
    EXPECT_TRUE(rgnC_Region(cow_String("S"), cow_String("o"), 0, 4, false) ==
                rgnC_Region(cow_String("S"), names({"o"}), 0, 4, false));
}

TEST(Region, CopiesAreTheSameStoredObject) {
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
    const cls_xpListString owners(names({"a"}));
    EXPECT_NE(rgnC_Region(cow_String("S"), owners, 0, 0, false).OwnerNames().Uid(), owners.Uid());
}

TEST(Region, FullNameLeavesOutTheFirstOwner) {
    EXPECT_EQ(rgnC_Region(cow_String("S"), names({}), 0, 0, false).FullName(), cow_String("S"));
    EXPECT_EQ(rgnC_Region(cow_String("S"), cow_String("model"), 0, 0, false).FullName(),
              cow_String("S"));
    EXPECT_EQ(rgnC_Region(cow_String("S"), names({"model", "part"}), 0, 0, false).FullName(),
              cow_String("part.S"));
    EXPECT_EQ(sample().FullName(), cow_String("part.inst.TOP"));
}

TEST(Region, AnUndefinedPathGivesDefaultsAndConstSetRefusesIt) {
    const rgnC_Region r{rgnC_SetDataPath()};
    EXPECT_TRUE(r == rgnC_Region());
    EXPECT_FALSE(r.SetDataPath().IsDefined());
    EXPECT_EQ(r.TypeObsolete(), rgnC_SetType::None);
    const auto e = Refusal<nex_TextException>([&] { r.ConstSet(); });
    ASSERT_TRUE(e);
    EXPECT_STREQ(e->what(), "Cannot retrieve set - shortcut is undefined");
    EXPECT_STREQ(e->File(), "generated/module/rgn/com/impl/rgnC_Region");
    EXPECT_EQ(e->Line(), 159);
}

TEST_F(RegionStore, APathGivesLabelInternalFlagAndKindBit) {
    ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::Create);
    StoreSets(db);
    const int expectedBits[] = {4, 2, 8, 0, 0, 0, 0}; // surface parts name no kind
    for (int k = 0; k <= 6; ++k) {
        const rgnC_SetDataPath path = RegionWorld::SetPath("model", "sets", k);
        const rgnC_Region r(path);
        EXPECT_EQ(r.Name(), cow_String("SET-" + std::to_string(k)));
        EXPECT_EQ(r.Internal(), k % 2 == 1);
        EXPECT_EQ(r.SetTypeBits(), expectedBits[k]) << "set type " << k;
        EXPECT_EQ(r.TypeObsolete(), rgnC_SetType::None);
        EXPECT_EQ(r.OwnerNames().Count(), 0);
        EXPECT_EQ(r.SetDataPath().ImplPtr(), path.ImplPtr()); // shared, not copied
        // The same region named without a path: paths take no part in equality.
        EXPECT_TRUE(r == rgnC_Region(r.Name(), names({}), 0, expectedBits[k], k % 2 == 1));
        // ConstSet hands out the set the open database holds, not a copy.
        EXPECT_EQ(&r.ConstSet(), &db.RootObject<rgnC_SetDataMap>(cow_String("sets")).ConstGet(k));
    }
    // A failure of the path itself reaches the caller as the path raised it.
    EXPECT_THROW(rgnC_Region(RegionWorld::SetPath("elsewhere", "sets", 0)), nex_TextException);
}

TEST_F(RegionStore, RecordsReadBackEqualWithTheirUidsAndAreWrittenOncePerWrite) {
    cls_xoList<rgnC_Region> regions;
    regions.Append(rgnC_Region());
    regions.Append(sample());
    regions.Append(regions.ConstGet(1)); // the same stored object again
    rgnC_Region pathRegion;
    {
        ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::Create);
        StoreSets(db);
        pathRegion = rgnC_Region(RegionWorld::SetPath("model", "sets", 2));
        regions.Append(pathRegion);
        db.StoreRoot(cow_String("regions"), regions);
        EXPECT_EQ(RegionWorld::Count(db, "rgnC_Region"), 3);
        cls_SqliteStatement kind(db.Database().Sql(),
                                 "SELECT _typeObsolete FROM rgnC_Region WHERE name = ''");
        ASSERT_TRUE(kind.Step());
        EXPECT_EQ(kind.Text(0), "None");
    }
    ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::ReadOnly);
    const auto back = db.LoadRoot<cls_xoList<rgnC_Region>>(cow_String("regions"));
    ASSERT_EQ(back.Count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(back.ConstGet(i) == regions.ConstGet(i)) << i;
        EXPECT_EQ(back.ConstGet(i).Uid(), regions.ConstGet(i).Uid()) << i;
        EXPECT_EQ(back.ConstGet(i).OwnerNames().Uid(), regions.ConstGet(i).OwnerNames().Uid());
    }
    EXPECT_FALSE(back.ConstGet(0).SetDataPath().IsDefined());
    EXPECT_EQ(back.ConstGet(1).FullName(), cow_String("part.inst.TOP"));
    EXPECT_EQ(back.ConstGet(3).SetDataPath().Path(), cow_String("model.sets[2]"));
    EXPECT_EQ(back.ConstGet(3).ConstSet().SetLabel(), cow_String("SET-2"));
}

TEST_F(RegionStore, MissingFieldsReadAsDefaultsEditedKindsAreReadAndUnknownKindsAreRefused) {
    {
        ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::Create);
        db.StoreRoot(cow_String("r"), sample());
        db.Database().Sql().Execute(
            "UPDATE rgnC_Region SET name = NULL, _space = NULL, _typeObsolete = 'Node set'");
    }
    {
        ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::ReadOnly);
        const rgnC_Region r = db.LoadRoot<rgnC_Region>(cow_String("r"));
        EXPECT_EQ(r.Name(), cow_String("0"));
        EXPECT_EQ(r.Space(), 0);
        EXPECT_EQ(r.SetTypeBits(), 6);
        EXPECT_EQ(r.TypeObsolete(), rgnC_SetType::NodeSet);
    }
    for (const char* bad : {"'node set'", "NULL"}) {
        {
            ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::ReadWrite);
            db.Database().Sql().Execute(
                (std::string("UPDATE rgnC_Region SET _typeObsolete = ") + bad).c_str());
        }
        ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::ReadOnly);
        EXPECT_THROW(RegionWorld::ReadRootDirectly<rgnC_Region>(db, "r"), omu_ValueErrorException)
            << bad;
    }
}

TEST_F(RegionStore, AKindOutsideTheTableIsRefusedAndNothingIsWritten) {
    rgnC_Region r = sample();
    r.SetTypeObsolete(static_cast<rgnC_SetType>(6));
    ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::Create);
    EXPECT_THROW(db.StoreRoot(cow_String("r"), r), omu_ValueErrorException);
    EXPECT_TRUE(db.RootNames().empty());
}
