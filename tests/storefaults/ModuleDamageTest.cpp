// Damage that only the module's own classes can see: counts that disagree with what is stored,
// subsets stored under keys their records contradict, facet lists of the wrong length, values
// of the wrong kind, names outside an enumeration's table, regions missing from a pair and
// objects of the wrong class. Each case is made by raw SQL on a valid file and read through
// the module's classes; each must be refused with an exception whose message names the file,
// the class and the object, once, in front of the problem.
#include "ModuleWalk.h"
#include "Refusal.h"
#include "RegionWorld.h"
#include "nex_Exception.h"
#include "omu_ValueErrorException.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

namespace {

using Mode = ddr_Ddb::Mode;

// Set k has k + 1 subsets; subset 1 has facet ids.
rgnC_SetData setWithSubsets(int k) {
    rgnC_SetData set(k, cow_String("SET-" + std::to_string(k)), res_SetTypeEnm::SURFACE_SET, false,
                     false);
    for (int i = 0; i <= k; ++i) {
        cow_1DArrayList<int> ids, facets;
        for (int j = 0; j < 4; ++j) {
            ids.Append(1000 * k + 10 * i + j);
            if (i == 1)
                facets.Append(j + 1);
        }
        set.AddSubset(i, 0, ids, static_cast<res_SetTypeEnm>(7), false, facets);
    }
    return set;
}

// What a case does to the sample, the root it reads, the class and object (a query for its row)
// the refusal must name, and a part of the problem.
struct Case {
    const char* sql;
    const char* root;
    const char* className;
    const char* objectRow;
    const char* problem;
};

// The rows the cases damage.
#define SET2 "(SELECT oid FROM rgnC_SetData ORDER BY oid LIMIT 1 OFFSET 2)"
#define SUBSETS2 "(SELECT \"subsetList#OID\" FROM rgnC_SetData WHERE oid = " SET2 ")"
#define SUBSET(k) "(SELECT elemOid FROM cls_map WHERE oid = " SUBSETS2 " AND key = " #k ")"
#define PAIR "(SELECT oid FROM rgnC_RegionPair LIMIT 1)"
#define NAMED_REGION "(SELECT oid FROM cls_roots WHERE name = 'named')"
#define ROOT_PATH "(SELECT min(oid) FROM ddr_SetDataListRootShortcut)"
#define SET_ROW(column, value) "UPDATE rgnC_SetData SET " column " = " value " WHERE oid = " SET2
#define SET2_CASE(column, value, problem)                                                          \
    { SET_ROW(column, value), "sets", "rgnC_SetData", SET2, problem }

const Case kCases[] = {
    // Counts that disagree with what is stored, and entries under keys their records contradict.
    SET2_CASE("numSubset", "-1", "numSubset is -1, a negative count"),
    SET2_CASE("numSubset", "1099511627776", "1099511627776, beyond the range of an int"),
    SET2_CASE("numSubset", "4",
              "numSubset is 4 but its subset list holds 3 subsets under the keys 0 to 2"),
    SET2_CASE("numSubset", "2", "numSubset is 2 but its subset list holds 3"),
    {"DELETE FROM cls_map WHERE oid = " SUBSETS2 " AND key = 0", "sets", "rgnC_SetData", SET2,
     "numSubset is 3 but its subset list holds 2 subsets under the keys 1 to 2"},
    {"UPDATE cls_intlist SET count = 2, ids = x'0100000002000000' "
     "WHERE oid = (SELECT \"facetIdArray#OID\" FROM rgnC_SubsetData WHERE oid = " SUBSET(1) ")",
     "sets", "rgnC_SubsetData", SUBSET(1), "its facet id list holds 2 ids for 4 ids"},
    {"UPDATE rgnC_SubsetData SET subsetIndex = 0 WHERE oid = " SUBSET(2), "sets", "rgnC_SubsetData",
     SUBSET(2), "subsetIndex is 0 but the subset is stored under the key 2"},
    {"UPDATE rgnC_SubsetData SET subsetIndex = -3 WHERE oid = " SUBSET(1), "sets",
     "rgnC_SubsetData", SUBSET(1), "subsetIndex is -3, a negative key"},
    {"UPDATE rgnC_SubsetData SET setIndex = 7 WHERE oid = " SUBSET(0), "sets", "rgnC_SubsetData",
     SUBSET(0), "setIndex is 7 but the subset belongs to the set of index 2"},
    // Values of the wrong kind. A column of text turns an integer written by SQL into text; a
    // BLOB stays what it is.
    SET2_CASE("setIndex", "2.5", "'setIndex' holds a real number where an int belongs"),
    SET2_CASE("setIndex", "'two'", "'setIndex' holds text where an int belongs"),
    SET2_CASE("setLabel", "x'07'", "'setLabel' holds a BLOB where text belongs"),
    SET2_CASE("internalSet", "2", "'internalSet' holds 2 where a bool belongs"),
    // Names outside an enumeration's table (a region's kind: OwnRefusalsKeepTheirTypeAndText).
    {"UPDATE omu_PrimEnum SET name = 'BOGUS' "
     "WHERE oid = (SELECT \"setType#OID\" FROM rgnC_SetData WHERE oid = " SET2 ")",
     "sets", "rgnC_SetData", SET2, "str not allowed: BOGUS"},
    {"UPDATE rgnC_Region SET _typeObsolete = NULL WHERE oid = " NAMED_REGION, "named",
     "rgnC_Region", NAMED_REGION, "str not allowed: 0"},
    {"UPDATE rgnC_PropRegionList SET state = 'BOGUS'", "propagated", "rgnC_PropRegionList",
     "(SELECT oid FROM rgnC_PropRegionList LIMIT 1)", "str not allowed: BOGUS"},
    // Objects missing, or of the wrong class.
    {"UPDATE cls_map SET elemOid = " SET2 ", elemClassId = 39059459 "
     "WHERE oid = " SUBSETS2 " AND key = 1",
     "sets", "rgnC_SetData", SET2, "stands under key 1 of stored map"},
    {"UPDATE rgnC_RegionPair SET \"region1#OID\" = NULL, \"region1#ClassID\" = NULL", "pair",
     "rgnC_RegionPair", PAIR, "attribute 'region1' holds no region"},
    {"UPDATE rgnC_RegionPair SET \"region2#OID\" = " SET2 ", \"region2#ClassID\" = 39059459",
     "pair", "rgnC_RegionPair", PAIR,
     "attribute 'region2' refers to a 'rgnC_SetData' where another class belongs"},
    {"UPDATE cls_objlist SET elemOid = " SET2 ", elemClassId = 39059459 "
     "WHERE oid = (SELECT \"val#OID\" FROM rgnC_PropRegionList LIMIT 1) AND pos = 1",
     "propagated", "rgnC_SetData", SET2, "stands where a 'rgnC_Region' belongs"},
    // The framework's root path stands in only where the path of a set-data list belongs.
    {"UPDATE rgnC_SetDataShortcut SET \"impl#ClassID\" = 2490369, \"impl#OID\" = " ROOT_PATH,
     "pair", "ddr_SetDataListRootShortcut", ROOT_PATH,
     "stands where a 'rgnC_SetDataIMPLSC' belongs"},
};

class ModuleDamage : public RegionWorld::Fixture {
protected:
    // The sample, in `file`: sets, a region named without a path, a pair and a list of regions.
    void SetUp() override {
        ddr_Ddb db(cow_String(ModuleWalk::kDdbName), file, Mode::Create);
        rgnC_SetDataMap sets;
        for (int k = 0; k < 4; ++k)
            sets.Insert(k, setWithSubsets(k));
        db.StoreRoot(cow_String("sets"), sets);
        const rgnC_Region named(cow_String("TOP"), cow_String("part"), 0, 4, false);
        db.StoreRoot(cow_String("named"), named);
        const auto setRegion = [](int k) {
            return rgnC_Region(RegionWorld::SetPath(ModuleWalk::kDdbName, "sets", k));
        };
        db.StoreRoot(cow_String("pair"), rgnC_RegionPair(setRegion(1), named, true, false, false));
        rgnC_PropRegionList propagated;
        propagated.Get().Append(named);
        propagated.Get().Append(setRegion(3));
        db.StoreRoot(cow_String("propagated"), propagated);
    }

