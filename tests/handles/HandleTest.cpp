// Handles with the virtual copy policy. The direct policy (a copy of the static type) is the
// tree nodes' own; the tree tests show it copying a node on write and sharing the rest.
#include "NoLeaks.h"
#include "cow_ArrayCOW.h"
#include "cow_COW.h"
#include "cow_Virtual.h"

#include <gtest/gtest.h>

namespace {

struct Derived : LiveCounted {
    using LiveCounted::LiveCounted;
    Derived* Copy() const override { return new Derived(*this); }
};

using Handle = cow_COW<LiveCounted, cow_Virtual<LiveCounted>>;

using Handles = NoLeaks;

} // namespace

TEST_F(Handles, CopiesShareUntilAWriteOrAnAdoptionAndTheLastHolderReleases) {
    Handle a(new Derived(1));
    const LiveCounted* original = a.ConstPtr();
    {
        Handle b = a;
        EXPECT_EQ(b.ConstPtr(), original);
        EXPECT_EQ(a.Count(), 2);

        b = b; // self-assignment keeps count and object
        EXPECT_EQ(b.Count(), 2);
        EXPECT_EQ(b.ConstPtr(), original);

        const int copiesBefore = LiveCounted::copies;
        b.Get().value = 2;
        EXPECT_EQ(LiveCounted::copies, copiesBefore + 1);
        EXPECT_NE(b.ConstPtr(), original);
        EXPECT_NE(dynamic_cast<const Derived*>(b.ConstPtr()), nullptr); // dynamic type kept
        EXPECT_EQ(a->value, 1);
        EXPECT_EQ(a.Count(), 1);
        EXPECT_EQ(b.Count(), 1);

        // A sole holder writes in place.
        EXPECT_EQ(&b.Get(), b.ConstPtr());
        EXPECT_EQ(LiveCounted::copies, copiesBefore + 1);
    }
    EXPECT_EQ(a.ConstPtr(), original);

    // Adopting or assigning leaves the other holders with the old object.
    Handle b = a;
    Handle c = a;
    c = new LiveCounted(9);
    EXPECT_EQ(a.Count(), 2);
    EXPECT_EQ(b.ConstPtr(), original);
    EXPECT_EQ(c.Count(), 1);
    EXPECT_EQ(c->value, 9);

    // A sole holder destroys its old object once and keeps its counter.
    const int liveBefore = LiveCounted::live;
    c = new LiveCounted(10);
    EXPECT_EQ(LiveCounted::live, liveBefore);
    EXPECT_EQ(c->value, 10);

    // Assigning a handle over the last holder of an object releases it.
    c = a;
    EXPECT_EQ(LiveCounted::live, liveBefore - 1);
    EXPECT_EQ(c.ConstPtr(), original);
    EXPECT_EQ(a.Count(), 3);
}

TEST_F(Handles, AnEmptyArrayHandleHoldsNothingAndSharesItsCounter) {
    cow_ArrayCOW<LiveCounted, cow_Virtual<LiveCounted>> empty;
    EXPECT_TRUE(empty.IsNull());
    EXPECT_EQ(empty.Count(), 1);
    auto shared = empty;
    EXPECT_EQ(empty.Count(), 2);
}
