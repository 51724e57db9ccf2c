// Object lists and arrays stored whole and read back in order, list identities, enumerated
// values stored by name, and element refusals that leave the stored lists alone.
#include "Refusal.h"
#include "StoreWalk.h"
#include "TempDir.h"
#include "cls_xo1DArrayList.h"
#include "cls_xoList.h"
#include "nex_TextException.h"
#include "omu_ValueErrorException.h"

#include <gtest/gtest.h>

namespace {

class ListStore : public ::testing::Test {
protected:
    static void SetUpTestSuite() { StoreWalk::RegisterProbe(); }
    TempDir dir;
    std::string file = dir.File("lists.db");
};

// A list element that refuses to be stored when its number is negative.
struct RefusingProbe : Probe {
    using Probe::Probe;
    void DBWrite(const cls_WriteVisitor& wv) const override {
        if (number < 0)
            nex_TextException(cow_String("element refuses")).Throw("tests/store", __LINE__);
        Probe::DBWrite(wv);
    }
};

} // namespace

// Probes of every attribute kind (empty texts and negative ids among them) read back equal.
TEST_F(ListStore, ObjectListsReadBackInOrderAndEmptyListsStayEmpty) {
    cls_xoList<Probe> probes;
    for (int i = 0; i < 3; ++i) {
        Probe p(i, i == 1 ? "" : "c d", res_SetTypeEnm::SURFACE_NODE);
        p.flag = i == 1;
        for (int k = 0; k < 70 * i; ++k)
            p.ids.Append(k * 7 - 3);
        p.names.Append(cow_String("a"));
        p.names.Append(cow_String(""));
        probes.Append(p);
    }
    {
        ddr_Ddb db(cow_String("l"), file, ddr_Ddb::Mode::Create);
        db.StoreRoot(cow_String("probes"), probes);
        db.StoreRoot(cow_String("empty"), cls_xoList<Probe>());
        // A list is written again in full on every store; a shorter one leaves no stale tail.
        probes.RemoveLast();
        db.StoreRoot(cow_String("probes"), probes);
    }
    ddr_Ddb db(cow_String("l"), file, ddr_Ddb::Mode::ReadOnly);
    const auto back = db.LoadRoot<cls_xoList<Probe>>(cow_String("probes"));
    EXPECT_TRUE(back.IsEqual(probes)); // every element, field by field, identities included
    EXPECT_EQ(back.Uid(), probes.Uid());
    EXPECT_EQ(db.LoadRoot<cls_xoList<Probe>>(cow_String("empty")).Count(), 0);
}

TEST_F(ListStore, AssigningAListGivesItANewIdentityUnlessItIsItsOwnContent) {
    cls_xoList<Probe> list;
    list.Append(Probe(1));
    const cls_Uid before = list.Uid();
    list = static_cast<const cow_List<Probe>&>(list);
    EXPECT_EQ(list.Uid(), before);
    cow_List<Probe> other;
    other.Append(Probe(2));
    list = other;
    EXPECT_NE(list.Uid(), before);
    EXPECT_EQ(&list.ConstGet(0), &other.ConstGet(0)); // shared, not copied
    const cls_xoList<Probe> fresh = cls_xoListFromCow(other);
    EXPECT_NE(fresh.Uid(), list.Uid());
}

TEST_F(ListStore, EnumeratedValuesAreStoredByNameAndUnknownNamesAreRefused) {
    {
        ddr_Ddb db(cow_String("l"), file, ddr_Ddb::Mode::Create);
        db.StoreRoot(cow_String("p"), Probe(1, "x", res_SetTypeEnm::SURFACE_FACET));
        EXPECT_EQ(StoreWalk::Answer(db, "SELECT count(*) FROM omu_PrimEnum "
                                        "WHERE name = 'SURFACE_FACET'"),
                  1);
        db.Database().Sql().Execute("UPDATE omu_PrimEnum SET name = 'Node set'");
    }
    ddr_Ddb db(cow_String("l"), file, ddr_Ddb::Mode::ReadOnly);
    const auto e = Refusal<omu_ValueErrorException>([&] { db.LoadRoot<Probe>(cow_String("p")); });
    ASSERT_TRUE(e);
    // The primitive's own text, after the place of the object that holds it.
    EXPECT_EQ(std::string(e->what()).rfind("model database '" + file + "': object ", 0), 0u);
    EXPECT_MENTIONS(e->what(), "(Probe): omu_PrimEnum(const cls_ReadVisitor&) - str not "
                               "allowed: Node set  Permissible: \"NODE_SET\"");
    EXPECT_EQ(e->Line(), 95);
}

// The list's write must hold nothing an exception can strand: the sanitizer build's leak check
// fails this test when an element's refusal leaves the list writer behind. The store fails as a
// whole, so the file keeps the lists stored before.
TEST_F(ListStore, AnElementRefusingToBeWrittenFailsTheStoreAndLeavesTheStoredListsAlone) {
    cls_xoList<RefusingProbe> list;
    cls_xo1DArrayList<RefusingProbe> array;
    for (int i = 0; i < 3; ++i) {
        list.Append(RefusingProbe(i));
        array.Append(RefusingProbe(i));
    }
    ddr_Ddb db(cow_String("l"), file, ddr_Ddb::Mode::Create);
    db.StoreRoot(cow_String("list"), list);
    db.StoreRoot(cow_String("array"), array);
    list.InsertAfter(0, RefusingProbe(-1)); // refused after one element went into the write
    array.Insert(1, RefusingProbe(-1));
    EXPECT_THROW(db.StoreRoot(cow_String("list"), list), nex_TextException);
    EXPECT_THROW(db.StoreRoot(cow_String("array"), array), nex_TextException);
    EXPECT_EQ(db.LoadRoot<cls_xoList<Probe>>(cow_String("list")).Count(), 3);
    const auto arrayBack = db.LoadRoot<cls_xo1DArrayList<Probe>>(cow_String("array"));
    ASSERT_EQ(arrayBack.Count(), 3);
    EXPECT_EQ(arrayBack.ConstGet(2).number, 2);
}