    // A copy of the sample changed by `sql`, and the row `objectRow` selects there.
    std::pair<std::string, std::int64_t> damaged(const char* sql, const char* objectRow) {
        const std::string path = dir.File("damaged" + std::to_string(++files) + ".db");
        std::filesystem::copy_file(file, path);
        ddr_Ddb db(cow_String("damage"), path, Mode::ReadWrite);
        db.Database().Sql().Execute(sql);
        cls_SqliteStatement query(db.Database().Sql(), std::string("SELECT ") + objectRow);
        return {path, query.Step() ? query.Int(0) : 0};
    }

    int files = 0;
};

} // namespace

// The message names the file once, in front; then the object and its class; then the problem.
TEST_F(ModuleDamage, EveryDetectableCaseIsRefusedNamingFileClassAndObject) {
    {
        ddr_Ddb db(cow_String(ModuleWalk::kDdbName), file, Mode::ReadOnly);
        EXPECT_NO_THROW(ModuleWalk::ReadEveryRoot(db)); // the sample itself is whole
    }
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.sql);
        const auto [path, row] = damaged(c.sql, c.objectRow);
        ASSERT_GT(row, 0);
        ddr_Ddb db(cow_String(ModuleWalk::kDdbName), path, Mode::ReadOnly);
        const std::string message =
            RefusalText([&] { ModuleWalk::ReadRoot(db, cow_String(c.root), 0); });
        EXPECT_EQ(message.rfind("model database '" + path + "': ", 0), 0u) << message;
        EXPECT_EQ(message.find("model database", 1), std::string::npos) << "context twice";
        EXPECT_MENTIONS(message, "object " + std::to_string(row) + " (" + c.className + ")");
        EXPECT_MENTIONS(message, c.problem);
    }
}

// A class's own refusal keeps its type and its text; the context only goes in front, and a
// nested read adds it once.
TEST_F(ModuleDamage, OwnRefusalsKeepTheirTypeAndText) {
    const std::string path =
        damaged("UPDATE rgnC_Region SET _typeObsolete = 'BOGUS'", NAMED_REGION).first;
    ddr_Ddb db(cow_String(ModuleWalk::kDdbName), path, Mode::ReadOnly);
    const std::string bare = RefusalText<omu_ValueErrorException>(
        [] { omu_PrimEnum<rgnC_SetType, 1> kind(cow_String("BOGUS")); });
    ASSERT_FALSE(bare.empty());
    // Read at every depth: a root, a region inside a pair, a region inside a list.
    for (const char* root : {"named", "pair", "propagated"}) {
        SCOPED_TRACE(root);
        const auto e = Refusal<omu_ValueErrorException>(
            [&] { ModuleWalk::ReadRoot(db, cow_String(root), 0); });
        ASSERT_TRUE(e);
        const std::string message = e->what();
        EXPECT_EQ(message.rfind("model database '" + path + "': object ", 0), 0u) << message;
        EXPECT_EQ(message.substr(message.size() - bare.size()), bare);
        EXPECT_EQ(message.find("model database", 1), std::string::npos) << message;
        EXPECT_STREQ(e->File(), "generated/include/omu_PrimEnum");
    }
}
