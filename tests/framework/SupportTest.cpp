#include "cow_Counter.h"
#include "cow_String.h"
#include "typ_DebugFlags.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

TEST(CounterPool, HandsOutDistinctBlocksAndTakesThemBack) {
    const long before = cow_Counter::LiveCount();
    std::vector<void*> blocks;
    std::set<std::uintptr_t> seen;
    for (int i = 0; i < 20000; ++i) { // several slabs' worth, in three size classes and the heap
        const std::size_t size = (i % 4 == 0) ? 4 : (i % 4 == 1) ? 16 : (i % 4 == 2) ? 24 : 200;
        void* p = cow_Counter::operator new(size);
        std::memset(p, 0xAB, size);
        EXPECT_TRUE(seen.insert(reinterpret_cast<std::uintptr_t>(p)).second);
        blocks.push_back(p);
    }
    EXPECT_EQ(cow_Counter::LiveCount(), before + 20000);
    for (void* p : blocks)
        cow_Counter::operator delete(p);
    EXPECT_EQ(cow_Counter::LiveCount(), before);
    // Freed blocks are reused before a new slab is carved.
    void* again = cow_Counter::operator new(4);
    EXPECT_TRUE(seen.count(reinterpret_cast<std::uintptr_t>(again)));
    cow_Counter::operator delete(again);
}

TEST(CowString, CopiesShareAndCompareByText) {
    cow_String a("Node set");
    cow_String b = a;
    EXPECT_TRUE(b.SharesWith(a));
    cow_String c(std::string("Node set"));
    EXPECT_FALSE(c.SharesWith(a));
    EXPECT_EQ(a, c);
    b = b; // self-assignment keeps the text
    EXPECT_STREQ(b.c_str(), "Node set");
    cow_String empty;
    EXPECT_STREQ(empty.c_str(), "");
    EXPECT_EQ(empty, cow_String(""));
    EXPECT_LT(cow_String("A"), cow_String("B"));
}

TEST(DebugLevels, ComeFromTheEnvironmentUntilReset) {
    setenv("RGN_DEBUG", "596:3, 12:1,bad,7:x,8:2", 1);
    typ_DebugFlags::Reset();
    EXPECT_EQ(typ_DebugFlags::GetDebugFlags(596), 3);
    EXPECT_EQ(typ_DebugFlags::GetDebugFlags(8), 2);
    EXPECT_EQ(typ_DebugFlags::GetDebugFlags(7), 0);
    EXPECT_EQ(typ_DebugFlags::GetDebugFlags(1), 0);
    unsetenv("RGN_DEBUG");
    typ_DebugFlags::Reset();
    EXPECT_EQ(typ_DebugFlags::GetDebugFlags(596), 0);
}
