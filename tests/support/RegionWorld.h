// What the region tests share: the module started once per process, sets of every kind stored
// under a root of a real database file, paths to them, and regions named without a path.
#pragma once

#include "ModuleStart.h"
#include "TempDir.h"
#include "cls_SqliteStatement.h"
#include "ddr_Ddb.h"
#include "ddr_Root.h"
#include "rgnC_Paths.h"
#include "rgnC_Region.h"
#include "rgnC_SetDataListRoot.h"
#include "thr_ThreadSingleton.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace RegionWorld {

inline void Start() {
    StartModule();
}

// Set k has the set type k (0 to 6), label "SET-k", is internal when k is odd, and holds one
// subset of ids derived from k.
inline rgnC_SetDataMap SetsOfEveryKind() {
    rgnC_SetDataMap sets;
    for (int k = 0; k <= 6; ++k) {
        rgnC_SetData set(k, cow_String("SET-" + std::to_string(k)), static_cast<res_SetTypeEnm>(k),
                         k % 2 == 1, false);
        cow_1DArrayList<int> ids;
        for (int i = 0; i < 3; ++i)
            ids.Append(100 * k + i);
        set.AddSubset(0, 1, ids, static_cast<res_SetTypeEnm>(7), false, {});
        sets.Insert(k, set);
    }
    return sets;
}

inline rgnC_SetDataPath SetPath(const char* ddb, const char* root, int key) {
    const rgnC_SetDataListPath list(new rgnC_SetDataListRoot(cow_String(ddb), cow_String(root)));
    return rgnC_SetDataPath(new rgnC_SetDataInList(key, list));
}

// A region named without a path, its owner names given as a list.
inline rgnC_Region Region(const std::string& name, std::initializer_list<const char*> owners,
                          int space = 0, int bits = 0, bool internal = false) {
    cow_List<cow_String> names;
    for (const char* owner : owners)
        names.Append(cow_String(owner));
    return rgnC_Region(cow_String(name), names, space, bits, internal);
}

inline const ddr_DdbContainer& OpenDatabases() {
    return thr_ThreadSingleton<ddr_Root>::Instance().Fetch();
}

// A test with a model database file named "model" holding SetsOfEveryKind() under "sets".
class Fixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Start(); }

    void StoreSets(ddr_Ddb& db) { db.StoreRoot(cow_String("sets"), SetsOfEveryKind()); }

    TempDir dir;
    std::string file = dir.File("model.db");
};

} // namespace RegionWorld
