// Paths that name nothing: undefined handles, entries over undefined lists, chains that break
// further up, and such paths stored in or read from damaged files. None of them may crash; each
// answers IsDefined() false and empty texts, and every attempt to resolve, store or read one
// is refused with a message that says which path class misses what.
#include "ModuleWalk.h"
#include "Refusal.h"
#include "RegionWorld.h"
#include "nex_TextException.h"
#include "rgnC_Region.h"
#include "rgnC_SetType.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

std::string refusal(const std::function<void()>& call) {
    return RefusalText<nex_TextException>(call);
}

// set 1 of an undefined list: the chain breaks at its first parent.
rgnC_SetDataPath setOfUndefinedList() {
    return rgnC_SetDataPath(new rgnC_SetDataInList(1, rgnC_SetDataListPath()));
}

// subset 2 of the subsets of that set: the chain breaks two steps further up.
rgnC_SubsetDataPath subsetOfUndefinedList() {
    const rgnC_SubsetDataListPath subsets(new rgnC_SubsetListOfSet(setOfUndefinedList()));
    return rgnC_SubsetDataPath(new rgnC_SubsetDataInList(2, subsets));
}

// Every way of asking a path that names nothing for its texts gives the empty text.
template <class Path>
void expectNamesNothing(const Path& p) {
    EXPECT_FALSE(p.IsDefined());
    EXPECT_EQ(p.Path(), cow_String());
    EXPECT_EQ(p.Name(), cow_String());
    EXPECT_EQ(p.PythonPath(), cow_String());
    EXPECT_EQ(p.DdbName(), cow_String());
    EXPECT_TRUE(p == Path()); // compares by text, like two undefined paths
}

using BrokenPathStore = RegionWorld::Fixture;

} // namespace

TEST(BrokenPath, PathsOverNothingNameNothingAndResolvingOneSaysWhatIsMissing) {
    // A region over an undefined handle or a broken path takes nothing from it.
    const rgnC_Region undefined{rgnC_SetDataPath()};
    const rgnC_SetDataPath set = setOfUndefinedList();
    const rgnC_SubsetDataPath subset = subsetOfUndefinedList();
    EXPECT_TRUE(undefined == rgnC_Region());
    EXPECT_TRUE(rgnC_Region(set) == rgnC_Region());
    EXPECT_EQ(undefined.TypeObsolete(), rgnC_SetType::None);
    expectNamesNothing(undefined.SetDataPath());
    expectNamesNothing(rgnC_SubsetDataPath());
    expectNamesNothing(set);
    expectNamesNothing(subset);

    const ddr_DdbContainer& open = RegionWorld::OpenDatabases();
    const rgnC_SubsetDataListPath subsetsOfNothing(new rgnC_SubsetListOfSet(rgnC_SetDataPath()));
    const rgnC_SetDataListPath noDatabase(new rgnC_SetDataListRoot(cow_String(), cow_String("s")));
    const char* const brokenAtList = "cannot resolve a broken path: the parent path "
                                     "(rgnC_SetDataListShortcut) of "
                                     "rgnC_SetDataInSetDataListShortcut [1] is undefined";
    const struct {
        std::function<void()> resolve;
        std::string says;
    } cases[] = {
        {[&] { undefined.SetDataPath().ConstGet(open); },
         "rgnC_SetDataShortcut: cannot resolve an undefined path"},
        {[&] { rgnC_SubsetDataListPath().ConstGet(open); },
         "rgnC_SubsetDataListShortcut: cannot resolve an undefined path"},
        {[&] { set.ConstGet(open); }, std::string("rgnC_SetDataShortcut: ") + brokenAtList},
        // Asked directly, the entry names itself.
        {[&] { set.ImplPtr()->ConstGet(open); },
         "rgnC_SetDataInSetDataListShortcut: cannot be resolved"},
        // Two steps further down the chain, the break is still found and named.
        {[&] { subset.ConstGet(open); }, std::string("rgnC_SubsetDataShortcut: ") + brokenAtList},
        {[&] { subsetsOfNothing.ImplPtr()->ConstGet(open); },
         "rgnC_SubsetDataListInSetDataShortcut (.subset) is undefined"},
        {[&] { noDatabase.ConstGet(open); }, "names no database"},
        {[&] { rgnC_Region(set).ConstSet(); },
         std::string("rgnC_SetDataShortcut: ") + brokenAtList},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        EXPECT_MENTIONS(refusal(c.resolve), c.says);
    }
    // Over an undefined handle, ConstSet is refused with the module's own message and position.
    const auto e = Refusal<nex_TextException>([&] { undefined.ConstSet(); });
    ASSERT_TRUE(e);
    EXPECT_STREQ(e->what(), "Cannot retrieve set - shortcut is undefined");
    EXPECT_STREQ(e->File(), "generated/module/rgn/com/impl/rgnC_Region");
    EXPECT_EQ(e->Line(), 159);
}

