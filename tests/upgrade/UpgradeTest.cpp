// Upgrading model databases written in the old layouts: each conversion step on its own rows,
// a whole mixed model and the golden files read back through the current classes, and the
// file-level promises (the old file never changes, a killed upgrade leaves nothing behind, a
// current file is left alone, a newer one is refused).
#include "Child.h"
#include "Files.h"
#include "ModuleWalk.h"
#include "OldModel.h"
#include "Refusal.h"
#include "cls_SqliteConnection.h"
#include "cls_SqliteStatement.h"
#include "dbc_Upgrade.h"
#include "ddr_Ddb.h"
#include "nex_Exception.h"
#include "rgnC_Paths.h"
#include "rgnC_SetType.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <thread>

namespace {

using Row = std::map<std::string, std::string>; // column -> value as text, "NULL" for none

// Every row of a table, in object order, read with raw SQL.
std::vector<Row> rowsOf(const std::string& path, const std::string& table) {
    cls_SqliteConnection sql(path, cls_SqliteConnection::Mode::ReadOnly);
    cls_SqliteStatement s(sql, "SELECT * FROM \"" + table + "\" ORDER BY oid");
    std::vector<Row> rows;
    while (s.Step()) {
        Row row;
        for (int c = 0; c < s.ColumnCount(); ++c)
            row[s.ColumnName(c)] = s.IsNull(c) ? "NULL" : std::string(s.Text(c));
        rows.push_back(std::move(row));
    }
    return rows;
}

void execute(const std::string& path, const std::string& sql) {
    cls_SqliteConnection c(path, cls_SqliteConnection::Mode::ReadWrite);
    c.Execute(sql.c_str());
}

// Rows that kept every column they had and gained only "unsorted", false.
void expectOnlyUnsortedAdded(const std::vector<Row>& before, const std::vector<Row>& after) {
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t r = 0; r < after.size(); ++r) {
        Row expected = before[r];
        expected.emplace("unsorted", "0");
        EXPECT_EQ(after[r], expected) << r;
    }
}

// What an upgraded OldModel::Write(..., sets, subsets, pairs, lists) reads back as through the
// current classes: its sets whole (every field and lookup, in ModuleWalk's digest), its regions
// as OldModel::Upgraded makes them when they were written in an old layout, as written
// otherwise, each naming the set it was made from, shared with the map. Region `pathless` was
// stored without a path: it has an undefined one.
void expectModel(const std::string& path, int sets, int subsets, int pairs, int lists,
                 bool oldRegions, int pathless = -1) {
    // Made before the file opens: they are resolved against a scratch database of that name.
    const std::vector<rgnC_Region> written = OldModel::Regions(2 * pairs + 3 * lists, sets);
    ddr_Ddb db(cow_String("model"), path, ddr_Ddb::Mode::ReadOnly);
    const rgnC_SetDataMap& map = db.RootObject<rgnC_SetDataMap>(cow_String("sets"));
    EXPECT_EQ(ModuleWalk::Digest(map, kDigestSeed),
              ModuleWalk::Digest(OldModel::Sets(sets, subsets), kDigestSeed));
    // What the old layouts kept and the new ones do not (the regions' old paths) went.
    EXPECT_EQ(db.Database().UnreachableRows(), 0);
    std::vector<rgnC_Region> read; // in the order written: the pairs', then three per list
    const auto stored = pairs > 0
                            ? db.LoadRoot<cls_xo1DArrayList<rgnC_RegionPair>>(cow_String("pairs"))
                            : cls_xo1DArrayList<rgnC_RegionPair>();
    for (int p = 0; p < stored.Count(); ++p)
        read.insert(read.end(), {stored.ConstGet(p).Region1(), stored.ConstGet(p).Region2()});
    for (int i = 0; i < lists; ++i) {
        const auto list = db.LoadRoot<rgnC_PropRegionList>(cow_String("list-" + std::to_string(i)));
        for (int r = 0; r < list.ConstGet().Count(); ++r)
            read.push_back(list.ConstGet().ConstGet(r));
    }
    ASSERT_EQ(read.size(), written.size());
    for (int r = 0; r < static_cast<int>(read.size()); ++r) {
        EXPECT_TRUE(read[r] == (oldRegions ? OldModel::Upgraded(written[r]) : written[r])) << r;
        EXPECT_EQ(read[r].SetDataPath().IsDefined(), r != pathless) << r;
        EXPECT_TRUE(r == pathless || &read[r].ConstSet() == &map.ConstGet(r % sets)) << r;
    }
}

