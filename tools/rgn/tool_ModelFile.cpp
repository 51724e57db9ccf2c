#include "tool_ModelFile.h"

#include "ddr_Ddb.h"
#include "nex_Exception.h"
#include "rgnC_Paths.h"
#include "tool_BadInput.h"
#include "tool_Progress.h"
#include "tool_TempFile.h"

#include <algorithm>
#include <filesystem>

namespace {

// One pass into blocks sized for the ids (no growth by appending).
cow_1DArrayList<int> listOf(const std::vector<int>& ids) {
    const int n = static_cast<int>(ids.size());
    cow_1DArray<int> array(n);
    for (int i = 0; i < n; ++i)
        array.Get(i) = ids[i];
    return cow_1DArrayList<int>(array, n);
}

} // namespace

void tool_ModelFile::Create(const std::string& path, const std::vector<tool_MeshSet>& sets,
                            bool replace, tool_Progress& progress) {
    if (!replace && std::filesystem::exists(path))
        throw tool_BadInput(path, "exists already (--force replaces it)");
    tool_TempFile temp(path);
    {
        ddr_Ddb db(cow_String(kDdbName), temp.Path(), ddr_Ddb::Mode::Create);
        rgnC_SetDataMap list;
        progress.Start("building", static_cast<long>(sets.size()));
        for (std::size_t s = 0; s < sets.size(); ++s) {
            const tool_MeshSet& in = sets[s];
            const int key = static_cast<int>(s);
            bool unsorted = false;
            for (const auto& part : in.parts)
                unsorted = unsorted || !std::is_sorted(part.ids.begin(), part.ids.end());
            rgnC_SetData set(key, cow_String(in.label), in.type, false, unsorted);
            for (const auto& part : in.parts)
                set.AddSubset(part.mesh, part.classIndex, listOf(part.ids), part.type,
                              !std::is_sorted(part.ids.begin(), part.ids.end()),
                              listOf(part.facets));
            list.Insert(key, set);
            progress.Advance();
        }
        progress.Start("storing", 0);
        db.StoreRoot(cow_String(kSetsRoot), list);
    }
    temp.Commit();
}

std::vector<std::string> tool_ModelFile::SetListRoots(ddr_Ddb& db) {
    std::vector<std::string> roots;
    for (const cow_String& name : db.RootNames()) {
        try {
            const rgnC_SetDataMap& list = SetList(db, name.str());
            // A map of other objects loads its keys as well; its first entry tells.
            if (list.Count() > 0) {
                tool_SetIter it(list);
                it.First();
                it.CurrentValue();
            }
            roots.push_back(name.str());
        } catch (const nex_Exception&) {
        }
    }
    return roots;
}

const rgnC_SetDataMap& tool_ModelFile::SetList(ddr_Ddb& db, const std::string& root) {
    return db.RootObject<rgnC_SetDataMap>(cow_String(root));
}

std::vector<tool_MeshSet> tool_ModelFile::ReadSets(ddr_Ddb& db, tool_Progress& progress) {
    std::vector<tool_MeshSet> out;
    for (const std::string& root : SetListRoots(db)) {
        const rgnC_SetDataMap& list = SetList(db, root);
        progress.Start("reading", list.Count());
        tool_SetIter it(list);
        for (it.First(); !it.IsDone(); it.Next()) {
            const rgnC_SetData& set = it.CurrentValue();
            tool_MeshSet s;
            s.label = set.SetLabel().str();
            s.type = set.SetType();
            for (int k = 0; k < set.NumSubset(); ++k) {
                const rgnC_SubsetData& subset = set.SubSet(k);
                tool_MeshSet::Part part;
                part.mesh = subset.MeshIndex();
                part.classIndex = subset.ClassIndex();
                part.type = subset.SubsetType();
                part.ids = Ids(subset.IdArray());
                part.facets = Ids(subset.FacetIdArray());
                s.parts.push_back(std::move(part));
            }
            out.push_back(std::move(s));
            progress.Advance();
        }
    }
    return out;
}

const char* tool_ModelFile::TypeName(res_SetTypeEnm type) {
    switch (type) {
    case res_SetTypeEnm::NODE_SET:
        return "node";
    case res_SetTypeEnm::ELEMENT_SET:
        return "element";
    case res_SetTypeEnm::SURFACE_SET:
        return "surface";
    case res_SetTypeEnm::SURFACE_ELEMENT:
        return "surface element";
    case res_SetTypeEnm::SURFACE_FACET:
        return "surface facet";
    case res_SetTypeEnm::SURFACE_EDGE:
        return "surface edge";
    case res_SetTypeEnm::SURFACE_NODE:
        return "surface node";
    }
    return "unknown";
}

std::vector<int> tool_ModelFile::Ids(const cow_1DArrayList<int>& list) {
    std::vector<int> ids(static_cast<std::size_t>(list.Count()));
    for (int i = 0; i < list.Count(); ++i)
        ids[i] = list.ConstGet(i);
    return ids;
}
