#include "tool_Commands.h"

#include "dbc_Upgrade.h"

#include "cls_SqliteStatement.h"
#include "ddr_Ddb.h"
#include "ddr_Root.h"
#include "nex_Exception.h"
#include "rgnC_PathText.h"
#include "rgnC_Paths.h"
#include "rgnC_RegionPair.h"
#include "thr_ThreadSingleton.h"
#include "tool_BadInput.h"
#include "tool_ExodusReader.h"
#include "tool_ExodusWriter.h"
#include "tool_GmshModule.h"
#include "tool_ModelFile.h"
#include "tool_Progress.h"

#include <filesystem>
#include <fstream>

using nlohmann::json;

namespace {

const ddr_DdbContainer& openDatabases() {
    return thr_ThreadSingleton<ddr_Root>::Instance().Fetch();
}

enum class MeshKind { Gmsh, Exodus };

// Decided by the file's first bytes, not its name: MSH files open with "$MeshFormat", Exodus II
// files are netCDF (classic "CDF", or HDF5 underneath netCDF-4).
MeshKind meshKind(const std::string& file) {
    std::error_code error;
    if (!std::filesystem::exists(file, error))
        throw tool_BadInput(file, "no such file");
    if (std::filesystem::is_directory(file, error))
        throw tool_BadInput(file, "is a folder, not a mesh file");
    std::ifstream in(file, std::ios::binary);
    char head[8] = {};
    in.read(head, sizeof head);
    const std::string start(head, static_cast<std::size_t>(in.gcount()));
    if (!in && in.gcount() == 0)
        throw tool_BadInput(file, "cannot be read (empty or unreadable)");
    if (start.rfind("$MeshFor", 0) == 0)
        return MeshKind::Gmsh;
    if (start.rfind("CDF", 0) == 0 || start.rfind("\x89HDF\r\n\x1a\n", 0) == 0)
        return MeshKind::Exodus;
    throw tool_BadInput(file, "neither a Gmsh mesh (MSH) nor an Exodus II file");
}

json setSummary(const rgnC_SetData& set, int key, const std::string& path) {
    long ids = 0;
    for (int k = 0; k < set.NumSubset(); ++k)
        ids += set.SubSet(k).IdArray().Count();
    return {{"key", key},
            {"path", path},
            {"label", set.SetLabel().str()},
            {"type", tool_ModelFile::TypeName(set.SetType())},
            {"subsets", set.NumSubset()},
            {"ids", ids}};
}

json subsetSummary(const rgnC_SubsetData& s, const std::string& path) {
    return {{"path", path},
            {"index", s.SubsetIndex()},
            {"mesh", s.MeshIndex()},
            {"class", s.ClassIndex()},
            {"type", tool_ModelFile::TypeName(s.SubsetType())},
            {"ids", s.IdArray().Count()},
            {"facets", s.FacetIdArray().Count()}};
}

json listing(const rgnC_SetDataMap& list, const std::string& path) {
    json sets = json::array();
    tool_SetIter it(list);
    for (it.First(); !it.IsDone(); it.Next())
        sets.push_back(setSummary(it.CurrentValue(), it.CurrentKey(),
                                  path + "[" + std::to_string(it.CurrentKey()) + "]"));
    return sets;
}

json subsetListing(const rgnC_SetData& set, const std::string& path) {
    json subsets = json::array();
    for (int k = 0; k < set.NumSubset(); ++k)
        subsets.push_back(subsetSummary(set.SubSet(k), path + "[" + std::to_string(k) + "]"));
    return subsets;
}

// A path text resolved in a database opened under the name the text gives. Keys are tested
// before they are fetched, so that a key the list lacks is reported as such.
class Resolved {
public:
    Resolved(const std::string& file, const std::string& text)
        : file_(file), path_(rgnC_PathText::Parse(text)),
          db_(path_.DdbName(), file, ddr_Ddb::Mode::ReadOnly) {}

