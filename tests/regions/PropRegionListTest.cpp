#include "Refusal.h"
#include "nex_TextException.h"
#include "rgnC_PropRegionList.h"

#include <gtest/gtest.h>

namespace {

using State = mdl_PropAttributeStateEnm;
using StatePrim = omu_PrimEnum<State, 1>;

cls_xoList<rgnC_Region> regionList(int n) {
    cls_xoList<rgnC_Region> l;
    for (int i = 0; i < n; ++i)
        l.Append(rgnC_Region(cow_String("R" + std::to_string(i)), cow_String("m"), i, 4, false));
    return l;
}

// An attribute holding a list of two regions in state s (reached by ForceState).
rgnC_PropRegionList holding(State s) {
    rgnC_PropRegionList a;
    a = regionList(2);
    a.ForceState(s);
    return a;
}

} // namespace

TEST(PropRegionList, StatesFollowAssignmentGetAndPropagate) {
    rgnC_PropRegionList a;
    EXPECT_TRUE(a == State::Absent);
    EXPECT_EQ(a.ConstGet().Count(), 0);
    EXPECT_FALSE(a.IsModified());

    const cls_xoList<rgnC_Region> list = regionList(2);
    EXPECT_TRUE(rgnC_PropRegionList(list) == State::Absent); // construction is not assignment
    a = list;
    EXPECT_TRUE(a == State::Set);
    EXPECT_EQ(a.ConstGet().Uid(), list.Uid());
    a.Propagate();
    EXPECT_TRUE(a == State::Propagated);
    a.Propagate();
    EXPECT_TRUE(a == State::Propagated);
    a.Get(); // nothing written, still a modification
    EXPECT_TRUE(a == State::Set && a.IsModified());

    a = State::Set; // a state assigned keeps the value...
    EXPECT_EQ(a.ConstGet().Count(), 2);
    const cls_Uid listUid = a.ConstGet().Uid();
    a = State::Removed; // ...unless it is a state without one
    EXPECT_EQ(a.ConstGet().Count(), 0);
    EXPECT_NE(a.ConstGet().Uid(), listUid);
    EXPECT_TRUE(a.IsModified());
    a.Propagate();
    EXPECT_TRUE(a == State::Absent);

    // Equality: value and state, never uids; against a list the state is ignored.
    EXPECT_TRUE(holding(State::Propagated) == holding(State::Propagated));
    EXPECT_FALSE(holding(State::Propagated) == holding(State::Set));
    EXPECT_TRUE(holding(State::Removed) == regionList(2));
    EXPECT_TRUE(holding(State::Set) != regionList(3));
}

TEST(PropRegionList, ModifyTakesOnlyModifiedAttributes) {
    rgnC_PropRegionList target = holding(State::Propagated);
    target.Modify(holding(State::Propagated));
    target.Modify(holding(State::Absent));
    EXPECT_TRUE(target == State::Propagated);

    rgnC_PropRegionList removed = holding(State::Set);
    removed = State::Removed;
    target.Modify(removed);
    EXPECT_TRUE(target == removed); // state and (empty) value
    EXPECT_EQ(target.ConstGet().Uid(), removed.ConstGet().Uid());
}

TEST(PropRegionList, SetStatusAcceptsOnlyWhatTheFlagAllows) {
    for (bool flag : {true, false}) {
        rgnC_PropRegionList a = holding(State::Propagated);
        a.SetStatus("loads", StatePrim(State::Propagated), flag);
        EXPECT_TRUE(a == holding(State::Propagated)) << flag;

        a.SetStatus("loads", StatePrim(State::Set), flag);
        EXPECT_TRUE(a == State::Set);
        EXPECT_EQ(a.ConstGet().Count(), 0) << flag;

        const State refused = flag ? State::Removed : State::Absent;
        rgnC_PropRegionList b = holding(State::Propagated);
        const auto e =
            Refusal<nex_TextException>([&] { b.SetStatus("loads", StatePrim(refused), flag); });
        ASSERT_TRUE(e);
        EXPECT_STREQ(e->what(), "Invalid propagation status for 'loads' attribute.");
        EXPECT_STREQ(e->File(), "generated/include/mdl_PropagatingAttribute");
        EXPECT_EQ(e->Line(), flag ? 158 : 170);
        EXPECT_TRUE(b == holding(State::Propagated));

        const State empties = flag ? State::Absent : State::Removed;
        b.SetStatus("loads", StatePrim(empties), flag);
        EXPECT_TRUE(b == empties);
        EXPECT_EQ(b.ConstGet().Count(), 0);
    }
}