constexpr OldModel::Layout kRegion203{0x02540001, 203}, kRegion204{0x02540001, 204},
    kSet203{0x02540003, 203}, kSubset203{0x02540004, 203}, kSubset316{0x02540004, 316};

class Upgrade : public ::testing::Test {
protected:
    static void SetUpTestSuite() { OldModel::Start(); }

    TempDir dir;
    const std::string old = dir.File("old.db"), upgraded = dir.File("new.db");
};

} // namespace

TEST_F(Upgrade, RegionsOf203GetAPathWhereTheyHadNoneThenOwnersSpaceAndBits) {
    OldModel::Write(old, {kRegion203}, 4, 1, 0, 1);
    // The second region of the list loses its path, as a record of an early release may.
    const std::vector<Row> before = rowsOf(old, "rgnC_Region");
    ASSERT_EQ(before.size(), 3u);
    execute(old, "UPDATE rgnC_Region SET \"setData#OID\" = NULL, \"setData#ClassID\" = NULL "
                 "WHERE oid = " +
                     before[1].at("oid"));
    // The path it had is now reached by nothing: the upgrade leaves it behind.
    const auto reachedPaths = rowsOf(old, "rgnC_SetDataShortcut").size() - 1;

    ASSERT_EQ(dbc_Upgrade(old, upgraded), dbc_UpgradeResult::Upgraded);
    const std::vector<Row> after = rowsOf(upgraded, "rgnC_Region");
    ASSERT_EQ(after.size(), 3u);
    for (std::size_t r = 0; r < 3; ++r) {
        EXPECT_EQ(after[r].count("_type"), 0u); // dropped
        EXPECT_EQ(after[r].at("_typeObsolete"), "None");
        EXPECT_EQ(after[r].at("_space"), "0");
        EXPECT_EQ(after[r].at("_setTypeBits"), "0");
        EXPECT_NE(after[r].at("_ownerNames#OID"), "NULL");
        for (const char* shared : {"oid", "#uid", "name", "internal"})
            EXPECT_EQ(after[r].at(shared), before[r].at(shared)) << shared;
    }
    EXPECT_EQ(after[0].at("setData#OID"), before[0].at("setData#OID"));
    EXPECT_NE(after[1].at("setData#OID"), "NULL"); // a new path object
    EXPECT_EQ(rowsOf(upgraded, "rgnC_SetDataShortcut").size(), reachedPaths + 1);

    // Read back as regions: the new path is undefined, the others resolve.
    expectModel(upgraded, 4, 1, 0, 1, true, 1);
}

TEST_F(Upgrade, RegionsOf204KeepTheirObsoleteType) {
    OldModel::Write(old, {kRegion204}, 2, 1, 1, 0);
    execute(old, "UPDATE rgnC_Region SET _typeObsolete = 'Element set'");
    ASSERT_EQ(dbc_Upgrade(old, upgraded), dbc_UpgradeResult::Upgraded);
    for (const Row& row : rowsOf(upgraded, "rgnC_Region")) {
        EXPECT_EQ(row.at("_typeObsolete"), "Element set");
        EXPECT_EQ(row.at("_space"), "0");
    }
    ddr_Ddb db(cow_String("model"), upgraded, ddr_Ddb::Mode::ReadOnly);
    const auto pairs = db.LoadRoot<cls_xo1DArrayList<rgnC_RegionPair>>(cow_String("pairs"));
    EXPECT_NE(pairs.ConstGet(0).Region1().TypeObsolete(), rgnC_SetType::None);
}

// Sets of 203 go straight to 405; subsets of 203 take the type of the set that lists them
// and an empty facet list, then lose "numItems" (316) and gain "unsorted" false (405). The
// subset step's caches hold one run's sets: a conversion just before, of another file, must
// not show.
TEST_F(Upgrade, SetsAndSubsetsOf203TakeTheirSetsTypeAndEmptyFacets) {
    const std::string other = dir.File("other.db");
    OldModel::Write(other, {kSet203, kSubset203}, 2, 1, 0, 0);
    ASSERT_EQ(dbc_Upgrade(other, dir.File("other-new.db")), dbc_UpgradeResult::Upgraded);
    OldModel::Write(old, {kSet203, kSubset203}, 5, 3, 0, 0);
    const std::vector<Row> subsetsBefore = rowsOf(old, "rgnC_SubsetData");
    ASSERT_EQ(dbc_Upgrade(old, upgraded), dbc_UpgradeResult::Upgraded);

    const std::vector<Row> sets = rowsOf(upgraded, "rgnC_SetData");
    expectOnlyUnsortedAdded(rowsOf(old, "rgnC_SetData"), sets);
    const std::vector<Row> subsets = rowsOf(upgraded, "rgnC_SubsetData");
    ASSERT_EQ(subsets.size(), 15u);
    std::set<std::string> emptyLists;
    for (const Row& list : rowsOf(upgraded, "cls_intlist"))
        if (list.at("count") == "0")
            emptyLists.insert(list.at("oid"));
    for (std::size_t k = 0; k < subsets.size(); ++k) {
        const Row& subset = subsets[k];
        EXPECT_EQ(subset.count("numItems"), 0u);
        EXPECT_EQ(subset.at("unsorted"), "0");
        EXPECT_EQ(subset.at("idArray#OID"), subsetsBefore[k].at("idArray#OID"));
        // Subsets are stored set by set: subset k belongs to set k / 3, the set of row k / 3.
        EXPECT_EQ(subset.at("subsetType#OID"), sets[k / 3].at("setType#OID")) << k;
        EXPECT_EQ(subset.at("subsetType#ClassID"), sets[k / 3].at("setType#ClassID"));
        EXPECT_EQ(emptyLists.count(subset.at("facetIdArray#OID")), 1u) << k;
    }
}