    const rgnC_PathText& Path() const { return path_; }
    ddr_Ddb& Db() { return db_; }

    const rgnC_SetDataMap& SetList() const {
        return path_.SetList().ImplPtr()->ConstGet(openDatabases());
    }
    const rgnC_SetData& Set() const {
        const int key = dynamic_cast<const rgnC_SetDataInList&>(*path_.Set().ImplPtr()).Index();
        if (!SetList().IsMember(key))
            throw tool_BadInput(file_, path_.Set().Path().str() + " names no set (no key " +
                                           std::to_string(key) + ")");
        return path_.Set().ImplPtr()->ConstGet(openDatabases());
    }
    const rgnC_SubsetData& Subset() const {
        const rgnC_SetData& set = Set();
        const int key =
            dynamic_cast<const rgnC_SubsetDataInList&>(*path_.Subset().ImplPtr()).Index();
        if (!set.SubsetList().IsMember(key))
            throw tool_BadInput(file_, path_.Subset().Path().str() + " names no subset (no key " +
                                           std::to_string(key) + ")");
        return path_.Subset().ImplPtr()->ConstGet(openDatabases());
    }

private:
    std::string file_;
    rgnC_PathText path_;
    ddr_Ddb db_;
};

json intList(const cow_1DArrayList<int>& list) {
    return tool_ModelFile::Ids(list);
}

} // namespace

json tool_Commands::Import(const std::string& mesh, const std::string& db, bool replace) {
    tool_Progress progress("import");
    if (!replace && std::filesystem::exists(db))
        throw tool_BadInput(db, "exists already (--force replaces it)");
    const std::vector<tool_MeshSet> sets = meshKind(mesh) == MeshKind::Gmsh
                                               ? tool_GmshModule::Read(mesh, progress)
                                               : tool_ExodusReader::Read(mesh, progress);
    tool_ModelFile::Create(db, sets, replace, progress);
    long ids = 0;
    for (const auto& s : sets)
        for (const auto& p : s.parts)
            ids += static_cast<long>(p.ids.size());
    return {{"mesh", mesh},
            {"database", db},
            {"sets", sets.size()},
            {"ids", ids},
            {"path", std::string(tool_ModelFile::kDdbName) + "." + tool_ModelFile::kSetsRoot}};
}

json tool_Commands::Export(const std::string& db, const std::string& out) {
    tool_Progress progress("export");
    std::vector<tool_MeshSet> sets;
    {
        ddr_Ddb model(cow_String(tool_ModelFile::kDdbName), db, ddr_Ddb::Mode::ReadOnly);
        sets = tool_ModelFile::ReadSets(model, progress);
    }
    const std::vector<std::string> skipped = tool_ExodusWriter::Write(out, sets, progress);
    return {{"database", db},
            {"exodus", out},
            {"sets", sets.size() - skipped.size()},
            {"skipped", skipped}};
}

json tool_Commands::Ls(const std::string& db) {
    ddr_Ddb model(cow_String(tool_ModelFile::kDdbName), db, ddr_Ddb::Mode::ReadOnly);
    const std::vector<std::string> setLists = tool_ModelFile::SetListRoots(model);
    json roots = json::array();
    for (const cow_String& name : model.RootNames()) {
        const std::string path = std::string(tool_ModelFile::kDdbName) + "." + name.str();
        json root = {{"root", name.str()}, {"path", path}};
        if (std::find(setLists.begin(), setLists.end(), name.str()) != setLists.end()) {
            root["kind"] = "set-data list";
            root["sets"] = listing(tool_ModelFile::SetList(model, name.str()), path);
        } else {
            root["kind"] = "other";
        }
        roots.push_back(root);
    }
    return {{"database", db}, {"roots", roots}};
}

