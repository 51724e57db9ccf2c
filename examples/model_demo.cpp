// A model database of sets, from scratch: build a set-data list, store it, reopen the file,
// then resolve path texts such as "model.sets[17].subset[2]" and print what they name.
//
//   model_demo [file]        (default: model_demo.db in the current folder)
#include "cls_MetadataRegistrar.h"
#include "ddr_Ddb.h"
#include "ddr_Root.h"
#include "nex_Exception.h"
#include "omi_Singleton.h"
#include "pnt_PrettyPrint.h"
#include "rgnC_Module.h"
#include "rgnC_PathText.h"
#include "rgnC_Paths.h"
#include "rgnC_RegionPair.h"
#include "thr_ThreadSingleton.h"
#include "typ_DebugFlags.h"

#include <cstdio>
#include <string>

namespace {

// A set of each kind with four subsets; the ids derive from the set index.
rgnC_SetData makeSet(int s) {
    static const res_SetTypeEnm kinds[] = {res_SetTypeEnm::NODE_SET, res_SetTypeEnm::ELEMENT_SET,
                                           res_SetTypeEnm::SURFACE_SET};
    rgnC_SetData set(s, cow_String("SET-" + std::to_string(s)), kinds[s % 3], false, false);
    for (int k = 0; k < 4; ++k) {
        cow_1DArrayList<int> ids, facets;
        for (int i = 0; i < 8 + k; ++i) {
            ids.Append(s * 1000 + k * 100 + i);
            facets.Append(1 + i % 4);
        }
        const bool faceted = s % 3 == 2 && k == 3;
        set.AddSubset(k / 2, k % 2, ids,
                      faceted ? res_SetTypeEnm::SURFACE_FACET : static_cast<res_SetTypeEnm>(7),
                      false, faceted ? facets : cow_1DArrayList<int>());
    }
    return set;
}

} // namespace

int main(int argc, char** argv) {
    const std::string file = argc > 1 ? argv[1] : "model_demo.db";
    int count = 0;
    rgnC_initialize(count);
    try {
        std::remove(file.c_str());
        {
            ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::Create);
            rgnC_SetDataMap sets;
            for (int s = 0; s < 1000; ++s)
                sets.Insert(s, makeSet(s));
            db.StoreRoot(cow_String("sets"), sets);
            std::printf("stored 1000 sets with 4 subsets each in %s\n", file.c_str());

            // Regions take their name and kind from the set their path names; a pair of them
            // is kept in a stored array under another root.
            rgnC_RegionPairArray contacts;
            for (int s : {17, 500}) {
                const rgnC_Region master(rgnC_PathText::Parse("model.sets[" + std::to_string(s) + "]").Set());
                const rgnC_Region slave(rgnC_PathText::Parse("model.sets[" + std::to_string(s + 1) + "]").Set());
                contacts.Append(rgnC_RegionPair(master, slave, false, s == 500, false));
            }
            db.StoreRoot(cow_String("contacts"), contacts);
            std::printf("stored %d region pairs\n", contacts.Count());
        }

        ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::ReadOnly);
        const ddr_DdbContainer& open = thr_ThreadSingleton<ddr_Root>::Instance().Fetch();
        typ_DebugFlags::SetDebugFlags(rgnC_ModuleNumber, 3);
        pnt_debugPrint().AttachCapture(nullptr);
        for (const char* text : {"model.sets[17].subset[2]", "model.sets[500]",
                                 "model.sets[998].subset[3]"}) {
            const rgnC_PathText p = rgnC_PathText::Parse(text);
            std::printf("\n%s\n", text);
            if (p.Subset().IsDefined()) {
                const rgnC_SubsetData& subset = p.Subset().ImplPtr()->ConstGet(open);
                const int firstId = subset.IdArray().ConstGet(0);
                std::printf("  path %s, scripting text %s\n", p.Path().c_str(),
                            p.PythonPath().c_str());
                std::printf("  id %d stands at position %d of %d\n", firstId + 3,
                            subset.LookupIndex(firstId + 3), subset.IdArray().Count());
            }
            std::printf("  the set it names (debug listing on standard error):\n");
            std::fflush(stdout);
            p.Set().ImplPtr()->ConstGet(open).Print();
        }
        const auto contacts = db.LoadRoot<rgnC_RegionPairArray>(cow_String("contacts"));
        std::printf("\nregion pairs read back from the reopened file:\n");
        for (int i = 0; i < contacts.Count(); ++i) {
            const rgnC_RegionPair& pair = contacts.ConstGet(i);
            for (const rgnC_Region* r : {&pair.Region1(), &pair.Region2()})
                std::printf("  %-8s path %-18s kind bits %d, set resolves to '%s' with %d subsets\n",
                            r->Name().c_str(), r->SetDataPath().Path().c_str(), r->SetTypeBits(),
                            r->ConstSet().SetLabel().c_str(), r->ConstSet().NumSubset());
            std::printf("  ground flags %s/%s\n", pair.Ground1() ? "yes" : "no",
                        pair.Ground2() ? "yes" : "no");
        }
        std::printf("\nobjects fetched from the file: %ld (of 5000 stored)\n",
                    db.Database().Fetches());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "model_demo: %s\n", e.what());
        rgnC_finalize(count);
        return 1;
    }
    rgnC_finalize(count);
    return 0;
}
