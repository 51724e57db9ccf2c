// Paths that name nothing: undefined handles, entries over undefined lists, chains that break
// further up, and such paths stored in or read from damaged files. None of them may crash; each
// answers IsDefined() false and empty texts, and every attempt to resolve, store or read one
// is refused with a message that says which path class misses what.
#include "Refusal.h"
#include "RegionWorld.h"
#include "nex_TextException.h"
#include "rgnC_Region.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

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

TEST(BrokenPath, UndefinedHandlesAnswerEmptyTextsAndTheirOwnTypeId) {
    const rgnC_Region region;
    expectNamesNothing(region.SetDataPath());
    expectNamesNothing(rgnC_SubsetDataPath());
    EXPECT_EQ(rgnC_SetDataPath().DynTypeId(), rgnC_SetDataPath::TypeId());
    EXPECT_EQ(rgnC_SubsetDataPath().DynTypeId(), rgnC_SubsetDataPath::TypeId());

    const std::string why =
        refusal([&] { region.SetDataPath().ConstGet(RegionWorld::OpenDatabases()); });
    EXPECT_MENTIONS(why, "rgnC_SetDataShortcut");
    EXPECT_MENTIONS(why, "undefined");
    EXPECT_MENTIONS(
        refusal([] { rgnC_SubsetDataListPath().ConstGet(RegionWorld::OpenDatabases()); }),
        "rgnC_SubsetDataListShortcut");
}

TEST(BrokenPath, EntriesOverUndefinedListsNameNothingAndSayWhatIsMissing) {
    const rgnC_SetDataPath set = setOfUndefinedList();
    expectNamesNothing(set);
    EXPECT_EQ(set.DynTypeId(), rgnC_SetDataInList::TypeId()); // the implementation is there
    const std::string why = refusal([&] { set.ConstGet(RegionWorld::OpenDatabases()); });
    EXPECT_MENTIONS(why, "rgnC_SetDataShortcut: cannot resolve a broken path");
    EXPECT_MENTIONS(why, "the parent path (rgnC_SetDataListShortcut) of "
                         "rgnC_SetDataInSetDataListShortcut [1] is undefined");
    // Asked directly, the entry names itself.
    EXPECT_MENTIONS(refusal([&] { set.ImplPtr()->ConstGet(RegionWorld::OpenDatabases()); }),
                    "rgnC_SetDataInSetDataListShortcut: cannot be resolved");

    // Two steps further down the chain, the break is still found and named.
    const rgnC_SubsetDataPath subset = subsetOfUndefinedList();
    expectNamesNothing(subset);
    const std::string deep = refusal([&] { subset.ConstGet(RegionWorld::OpenDatabases()); });
    EXPECT_MENTIONS(deep, "rgnC_SubsetDataShortcut");
    EXPECT_MENTIONS(deep, "rgnC_SetDataInSetDataListShortcut [1] is undefined");
    const rgnC_SubsetDataListPath subsets(new rgnC_SubsetListOfSet(rgnC_SetDataPath()));
    EXPECT_MENTIONS(refusal([&] { subsets.ImplPtr()->ConstGet(RegionWorld::OpenDatabases()); }),
                    "rgnC_SubsetDataListInSetDataShortcut (.subset) is undefined");
    EXPECT_MENTIONS(refusal([] {
                        rgnC_SetDataListPath(
                            new rgnC_SetDataListRoot(cow_String(), cow_String("s")))
                            .ConstGet(RegionWorld::OpenDatabases());
                    }),
                    "names no database");

    // A region over a broken path takes nothing from it, and its ConstSet says why.
    const rgnC_Region region(set);
    EXPECT_TRUE(region == rgnC_Region());
    EXPECT_MENTIONS(refusal([&] { region.ConstSet(); }), "rgnC_SetDataListShortcut");
}

TEST_F(BrokenPathStore, BrokenPathsAreRefusedAtWriteAndNothingIsWritten) {
    ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::Create);
    StoreSets(db);
    const std::string why =
        refusal([&] { db.StoreRoot(cow_String("path"), setOfUndefinedList()); });
    EXPECT_MENTIONS(why, "rgnC_SetDataShortcut: cannot store a broken path");
    EXPECT_MENTIONS(why, "rgnC_SetDataInSetDataListShortcut [1]");
    EXPECT_MENTIONS(refusal([&] { db.StoreRoot(cow_String("subset"), subsetOfUndefinedList()); }),
                    "rgnC_SubsetDataShortcut: cannot store a broken path");
    // Inside a region, after the region's own fields were recorded: still nothing committed.
    rgnC_Region region(cow_String("R"), cow_String("m"), 0, 4, false);
    EXPECT_NO_THROW(db.StoreRoot(cow_String("region"), region));
    region = rgnC_Region(setOfUndefinedList());
    EXPECT_MENTIONS(refusal([&] { db.StoreRoot(cow_String("region"), region); }),
                    "cannot store a broken path");

    EXPECT_EQ(db.RootNames().size(), 2u); // "sets" and the first "region"
    EXPECT_EQ(db.LoadRoot<rgnC_Region>(cow_String("region")).Name(), cow_String("R"));
    // An undefined path is a value like any other: it stores, and reads back undefined.
    db.StoreRoot(cow_String("undefined"), rgnC_SetDataPath());
    EXPECT_FALSE(db.LoadRoot<rgnC_SetDataPath>(cow_String("undefined")).IsDefined());
}