TEST_F(Upgrade, SubsetsOf316OnlyBecomeSorted) {
    OldModel::Write(old, {kSubset316}, 3, 2, 0, 0);
    ASSERT_EQ(dbc_Upgrade(old, upgraded), dbc_UpgradeResult::Upgraded);
    expectOnlyUnsortedAdded(rowsOf(old, "rgnC_SubsetData"), rowsOf(upgraded, "rgnC_SubsetData"));
}

// A subset that no set lists has no type to take: it keeps none, and reading it says so.
TEST_F(Upgrade, ASubsetInNoSetKeepsNoType) {
    {
        ddr_Ddb db(cow_String("model"), old, ddr_Ddb::Mode::Create);
        OldModel::StoreInOldLayouts(db, {kSet203, kSubset203});
        db.StoreRoot(cow_String("sets"), OldModel::Sets(1, 1));
        db.StoreRoot(cow_String("lone"), OldModel::Set(7, 1).SubSet(0));
    }
    ASSERT_EQ(dbc_Upgrade(old, upgraded), dbc_UpgradeResult::Upgraded);
    int untyped = 0;
    for (const Row& subset : rowsOf(upgraded, "rgnC_SubsetData")) {
        untyped += subset.at("subsetType#OID") == "NULL";
        EXPECT_NE(subset.at("facetIdArray#OID"), "NULL");
    }
    EXPECT_EQ(untyped, 1);
    ddr_Ddb db(cow_String("model"), upgraded, ddr_Ddb::Mode::ReadOnly);
    EXPECT_THROW(db.LoadRoot<rgnC_SubsetData>(cow_String("lone")), nex_Exception);
    EXPECT_EQ(db.LoadRoot<rgnC_SetDataMap>(cow_String("sets")).ConstGet(0).SubSet(0).SubsetType(),
              res_SetTypeEnm::NODE_SET);
}

// The golden old-layout databases kept in tests/data/old/ (written by an earlier build of the
// store, regenerated by scripts/make_golden_databases.sh) still upgrade and read back as the
// model they were made from: a change of the store that stops reading them shows here.
TEST_F(Upgrade, GoldenFilesOfEveryOldLayoutReadBackAsTheModelTheyWereMadeFrom) {
    for (const auto& [name, oldRegions] :
         {std::pair{"oldest-203.rdb", true}, std::pair{"regions-204-subsets-303.rdb", true},
          std::pair{"subsets-316.rdb", false}}) {
        SCOPED_TRACE(name);
        const std::string golden = dir.File(name), result = dir.File(std::string(name) + ".new");
        const std::string unpack =
            std::string("gzip -dc '") + RGN_GOLDEN_FOLDER + "/" + name + ".gz' > '" + golden + "'";
        ASSERT_EQ(std::system(unpack.c_str()), 0) << unpack;
        ASSERT_EQ(dbc_Upgrade(golden, result), dbc_UpgradeResult::Upgraded);
        expectModel(result, 6, 3, 4, 2, oldRegions);
    }
}

