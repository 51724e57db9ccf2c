// Shared by the tool's tests: a scratch folder, the rgn program, the meshes made for the suite,
// and the sets of a database read back through the library (not through the tool).
#pragma once

#include "ModuleStart.h"
#include "TempDir.h"
#include "ToolRun.h"
#include "cls_Map2ObjIter.h"
#include "ddr_Ddb.h"
#include "rgnC_Paths.h"
#include "rgnC_SetDataMap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

// A set's contents as a user sees them: every id once, and for surfaces the (element, facet)
// pairs.
struct StoredSet {
    std::set<int> ids;
    std::set<std::pair<int, int>> faceted;
    bool operator==(const StoredSet&) const = default;
};
// Keyed by label and kind (res_SetTypeEnm as int).
using StoredSets = std::map<std::pair<std::string, int>, StoredSet>;

class ToolTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // For the rgn program in a sanitizer build (this process read its options already).
        ::setenv("LSAN_OPTIONS", "print_suppressions=0:suppressions=" RGN_TOOL_LSAN_SUPPRESSIONS,
                 1);
        StartModule();
    }

    ToolRun rgn(const std::vector<std::string>& args) const { return runTool(args, dir.File("")); }
    static std::string mesh(const std::string& name) {
        return std::string(RGN_TOOL_MESHES) + "/" + name;
    }
    std::string file(const std::string& name) const { return dir.File(name); }

    // What the scratch folder holds, to show that a failure left nothing behind.
    std::set<std::string> folder() const {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.File("")))
            names.insert(e.path().filename().string());
        return names;
    }

    static StoredSets storedSets(const std::string& db) {
        using Iter = cls_Map2ObjIter<int, rgnC_SetData,
                                     cow_ArrayCOW<rgnC_SetData, cow_Virtual<rgnC_SetData>>>;
        StoredSets out;
        ddr_Ddb model(cow_String("model"), db, ddr_Ddb::Mode::ReadOnly);
        const auto list = model.LoadRoot<rgnC_SetDataMap>(cow_String("sets"));
        Iter it(list);
        for (it.First(); !it.IsDone(); it.Next()) {
            const rgnC_SetData& set = it.CurrentValue();
            StoredSet& s = out[{set.SetLabel().str(), static_cast<int>(set.SetType())}];
            for (int k = 0; k < set.NumSubset(); ++k) {
                const rgnC_SubsetData& sub = set.SubSet(k);
                for (int i = 0; i < sub.IdArray().Count(); ++i) {
                    s.ids.insert(sub.IdArray().ConstGet(i));
                    if (sub.FacetIdArray().Count() > 0)
                        s.faceted.insert(
                            {sub.IdArray().ConstGet(i), sub.FacetIdArray().ConstGet(i)});
                }
            }
        }
        return out;
    }

    TempDir dir;
};

constexpr int kNode = static_cast<int>(res_SetTypeEnm::NODE_SET);
constexpr int kElement = static_cast<int>(res_SetTypeEnm::ELEMENT_SET);
constexpr int kSurface = static_cast<int>(res_SetTypeEnm::SURFACE_SET);
