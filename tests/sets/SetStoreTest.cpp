#include "IdList.h"
#include "ModuleWalk.h"
#include "RegionWorld.h"
#include "cls_xoList.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

// Set s holds a node, an element and two surface subsets; ids derive from s.
rgnC_SetData makeSet(int s) {
    rgnC_SetData set(s, cow_String("SET-" + std::to_string(s)), res_SetTypeEnm::SURFACE_SET,
                     s % 7 == 0, s % 2 == 0);
    set.AddSubset(0, 1, idsFrom(s * 100, 5), res_SetTypeEnm::NODE_SET, false, {});
    set.AddSubset(0, 2, idsFrom(s * 100 + 50, 3, 2), res_SetTypeEnm::ELEMENT_SET, false, {});
    set.AddSubset(1, 2, idsFrom(-s, 4), res_SetTypeEnm::SURFACE_FACET, true, idsFrom(1, 4));
    set.AddSubset(1, 3, idsFrom(s, 2), static_cast<res_SetTypeEnm>(7), false, {});
    return set;
}

// A path to subset k of set s of the list stored under "sets" of the database "model".
rgnC_SubsetDataPath subsetPath(int s, int k) {
    const rgnC_SubsetDataListPath subsets(
        new rgnC_SubsetListOfSet(RegionWorld::SetPath("model", "sets", s)));
    return rgnC_SubsetDataPath(new rgnC_SubsetDataInList(k, subsets));
}

template <class Impl>
const Impl& implOf(const auto& path) {
    return dynamic_cast<const Impl&>(*path.ImplPtr());
}

using SetStore = RegionWorld::Fixture;

} // namespace

// A path to a subset resolves fetching only the set it names and that subset; the whole list,
// read afterwards, gives back every stored attribute of a set and its subsets, uids included,
// and the defaults of attributes missing from the file.
TEST_F(SetStore, AStoredSubsetPathFetchesOnlyWhatItNamesAndSetsReadBackWhole) {
    const rgnC_SetData original = makeSet(14); // internal and unsorted
    {
        ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::Create);
        rgnC_SetDataMap sets;
        for (int s = 0; s < 1000; ++s)
            sets.Insert(s, s == 14 ? original : makeSet(s));
        db.StoreRoot(cow_String("sets"), sets);
        db.StoreRoot(cow_String("path"), subsetPath(17, 2));
        cls_SqliteConnection& sql = db.Database().Sql();
        sql.Execute("UPDATE rgnC_SetData SET setLabel = NULL WHERE setIndex = 5");
        sql.Execute("UPDATE rgnC_SubsetData SET meshIndex = NULL, classIndex = NULL "
                    "WHERE setIndex = 5");
    }
    ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::ReadOnly);
    const rgnC_SubsetDataPath path = db.LoadRoot<rgnC_SubsetDataPath>(cow_String("path"));
    ASSERT_TRUE(path.IsDefined());
    EXPECT_EQ(path.Path(), cow_String("model.sets[17].subset[2]"));

    const rgnC_SubsetData& subset = path.ImplPtr()->ConstGet(RegionWorld::OpenDatabases());
    EXPECT_EQ(subset.SetIndex(), 17);
    EXPECT_EQ(subset.LookupIndex(-15), 2);
    EXPECT_EQ(subset.LookupIndex(99), rgnC_SubsetData::kNotFound);
    // One set and one of its subsets came from the file; no other set did.
    EXPECT_EQ(db.Database().Fetches(), 2);
    path.ImplPtr()->ConstGet(RegionWorld::OpenDatabases());
    EXPECT_EQ(db.Database().Fetches(), 2);

    // The digest folds in every field of the set and its subsets; the uids come on top.
    const rgnC_SetDataMap sets = db.LoadRoot<rgnC_SetDataMap>(cow_String("sets"));
    const rgnC_SetData& back = sets.ConstGet(14);
    EXPECT_EQ(ModuleWalk::Digest(back, 0), ModuleWalk::Digest(original, 0));
    EXPECT_EQ(back.Uid(), original.Uid());
    for (int k = 0; k < original.NumSubset(); ++k)
        EXPECT_EQ(back.SubSet(k).Uid(), original.SubSet(k).Uid()) << k;
    const rgnC_SetData& defaults = sets.ConstGet(5);
    EXPECT_EQ(defaults.SetLabel(), cow_String("0"));
    EXPECT_EQ(std::pair(defaults.SubSet(3).MeshIndex(), defaults.SubSet(3).ClassIndex()),
              std::pair(0, 0)); // stored as 1 and 3
}

