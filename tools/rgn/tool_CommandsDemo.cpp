// `rgn demo`: a model database built from scratch, stored, reopened and read through paths.
#include "rgnC_Paths.h"
#include "tool_Commands.h"

#include "ddr_Ddb.h"
#include "ddr_Root.h"
#include "pnt_PrettyPrint.h"
#include "rgnC_Module.h"
#include "rgnC_PathText.h"
#include "rgnC_RegionPair.h"
#include "thr_ThreadSingleton.h"
#include "tool_ModelFile.h"
#include "typ_DebugFlags.h"

#include <cstdio>
#include <sstream>

using nlohmann::json;

namespace {

constexpr int kSets = 30;

// Set s is a node, element or surface set by s % 3, with two subsets whose ids derive from s;
// the surfaces' subsets are faceted (an element id and the facet of it on the surface).
rgnC_SetData makeSet(int s) {
    static const res_SetTypeEnm kinds[] = {res_SetTypeEnm::NODE_SET, res_SetTypeEnm::ELEMENT_SET,
                                           res_SetTypeEnm::SURFACE_SET};
    static const char* names[] = {"NODES", "SOLID", "SKIN"};
    rgnC_SetData set(s, cow_String(std::string(names[s % 3]) + "-" + std::to_string(s)),
                     kinds[s % 3], false, false);
    for (int k = 0; k < 2; ++k) {
        cow_1DArrayList<int> ids, facets;
        for (int i = 0; i < 5 + 3 * k; ++i) {
            ids.Append(s * 1000 + k * 100 + 2 * i);
            facets.Append(1 + i % 6);
        }
        const bool surface = s % 3 == 2;
        set.AddSubset(0, k, ids,
                      surface ? res_SetTypeEnm::SURFACE_FACET : static_cast<res_SetTypeEnm>(7),
                      false, surface ? facets : cow_1DArrayList<int>());
    }
    return set;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

json tool_Commands::Demo(const std::string& file) {
    const cow_String model(tool_ModelFile::kDdbName);
    std::remove(file.c_str());
    {
        ddr_Ddb db(model, file, ddr_Ddb::Mode::Create);
        rgnC_SetDataMap sets;
        for (int s = 0; s < kSets; ++s)
            sets.Insert(s, makeSet(s));
        db.StoreRoot(cow_String(tool_ModelFile::kSetsRoot), sets);

        // A region takes its label and kind from the set its path names; pairs of them are kept
        // under another root, with their paths.
        rgnC_RegionPairArray contacts;
        for (int s : {2, 14}) {
            const rgnC_Region master(
                rgnC_PathText::Parse("model.sets[" + std::to_string(s) + "]").Set());
            const rgnC_Region slave(
                rgnC_PathText::Parse("model.sets[" + std::to_string(s + 3) + "]").Set());
            contacts.Append(rgnC_RegionPair(master, slave, false, s == 14, false));
        }
        db.StoreRoot(cow_String("contacts"), contacts);
    }

    ddr_Ddb db(model, file, ddr_Ddb::Mode::ReadOnly);
    const ddr_DdbContainer& open = thr_ThreadSingleton<ddr_Root>::Instance().Fetch();
    // The listings go to the debug printer; the demo shows them, subsets included.
    std::string captured;
    pnt_debugPrint().AttachCapture(&captured);
    const int level = typ_DebugFlags::GetDebugFlags(rgnC_ModuleNumber);
    typ_DebugFlags::SetDebugFlags(rgnC_ModuleNumber, 3);
    json resolved = json::array();
    try {
        for (const char* text : {"model.sets[4]", "ddb('model').sets[8].subset[1]"}) {
            const rgnC_PathText p = rgnC_PathText::Parse(text);
            json entry = {
                {"text", text}, {"path", p.Path().str()}, {"scripting", p.PythonPath().str()}};
            if (p.Names() == rgnC_PathText::Target::Subset) {
                const rgnC_SubsetData& subset = p.Subset().ImplPtr()->ConstGet(open);
                const int id = subset.IdArray().ConstGet(2);
                entry["lookup"] = {{"id", id}, {"position", subset.LookupIndex(id)}};
            }
            captured.clear();
            p.Set().ImplPtr()->ConstGet(open).Print();
            entry["listing"] = linesOf(captured);
            resolved.push_back(entry);
        }
    } catch (...) {
        pnt_debugPrint().AttachCapture(nullptr);
        typ_DebugFlags::SetDebugFlags(rgnC_ModuleNumber, level);
        throw;
    }
    pnt_debugPrint().AttachCapture(nullptr);
    typ_DebugFlags::SetDebugFlags(rgnC_ModuleNumber, level);

    json pairs = json::array();
    const auto contacts = db.LoadRoot<rgnC_RegionPairArray>(cow_String("contacts"));
    for (int i = 0; i < contacts.Count(); ++i) {
        const rgnC_RegionPair& pair = contacts.ConstGet(i);
        json regions = json::array();
        for (const rgnC_Region* r : {&pair.Region1(), &pair.Region2()})
            regions.push_back({{"name", r->Name().str()},
                               {"path", r->SetDataPath().Path().str()},
                               {"set", r->ConstSet().SetLabel().str()},
                               {"subsets", r->ConstSet().NumSubset()}});
        pairs.push_back({{"regions", regions}, {"ground", {pair.Ground1(), pair.Ground2()}}});
    }
    return {{"database", file},
            {"sets", kSets},
            {"resolved", resolved},
            {"pairs", pairs},
            {"fetched", db.Database().Fetches()}};
}
