// Model databases written in the old class layouts, as earlier releases left them: the tests of
// the upgrade and the program that makes the golden files build them the same way.
//
// Every value derives from the numbers given, so what an upgraded file must hold is known:
// set s (key s of the root "sets") has the type s % 3, label "SET-s", is internal when s is
// odd, and has `subsets` subsets whose ids are s * 1000 + 10 k + i (i < 5 + k); region r is made
// from the path "model.sets[r % sets]", so it takes that set's label and internal flag.
#pragma once

#include "ModuleStart.h"
#include "TempDir.h"
#include "cls_xo1DArrayList.h"
#include "dbc_OldClassRegistrar.h"
#include "ddr_Ddb.h"
#include "omi_Singleton.h"
#include "rgnC_Module.h"
#include "rgnC_Paths.h"
#include "rgnC_PropRegionList.h"
#include "rgnC_Region.h"
#include "rgnC_RegionPair.h"
#include "rgnC_SetDataListRoot.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace OldModel {

using Layout = std::pair<std::uint32_t, int>; // class type id, schema version

inline void Start() {
    StartModule();
}

// From now on `db` stores these classes in these old layouts. Attributes only the old layout
// has get what an old release would have written: "_type" a kind name, "numItems" 0.
inline void StoreInOldLayouts(ddr_Ddb& db, const std::vector<Layout>& layouts) {
    for (const auto& [typeId, version] : layouts) {
        const cls_ClassMetadata* layout =
            omi_Singleton<dbc_OldClassRegistrar>::Instance().Layout(typeId, version);
        db.Database().StoreInLayout(*layout, [](const cls_MementoWrite&, const std::string& name) {
            return name == "_type" ? cls_MementoWrite::Value(cow_String("None"))
                                   : cls_MementoWrite::Value(std::int64_t{0});
        });
    }
}

// Subsets take the set's own type (7), as the old layouts that store no subset type imply.
inline rgnC_SetData Set(int s, int subsets) {
    rgnC_SetData set(s, cow_String("SET-" + std::to_string(s)), static_cast<res_SetTypeEnm>(s % 3),
                     s % 2 == 1, false);
    for (int k = 0; k < subsets; ++k) {
        cow_1DArrayList<int> ids;
        for (int i = 0; i < 5 + k; ++i)
            ids.Append(s * 1000 + 10 * k + i);
        set.AddSubset(k % 2, k, ids, static_cast<res_SetTypeEnm>(7), false, {});
    }
    return set;
}

inline rgnC_SetDataMap Sets(int sets, int subsets) {
    rgnC_SetDataMap map;
    for (int s = 0; s < sets; ++s)
        map.Insert(s, Set(s, subsets));
    return map;
}

// Regions 0 .. n-1, each made from the path to set r % sets, resolved against a scratch
// database named "model" that holds the sets (a region takes its label, internal flag and kind
// from its set).
inline std::vector<rgnC_Region> Regions(int n, int sets) {
    ddr_Ddb scratch(cow_String("model"), ":memory:", ddr_Ddb::Mode::Create);
    scratch.StoreRoot(cow_String("sets"), Sets(sets, 0));
    std::vector<rgnC_Region> regions;
    regions.reserve(static_cast<std::size_t>(n));
    for (int r = 0; r < n; ++r) {
        // A path of its own for each region, as a host makes them one by one.
        const rgnC_SetDataListPath list(
            new rgnC_SetDataListRoot(cow_String("model"), cow_String("sets")));
        regions.emplace_back(rgnC_SetDataPath(new rgnC_SetDataInList(r % sets, list)));
    }
    return regions;
}

// What region r reads back as after an upgrade: the old layouts keep its name, internal flag
// and path; owners, space and kind bits start empty, and the obsolete type is "None".
inline rgnC_Region Upgraded(const rgnC_Region& written) {
    return rgnC_Region(written.Name(), cow_List<cow_String>(), 0, 0, written.Internal());
}

// Writes a model database "model" at `path` holding `sets` sets of `subsets` subsets under
// "sets", `pairs` region pairs under "pairs" and `lists` propagating region lists of three
// regions each under "list-<i>", the classes in `layouts` in those old layouts.
// The regions are those of Regions(2 * pairs + 3 * lists, sets): the pairs' first, then three
// per list.
inline void Write(const std::string& path, const std::vector<Layout>& layouts, int sets,
                  int subsets, int pairs, int lists) {
    const std::vector<rgnC_Region> regions = Regions(2 * pairs + 3 * lists, sets);
    ddr_Ddb db(cow_String("model"), path, ddr_Ddb::Mode::Create);
    StoreInOldLayouts(db, layouts);
    db.StoreRoot(cow_String("sets"), Sets(sets, subsets));
    // Pair p holds regions 2p and 2p + 1.
    cls_xo1DArrayList<rgnC_RegionPair> pairArray;
    for (int p = 0; p < pairs; ++p)
        pairArray.Append(
            rgnC_RegionPair(regions[2 * p], regions[2 * p + 1], p % 2 == 0, p % 3 == 0, false));
    if (pairs > 0)
        db.StoreRoot(cow_String("pairs"), pairArray);
    for (int i = 0; i < lists; ++i) {
        cls_xoList<rgnC_Region> inList;
        for (int r = 0; r < 3; ++r)
            inList.Append(regions[2 * pairs + 3 * i + r]);
        rgnC_PropRegionList list;
        list = inList;
        db.StoreRoot(cow_String("list-" + std::to_string(i)), list);
    }
    db.Close();
}

} // namespace OldModel