TEST_F(SetStore, PathsReloadWithTextsUidsAndSharedImplementations) {
    const rgnC_SubsetDataPath path = subsetPath(4, 1);
    const rgnC_SubsetDataPath sameImpl = path; // shares the implementation
    {
        ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::Create);
        db.StoreRoot(cow_String("a"), path);
        cls_xoList<rgnC_SubsetDataPath> both;
        both.Append(path);
        both.Append(sameImpl);
        both.Append(subsetPath(4, 1)); // equal text, its own implementation
        db.StoreRoot(cow_String("both"), both);
    }
    ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::ReadOnly);
    const auto back = db.LoadRoot<rgnC_SubsetDataPath>(cow_String("a"));
    EXPECT_TRUE(back == path); // the same text: every index and name along the path
    EXPECT_EQ(back.Uid(), path.Uid());
    const auto& entry = implOf<rgnC_SubsetDataInList>(back);
    const auto& original = implOf<rgnC_SubsetDataInList>(path);
    EXPECT_EQ(entry.Uid(), original.Uid());
    const auto& member = implOf<rgnC_SubsetListOfSet>(entry.Parent());
    EXPECT_EQ(member.Uid(), implOf<rgnC_SubsetListOfSet>(original.Parent()).Uid());

    // Handles that shared one implementation when stored share it again when loaded.
    const auto both = db.LoadRoot<cls_xoList<rgnC_SubsetDataPath>>(cow_String("both"));
    ASSERT_EQ(both.Count(), 3);
    EXPECT_EQ(both.ConstGet(0).ImplPtr(), both.ConstGet(1).ImplPtr());
    EXPECT_EQ(both.ConstGet(0).ImplHandle().Count(), 2);
    EXPECT_NE(both.ConstGet(2).ImplPtr(), both.ConstGet(0).ImplPtr());
    EXPECT_TRUE(both.ConstGet(2) == both.ConstGet(0));
}

// A subset added through a writable path is flushed with the set that counts it: right after
// the flush of the set list, another connection sees both subsets counted and stored (killed
// writers in the middle of such flushes are the nested crash tests' part). Resolving a writable
// path twice reaches the same set, with its change.
TEST_F(SetStore, ANestedChangeIsFlushedWithItsOwnerAndWritablePathsReachOneObject) {
    {
        ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::Create);
        StoreSets(db);
    }
    ddr_Ddb db(cow_String("model"), file, ddr_Ddb::Mode::ReadWrite);
    const rgnC_SetDataPath six = RegionWorld::SetPath("model", "sets", 6);
    ddr_DdbContainer& open = thr_ThreadSingleton<ddr_Root>::Instance().Fetch();
    rgnC_SetData& set = six.ImplPtr()->Get(open);
    set.AddSubset(1, 7, idsFrom(900, 4), res_SetTypeEnm::NODE_SET, false, {});
    EXPECT_EQ(&six.ImplPtr()->Get(open), &set); // the same object, not fetched again
    db.RootObject<rgnC_SetDataMap>(cow_String("sets")).Flush();

    ddr_Ddb other(cow_String("other"), file, ddr_Ddb::Mode::ReadOnly);
    const rgnC_SetDataMap sets = other.LoadRoot<rgnC_SetDataMap>(cow_String("sets"));
    EXPECT_EQ(sets.ConstGet(6).NumSubset(), 2);
    EXPECT_EQ(sets.ConstGet(6).SubSet(1).IdArray().ConstGet(3), 903);
}
