// The tool's access to model databases: sets go in as one set-data list stored under the root
// "sets" of a new file, and come out of every root that holds a set-data list.
//
// Paths in the tool name the database by the name it is opened under; the tool opens files
// under "model" unless a path text names another database.
#pragma once

#include "cls_Map2ObjIter.h"
#include "ddr_Ddb.h"
#include "rgnC_Paths.h"
#include "tool_MeshSet.h"

#include <string>
#include <vector>

class ddr_Ddb;
class tool_Progress;

// Walks a set-data list in key order, fetching each set on its first read.
using tool_SetIter =
    cls_Map2ObjIter<int, rgnC_SetData, cow_ArrayCOW<rgnC_SetData, cow_Virtual<rgnC_SetData>>>;

class tool_ModelFile {
public:
    static constexpr const char* kDdbName = "model";
    static constexpr const char* kSetsRoot = "sets";

    // Stores `sets` under keys 0, 1, ... of a set-data list in a new database at `path`. The
    // file is written under a temporary name and renamed at the end: a failure leaves no file
    // (and an existing file untouched). An existing file is replaced only with `replace`.
    static void Create(const std::string& path, const std::vector<tool_MeshSet>& sets, bool replace,
                       tool_Progress& progress);

    // The roots of `db` that hold a set-data list (loaded and kept by the database).
    static std::vector<std::string> SetListRoots(ddr_Ddb& db);
    // The set-data list under `root`, loaded once and kept by the database (keys only: each
    // set is fetched on its first read).
    static const rgnC_SetDataMap& SetList(ddr_Ddb& db, const std::string& root);

    // Every set of every set-data list, read whole (each subset becomes one part).
    static std::vector<tool_MeshSet> ReadSets(ddr_Ddb& db, tool_Progress& progress);

    // The name of a set or subset type as the tool prints it ("node", "surface facet").
    static const char* TypeName(res_SetTypeEnm type);
    // Ids of a stored list, copied out.
    static std::vector<int> Ids(const cow_1DArrayList<int>& list);
};