json tool_Commands::Show(const std::string& db, const std::string& text) {
    Resolved r(db, text);
    const rgnC_PathText& p = r.Path();
    json out = {{"path", p.Path().str()}, {"scripting", p.PythonPath().str()}};
    switch (p.Names()) {
    case rgnC_PathText::Target::SetList:
        out["names"] = "set-data list";
        out["sets"] = listing(r.SetList(), p.Path().str());
        break;
    case rgnC_PathText::Target::Set: {
        const rgnC_SetData& set = r.Set();
        out["names"] = "set";
        out["label"] = set.SetLabel().str();
        out["index"] = set.SetIndex();
        out["type"] = tool_ModelFile::TypeName(set.SetType());
        out["internal"] = set.InternalSet();
        out["unsorted"] = set.Unsorted();
        out["subsets"] = subsetListing(set, p.Path().str() + ".subset");
        break;
    }
    case rgnC_PathText::Target::SubsetList:
        out["names"] = "subset list";
        out["subsets"] = subsetListing(r.Set(), p.Path().str());
        break;
    case rgnC_PathText::Target::Subset: {
        const rgnC_SubsetData& s = r.Subset();
        out.update(subsetSummary(s, p.Path().str()));
        out["names"] = "subset";
        out["set index"] = s.SetIndex();
        out["unsorted"] = s.Unsorted();
        out["ids"] = intList(s.IdArray());
        out["facets"] = intList(s.FacetIdArray());
        break;
    }
    }
    return out;
}

json tool_Commands::Lookup(const std::string& db, const std::string& text,
                           const std::vector<int>& ids) {
    Resolved r(db, text);
    const rgnC_PathText& p = r.Path();
    json answers = json::array();
    if (p.Names() == rgnC_PathText::Target::Subset) {
        const rgnC_SubsetData& s = r.Subset();
        for (int id : ids) {
            const int at = s.LookupIndex(id);
            answers.push_back(
                {{"id", id}, {"position", at == rgnC_SubsetData::kNotFound ? json() : json(at)}});
        }
    } else if (p.Names() == rgnC_PathText::Target::Set) {
        // The first subset that holds the id, in subset order.
        const rgnC_SetData& set = r.Set();
        for (int id : ids) {
            json answer = {{"id", id}, {"position", nullptr}};
            for (int k = 0; k < set.NumSubset(); ++k) {
                const int at = set.SubSet(k).LookupIndex(id);
                if (at != rgnC_SubsetData::kNotFound) {
                    answer = {{"id", id}, {"subset", k}, {"position", at}};
                    break;
                }
            }
            answers.push_back(answer);
        }
    } else {
        throw tool_BadInput(db, p.Path().str() + " names a list; lookup needs a set or a subset");
    }
    return {{"path", p.Path().str()}, {"answers", answers}};
}

std::vector<std::string> tool_Commands::checkStore(ddr_Ddb& db) {
    std::vector<std::string> problems;
    for (const std::string& p : db.Database().Verify())
        problems.push_back("storage: " + p);
    return problems;
}

json tool_Commands::Upgrade(const std::string& old, const std::string& upgraded) {
    tool_Progress progress("upgrade");
    long last = 0;
    bool started = false;
    const dbc_UpgradeResult result = dbc_Upgrade(old, upgraded, [&](long done, long total) {
        if (!started) {
            progress.Start("rows", total);
            started = true;
        }
        progress.Advance(done - last);
        last = done;
    });
    progress.Done();
    return {{"database", old},
            {"upgraded", upgraded},
            {"result", result == dbc_UpgradeResult::Upgraded ? "upgraded" : "already current"},
            {"rows", last}};
}

json tool_Commands::Compact(const std::string& db) {
    ddr_Ddb model(cow_String(tool_ModelFile::kDdbName), db, ddr_Ddb::Mode::ReadWrite);
    const long unreachable = model.Database().UnreachableRows();
    const auto before = std::filesystem::file_size(db);
    model.Compact();
    model.Close();
    return {{"database", db},
            {"rows deleted", unreachable},
            {"bytes before", before},
            {"bytes after", std::filesystem::file_size(db)}};
}

