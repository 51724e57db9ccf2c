// A host that only starts the module reads stored paths: the path to a set-data list stored as
// a root comes registered with the module, so no host can forget it.
#include "TempDir.h"
#include "ddr_Ddb.h"
#include "rgnC_Module.h"
#include "rgnC_Region.h"
#include "rgnC_SetDataListRoot.h"

#include <gtest/gtest.h>

TEST(HostStart, ModuleStartAloneReadsARegionThroughItsStoredPath) {
    int count = 0;
    rgnC_initialize(count);
    TempDir dir;
    const std::string file = dir.File("model.db");
    {
        rgnC_SetDataMap sets;
        sets.Insert(2, rgnC_SetData(2, cow_String("FLANGE"), res_SetTypeEnm::ELEMENT_SET, false,
                                    false));
        ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::Create);
        db.StoreRoot(cow_String("sets"), sets);
        const rgnC_SetDataListPath list(
            new rgnC_SetDataListRoot(cow_String("model"), cow_String("sets")));
        db.StoreRoot(cow_String("region"), rgnC_Region(rgnC_SetDataPath(
                                               new rgnC_SetDataInList(2, list))));
    }
    {
        ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::ReadOnly);
        const rgnC_Region region = db.LoadRoot<rgnC_Region>(cow_String("region"));
        EXPECT_EQ(region.SetDataPath().Path(), cow_String("model.sets[2]"));
        EXPECT_EQ(region.ConstSet().SetLabel(), cow_String("FLANGE"));
        EXPECT_EQ(region.Name(), cow_String("FLANGE"));
    }
    rgnC_finalize(count);
}