// A file whose stored paths lost a part (a flipped bit or an edit): reading the path, or a
// region holding it, is refused naming the path class, the file and the object; a handle that
// lost its implementation reads back as an undefined path, which is harmless.
TEST_F(BrokenPathStore, PathsThatLostAPartInTheFileAreRefusedWhenRead) {
    struct Damage {
        const char* sql;
        const char* refusedBy; // empty: the path reads back undefined
    };
    const Damage damages[] = {
        {"UPDATE rgnC_SetDataInSetDataListShortcut SET \"parent#OID\" = NULL, "
         "\"parent#ClassID\" = NULL",
         "rgnC_SetDataInSetDataListShortcut: stored path names nothing (the parent path "
         "(rgnC_SetDataListShortcut) of rgnC_SetDataInSetDataListShortcut [4] is undefined)"},
        {"UPDATE rgnC_SetDataListShortcut SET \"impl#OID\" = NULL, \"impl#ClassID\" = NULL",
         "rgnC_SetDataInSetDataListShortcut: stored path names nothing"},
        {"UPDATE ddr_SetDataListRootShortcut SET ddb = ''",
         "ddr_SetDataListRootShortcut: stored path names nothing (ddr_SetDataListRootShortcut "
         "names no database)"},
        {"UPDATE rgnC_SetDataShortcut SET \"impl#OID\" = NULL, \"impl#ClassID\" = NULL", ""},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.sql);
        TempDir here;
        const std::string path = here.File("damaged.db");
        {
            ddr_Ddb db(cow_String("model"), path, ddr_Ddb::Mode::Create);
            StoreSets(db);
            db.StoreRoot(cow_String("path"), RegionWorld::SetPath("model", "sets", 4));
            db.StoreRoot(cow_String("region"),
                         rgnC_Region(RegionWorld::SetPath("model", "sets", 4)));
            db.Database().Sql().Execute(damage.sql);
        }
        ddr_Ddb db(cow_String("model"), path, ddr_Ddb::Mode::ReadOnly);
        if (*damage.refusedBy) {
            for (const char* root : {"path", "region"}) {
                const std::string why = refusal([&] {
                    if (std::string(root) == "path")
                        db.LoadRoot<rgnC_SetDataPath>(cow_String(root));
                    else
                        db.LoadRoot<rgnC_Region>(cow_String(root));
                });
                EXPECT_MENTIONS(why, damage.refusedBy);
                EXPECT_MENTIONS(why, "in file '" + path + "', object ");
            }
            continue;
        }
        const auto back = db.LoadRoot<rgnC_SetDataPath>(cow_String("path"));
        expectNamesNothing(back);
        const auto region = db.LoadRoot<rgnC_Region>(cow_String("region"));
        EXPECT_EQ(region.Name(), cow_String("SET-4")); // stored with the region, not resolved
        EXPECT_EQ(region.SetDataPath().Path(), cow_String());
        EXPECT_MENTIONS(refusal([&] { region.ConstSet(); }), "shortcut is undefined");
    }

    // A subset path whose subset list lost the set it belongs to.
    {
        ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::Create);
        StoreSets(db);
        const rgnC_SubsetDataListPath subsets(
            new rgnC_SubsetListOfSet(RegionWorld::SetPath("model", "sets", 2)));
        db.StoreRoot(cow_String("subset"),
                     rgnC_SubsetDataPath(new rgnC_SubsetDataInList(0, subsets)));
        db.Database().Sql().Execute("UPDATE rgnC_SubsetDataListInSetDataShortcut SET "
                                    "\"parent#OID\" = NULL, \"parent#ClassID\" = NULL");
    }
    ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::ReadOnly);
    const std::string why =
        refusal([&] { db.LoadRoot<rgnC_SubsetDataPath>(cow_String("subset")); });
    EXPECT_MENTIONS(why, "rgnC_SubsetDataListInSetDataShortcut: stored path names nothing (the "
                         "parent path (rgnC_SetDataShortcut) of "
                         "rgnC_SubsetDataListInSetDataShortcut (.subset) is undefined)");
    EXPECT_MENTIONS(why, "in file '" + file + "', object ");
}