TEST_F(Upgrade, NewerFilesAndTakenTargetsAreRefused) {
    OldModel::Write(old, {kSet203}, 2, 1, 0, 0);
    const std::string newer = dir.File("newer.db");
    std::filesystem::copy_file(old, newer);
    execute(newer, "UPDATE cls_catalog SET version = 999 WHERE name = 'rgnC_SetData'");
    // The upgrade and an ordinary open refuse it alike.
    for (const std::string& why :
         {RefusalText([&] { dbc_Upgrade(newer, upgraded); }),
          RefusalText([&] { ddr_Ddb db(cow_String("n"), newer, ddr_Ddb::Mode::ReadOnly); })}) {
        EXPECT_MENTIONS(why, newer);
        EXPECT_MENTIONS(why, "rgnC_SetData");
        EXPECT_MENTIONS(why, "newer");
    }
    EXPECT_FALSE(std::filesystem::exists(upgraded));
    WriteFile(upgraded, "taken");
    EXPECT_THROW(dbc_Upgrade(old, upgraded), nex_Exception);
    EXPECT_EQ(ReadFile(upgraded), "taken");
}

// A mixed model in its oldest layouts upgrades whole, reporting its progress, and is current
// afterwards. An upgrade killed anywhere leaves the old file as it was and no new file, or the
// new file whole; what it left under the temporary name goes with the next upgrade.
TEST_F(Upgrade, AMixedOldModelUpgradesWholeOrNotAtAllWhenKilled) {
    constexpr int kSets = 300, kSubsets = 4, kPairs = 1000, kLists = 2;
    OldModel::Write(old, {kRegion203, kSet203, kSubset203}, kSets, kSubsets, kPairs, kLists);
    const std::string oldBytes = ReadFile(old);
    long reportedTotal = 0, lastDone = -1;
    bool ascending = true;
    // Kill times are spread over how long one whole upgrade takes on this machine.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(dbc_Upgrade(old, upgraded,
                          [&](long done, long total) {
                              ascending &= done > lastDone;
                              lastDone = done;
                              reportedTotal = total;
                          }),
              dbc_UpgradeResult::Upgraded);
    const auto wholeUpgrade = std::chrono::duration_cast<std::chrono::microseconds>(
                                  std::chrono::steady_clock::now() - start)
                                  .count();
    EXPECT_EQ(ReadFile(old), oldBytes); // the old file is only read
    EXPECT_TRUE(ascending);
    // Regions go through two steps, subsets through three, sets through one.
    EXPECT_EQ(reportedTotal, 2L * (2 * kPairs + 3 * kLists) + 3L * kSets * kSubsets + kSets);
    EXPECT_EQ(lastDone, reportedTotal);
    expectModel(upgraded, kSets, kSubsets, kPairs, kLists, true);
    EXPECT_EQ(dbc_Upgrade(upgraded, dir.File("again.db")), dbc_UpgradeResult::AlreadyCurrent);
    EXPECT_FALSE(std::filesystem::exists(dir.File("again.db")));

    std::mt19937 random(31337);
    int killedBeforeTheEnd = 0;
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::filesystem::remove(upgraded);
        Child upgrade([&](const Child::Report&) { dbc_Upgrade(old, upgraded); });
        std::this_thread::sleep_for(std::chrono::microseconds(random() % (wholeUpgrade + 1)));
        const int status = upgrade.Kill();
        const bool finished = !KilledBySignal(status), written = std::filesystem::exists(upgraded);
        ASSERT_TRUE(!finished || ExitedCleanly(status));
        killedBeforeTheEnd += !finished;
        EXPECT_EQ(ReadFile(old), oldBytes);
        EXPECT_TRUE(written || !finished);
        if (written)
            expectModel(upgraded, kSets, kSubsets, kPairs, kLists, true);
    }
    EXPECT_GT(killedBeforeTheEnd, 5);
    std::filesystem::remove(upgraded);
    ASSERT_EQ(dbc_Upgrade(old, upgraded), dbc_UpgradeResult::Upgraded);
    EXPECT_FALSE(std::filesystem::exists(dbc_UpgradeTemporaryPath(upgraded)));
}

// Start-up registers the six old layouts the upgrade steps need (the tests above write in five
// of them, the golden files hold the sixth), each the only reference to its holder, and the
// old layouts leave the current classes' metadata alone.
TEST_F(Upgrade, StartUpRegistersTheOldLayoutsBesideTheCurrentOnes) {
    const auto& registrar = omi_Singleton<dbc_OldClassRegistrar>::Instance();
    ASSERT_EQ(registrar.Entries().size(), 6u);
    for (const auto& entry : registrar.Entries())
        EXPECT_EQ(entry.holder->Count(), 1);
    EXPECT_EQ(cls_ClassRegistrar::Current().Find(0x02540001)->Version(), 331);
    EXPECT_EQ(cls_ClassRegistrar::Current().Find(0x02540004)->Version(), 405);
    // The old layouts number their fields; the current ones do not.
    EXPECT_EQ(registrar.Layout(0x02540001, 203)->Attributes().back().handle.Index(), 4);
}
