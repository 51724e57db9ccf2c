#include "Probe.h"
#include "TempDir.h"
#include "cls_Map2Obj.h"
#include "cls_xoList.h"
#include "ddr_Ddb.h"
#include "nex_Exception.h"

#include <gtest/gtest.h>

namespace {

using ProbeMap = cls_Map2Obj<int, Probe, cow_ArrayCOW<Probe, cow_Virtual<Probe>>>;

class RoundTrip : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Probe::Register(); }
    TempDir dir;
};

Probe filled(int n) {
    Probe p(n, ("probe " + std::to_string(n)).c_str(), res_SetTypeEnm::SURFACE_EDGE);
    p.flag = n % 2 == 1;
    for (int i = 0; i < n * 10; ++i)
        p.ids.Append(i * 7 - 3);
    p.names.Append(cow_String("a"));
    p.names.Append(cow_String(""));
    p.names.Append(cow_String("c d"));
    return p;
}

} // namespace

TEST_F(RoundTrip, MapOfObjectsReadsKeysOnlyAndFetchesEachEntryOnce) {
    const std::string file = dir.File("m.db");
    {
        ddr_Ddb db(cow_String("m"), file, ddr_Ddb::Mode::Create);
        ProbeMap map;
        for (int k = 0; k < 20; ++k)
            map.Insert(k, filled(k));
        db.StoreRoot(cow_String("probes"), map);
        EXPECT_TRUE(map.IsStored());
        EXPECT_FALSE(map.IsLoaded(3)); // objects now come from the store
        EXPECT_EQ(map.ConstGet(3).number, 3); // fetched back from the file just written
    }
    ddr_Ddb db(cow_String("m"), file, ddr_Ddb::Mode::ReadOnly);
    ProbeMap map = db.LoadRoot<ProbeMap>(cow_String("probes"));
    EXPECT_EQ(map.Count(), 20);
    EXPECT_EQ(db.Database().Fetches(), 0);
    const Probe& p7 = map.ConstGet(7);
    EXPECT_EQ(p7.number, 7);
    EXPECT_EQ(p7.label, cow_String("probe 7"));
    EXPECT_TRUE(p7.flag);
    EXPECT_EQ(p7.kind.GetValue(), res_SetTypeEnm::SURFACE_EDGE);
    EXPECT_EQ(p7.ids.Count(), 70);
    EXPECT_EQ(p7.ids.ConstGet(69), 69 * 7 - 3);
    EXPECT_EQ(p7.names.Count(), 3);
    EXPECT_EQ(p7.names.ConstGet(2), cow_String("c d"));
    map.ConstGet(7);
    EXPECT_EQ(db.Database().Fetches(), 1);
}