json tool_Commands::Check(const std::string& db) {
    tool_Progress progress("check");
    ddr_Ddb model(cow_String(tool_ModelFile::kDdbName), db, ddr_Ddb::Mode::ReadOnly);
    progress.Start("storage", 0);
    std::vector<std::string> problems = checkStore(model);
    const long unreachable = model.Database().UnreachableRows();
    long sets = 0, subsets = 0, paths = 0;
    json unchecked = json::array();
    const std::vector<std::string> setLists = tool_ModelFile::SetListRoots(model);
    for (const cow_String& name : model.RootNames()) {
        const std::string root = name.str();
        const std::string rootPath = std::string(tool_ModelFile::kDdbName) + "." + root;
        if (std::find(setLists.begin(), setLists.end(), root) != setLists.end()) {
            const rgnC_SetDataMap& list = tool_ModelFile::SetList(model, root);
            progress.Start("sets", list.Count());
            tool_SetIter it(list);
            for (it.First(); !it.IsDone(); it.Next(), progress.Advance()) {
                const std::string at = rootPath + "[" + std::to_string(it.CurrentKey()) + "]";
                try {
                    const rgnC_SetData& set = it.CurrentValue();
                    ++sets;
                    if (set.NumSubset() != set.SubsetList().Count())
                        problems.push_back(at + ": counts " + std::to_string(set.NumSubset()) +
                                           " subsets but holds " +
                                           std::to_string(set.SubsetList().Count()));
                    for (int k = 0; k < set.NumSubset(); ++k) {
                        const std::string sub = at + ".subset[" + std::to_string(k) + "]";
                        if (!set.SubsetList().IsMember(k)) {
                            problems.push_back(sub + ": missing");
                            continue;
                        }
                        const rgnC_SubsetData& s = set.SubSet(k);
                        ++subsets;
                        if (s.SubsetIndex() != k)
                            problems.push_back(sub + ": holds subset index " +
                                               std::to_string(s.SubsetIndex()));
                        if (s.SetIndex() != set.SetIndex())
                            problems.push_back(sub + ": holds set index " +
                                               std::to_string(s.SetIndex()) + ", its set " +
                                               std::to_string(set.SetIndex()));
                        const int facets = s.FacetIdArray().Count();
                        if (facets != 0 && facets != s.IdArray().Count())
                            problems.push_back(sub + ": " + std::to_string(facets) +
                                               " facet ids for " +
                                               std::to_string(s.IdArray().Count()) + " ids");
                    }
                } catch (const nex_Exception& e) {
                    problems.push_back(at + ": " + e.what());
                }
            }
            continue;
        }
        // Region pairs keep paths to sets: each must resolve in this database.
        try {
            const auto pairs = model.LoadRoot<rgnC_RegionPairArray>(name);
            progress.Start("paths", pairs.Count());
            for (int i = 0; i < pairs.Count(); ++i, progress.Advance()) {
                const rgnC_RegionPair& pair = pairs.ConstGet(i);
                for (const rgnC_Region* region : {&pair.Region1(), &pair.Region2()}) {
                    if (!region->SetDataPath().IsDefined())
                        continue;
                    ++paths;
                    try {
                        region->ConstSet();
                    } catch (const nex_Exception& e) {
                        problems.push_back(rootPath + "[" + std::to_string(i) + "]: region '" +
                                           region->Name().str() + "' has the path " +
                                           region->SetDataPath().Path().str() +
                                           ", which does not resolve: " + e.what());
                    }
                }
            }
        } catch (const nex_Exception&) {
            unchecked.push_back(root);
        }
    }
    return {{"database", db},     {"sets", sets},         {"subsets", subsets},
            {"paths", paths},     {"problems", problems}, {"unchecked roots", unchecked},
            {"unreachable rows", unreachable}};
}
