// Writes valid model databases holding every kind of object the module stores, as the starting
// corpus of module_readers_fuzz: a set-data list, a set and a subset on their own, regions with
// and without a path, a region pair and an array of pairs, a propagating region list, and the
// four kinds of path. Like open_database_seeds, the files are copied into small pages so that a
// mutation more often lands in a structure than in free space.
//
//   module_readers_seeds CORPUS
#include "SeedFile.h"
#include "ModuleWalk.h"
#include "ddr_Ddb.h"
#include "rgnC_SetDataListRoot.h"

#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

rgnC_SetDataPath setPath(int key) {
    const rgnC_SetDataListPath list(
        new rgnC_SetDataListRoot(cow_String(ModuleWalk::kDdbName), cow_String("sets")));
    return rgnC_SetDataPath(new rgnC_SetDataInList(key, list));
}

cow_1DArrayList<int> ids(int first, int count) {
    cow_1DArrayList<int> list;
    for (int i = 0; i < count; ++i)
        list.Append(first + 3 * i);
    return list;
}

// Set k has k subsets (the second with facet ids), types and flags varying with k.
rgnC_SetData set(int k) {
    rgnC_SetData s(k, cow_String("SET-" + std::to_string(k)), static_cast<res_SetTypeEnm>(k % 7),
                   k % 2 == 1, k % 3 == 0);
    for (int i = 0; i < k; ++i)
        s.AddSubset(i, k + i, ids(100 * k + i, 4 + i), static_cast<res_SetTypeEnm>(i == 0 ? 7 : i),
                    i % 2 == 0, i == 1 ? ids(7, 5) : cow_1DArrayList<int>());
    return s;
}

void writeEverything(const std::string& path) {
    ddr_Ddb db(cow_String(ModuleWalk::kDdbName), path, ddr_Ddb::Mode::Create);
    rgnC_SetDataMap sets;
    for (int k = 0; k < 4; ++k)
        sets.Insert(k, set(k));
    db.StoreRoot(cow_String("sets"), sets);
    db.StoreRoot(cow_String("set"), set(3));
    db.StoreRoot(cow_String("subset"), set(2).SubSet(1));

    const rgnC_Region onPath(setPath(2));
    cow_List<cow_String> owners;
    owners.Append(cow_String("model")).Append(cow_String("part")).Append(cow_String("inst"));
    const rgnC_Region named(cow_String("TOP"), owners, 3, rgnC_Region::kNodeBit, true);
    db.StoreRoot(cow_String("region"), onPath);
    db.StoreRoot(cow_String("named"), named);
    const rgnC_RegionPair pair(onPath, named, true, false, true);
    db.StoreRoot(cow_String("pair"), pair);
    rgnC_RegionPairArray pairs;
    pairs.Append(pair);
    pairs.Append(rgnC_RegionPair(named, rgnC_Region(setPath(1)), false, true, false));
    db.StoreRoot(cow_String("pairs"), pairs);
    rgnC_PropRegionList propagated;
    propagated.Get().Append(onPath);
    propagated.Get().Append(named);
    db.StoreRoot(cow_String("propagated"), propagated);

    db.StoreRoot(cow_String("setPath"), setPath(3));
    const rgnC_SubsetDataListPath subsets(new rgnC_SubsetListOfSet(setPath(3)));
    db.StoreRoot(cow_String("subsetList"), subsets);
    db.StoreRoot(cow_String("subsetPath"),
                 rgnC_SubsetDataPath(new rgnC_SubsetDataInList(2, subsets)));
    db.StoreRoot(cow_String("setList"), rgnC_SetDataListPath(new rgnC_SetDataListRoot(
                                            cow_String(ModuleWalk::kDdbName), cow_String("sets"))));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: module_readers_seeds FOLDER\n");
        return 2;
    }
    ModuleWalk::Start();
    const std::filesystem::path folder(argv[1]);
    const std::string scratch = (folder / "module.tmp").string();
    try {
        std::filesystem::create_directories(folder);
        std::filesystem::remove(scratch);
        writeEverything(scratch);
        for (const auto& [name, pageSize] :
             {std::pair{"module-512.db", 512}, {"module-1k.db", 1024}}) {
            const std::string seed = (folder / name).string();
            SeedFile::Compact(scratch, seed, pageSize);
            // A seed reads through whole: a refusal here is a fault of the reader.
            ddr_Ddb db(cow_String(ModuleWalk::kDdbName), seed, ddr_Ddb::Mode::ReadOnly);
            ModuleWalk::ReadEveryRoot(db);
        }
        std::filesystem::remove(scratch);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "module_readers_seeds: %s\n", e.what());
        return 1;
    }
    return 0;
}