TEST_F(BrokenPathStore, BrokenPathsAreRefusedAtWriteAndNothingIsWritten) {
    ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::Create);
    EXPECT_MENTIONS(refusal([&] { db.StoreRoot(cow_String("path"), setOfUndefinedList()); }),
                    "rgnC_SetDataShortcut: cannot store a broken path: the parent path "
                    "(rgnC_SetDataListShortcut) of rgnC_SetDataInSetDataListShortcut [1]");
    EXPECT_MENTIONS(refusal([&] { db.StoreRoot(cow_String("subset"), subsetOfUndefinedList()); }),
                    "rgnC_SubsetDataShortcut: cannot store a broken path");
    // Inside a region, after the region's own fields were recorded: still nothing committed.
    rgnC_Region region(cow_String("R"), cow_String("m"), 0, 4, false);
    EXPECT_NO_THROW(db.StoreRoot(cow_String("region"), region));
    region = rgnC_Region(setOfUndefinedList());
    EXPECT_MENTIONS(refusal([&] { db.StoreRoot(cow_String("region"), region); }),
                    "cannot store a broken path");

    EXPECT_EQ(db.RootNames().size(), 1u); // the first "region"
    EXPECT_EQ(db.LoadRoot<rgnC_Region>(cow_String("region")).Name(), cow_String("R"));
    // An undefined path is a value like any other: it stores, and reads back undefined.
    db.StoreRoot(cow_String("undefined"), rgnC_SetDataPath());
    EXPECT_FALSE(db.LoadRoot<rgnC_SetDataPath>(cow_String("undefined")).IsDefined());
}

// A file whose stored paths lost a part (a flipped bit or an edit): reading the path, a region
// holding it or a subset path below it is refused naming the path class, the file and the
// object; a handle that lost its implementation reads back as an undefined path, which is
// harmless.
TEST_F(BrokenPathStore, PathsThatLostAPartInTheFileAreRefusedWhenRead) {
    {
        ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::Create);
        StoreSets(db);
        db.StoreRoot(cow_String("path"), RegionWorld::SetPath("model", "sets", 4));
        db.StoreRoot(cow_String("region"), rgnC_Region(RegionWorld::SetPath("model", "sets", 4)));
        const rgnC_SubsetDataListPath subsets(
            new rgnC_SubsetListOfSet(RegionWorld::SetPath("model", "sets", 2)));
        db.StoreRoot(cow_String("subset"),
                     rgnC_SubsetDataPath(new rgnC_SubsetDataInList(0, subsets)));
    }
    const struct {
        const char* sql;
        std::vector<const char*> roots; // refused when read; none: the path reads back undefined
        const char* refusedBy;
    } damages[] = {
        {"UPDATE rgnC_SetDataInSetDataListShortcut SET \"parent#OID\" = NULL, "
         "\"parent#ClassID\" = NULL",
         {"path", "region"},
         "rgnC_SetDataInSetDataListShortcut: stored path names nothing (the parent path "
         "(rgnC_SetDataListShortcut) of rgnC_SetDataInSetDataListShortcut [4] is undefined)"},
        {"UPDATE rgnC_SetDataListShortcut SET \"impl#OID\" = NULL, \"impl#ClassID\" = NULL",
         {"path", "region"},
         "rgnC_SetDataInSetDataListShortcut: stored path names nothing"},
        {"UPDATE ddr_SetDataListRootShortcut SET ddb = ''",
         {"path", "region"},
         "ddr_SetDataListRootShortcut: stored path names nothing (ddr_SetDataListRootShortcut "
         "names no database)"},
        {"UPDATE rgnC_SubsetDataListInSetDataShortcut SET \"parent#OID\" = NULL, "
         "\"parent#ClassID\" = NULL",
         {"subset"},
         "rgnC_SubsetDataListInSetDataShortcut: stored path names nothing (the parent path "
         "(rgnC_SetDataShortcut) of rgnC_SubsetDataListInSetDataShortcut (.subset) is "
         "undefined)"},
        {"UPDATE rgnC_SetDataShortcut SET \"impl#OID\" = NULL, \"impl#ClassID\" = NULL", {}, ""},
    };
    for (std::size_t d = 0; d < std::size(damages); ++d) {
        SCOPED_TRACE(damages[d].sql);
        const std::string path = dir.File("damaged-" + std::to_string(d) + ".db");
        std::filesystem::copy_file(file, path);
        {
            ddr_Ddb damage(cow_String("damage"), path, ddr_Ddb::Mode::ReadWrite);
            damage.Database().Sql().Execute(damages[d].sql);
        }
        ddr_Ddb db(cow_String(ModuleWalk::kDdbName), path, ddr_Ddb::Mode::ReadOnly);
        for (const char* root : damages[d].roots) {
            const std::string why = refusal([&] { ModuleWalk::ReadRoot(db, cow_String(root), 0); });
            EXPECT_MENTIONS(why, damages[d].refusedBy);
            EXPECT_MENTIONS(why, "in file '" + path + "', object ");
        }
        if (!damages[d].roots.empty())
            continue;
        expectNamesNothing(db.LoadRoot<rgnC_SetDataPath>(cow_String("path")));
        const auto region = db.LoadRoot<rgnC_Region>(cow_String("region"));
        EXPECT_EQ(region.Name(), cow_String("SET-4")); // stored with the region, not resolved
        EXPECT_EQ(region.SetDataPath().Path(), cow_String());
        EXPECT_MENTIONS(refusal([&] { region.ConstSet(); }), "shortcut is undefined");
    }
}
