#include "cow_1DArray.h"
#include "cow_1DArrayIter.h"
#include "cow_Counter.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <vector>

namespace {

std::vector<int> walk(const cow_1DArray<int>& a) {
    std::vector<int> out;
    for (cow_1DArrayIter<int> it(a); it.More(); it.Next())
        out.push_back(it.Value());
    return out;
}

cow_1DArray<int> counting(int n) {
    cow_1DArray<int> a;
    for (int i = 0; i < n; ++i)
        a.Get(i) = i;
    return a;
}

} // namespace

TEST(cow_1DArray, CopySharesUntilAWriteThenCopiesTheTableAndOneBlock) {
    cow_1DArray<int> a = counting(40);
    ASSERT_EQ(a.BlockSize(), 16); // three blocks
    const long before = cow_Counter::LiveCount();
    cow_1DArray<int> b = a;
    EXPECT_EQ(cow_Counter::LiveCount(), before);
    EXPECT_EQ(&a.PartialArrayConstGet(0), &b.PartialArrayConstGet(0));

    // What the copies read after writes, and their exact sharing counts, the randomized run
    // against models checks; here, what a write copies.
    b.Get(0) = 100;
    EXPECT_EQ(cow_Counter::LiveCount(), before + 2); // b's counter and its copy of block 0 only

    int* sole = &b.Get(0); // b alone holds block 0 now: written in place
    EXPECT_EQ(sole, &b.Get(0));
    const int* shared = &b.PartialArrayConstGet(20);
    b.Get(20) = 7; // block 1 is still shared with a's table
    EXPECT_NE(shared, &b.PartialArrayConstGet(20));

    a = cow_1DArray<int>(); // b becomes the only holder of block 2
    const int* last = &b.PartialArrayConstGet(39);
    EXPECT_EQ(last, &b.Get(39));
}

TEST(cow_1DArray, HeadInsertionIntoAFullTableGrowsIt) {
    // 17 * 16 elements fill the 17-slot table exactly; the head insertion must grow it.
    cow_1DArray<int> full = counting(17 * 16);
    ASSERT_EQ(full.TableLength(), 17);
    cow_1DArray<int> copy = full;
    full.GetHead() = -1;
    EXPECT_EQ(full.Size(), 17 * 16 + 1);
    EXPECT_EQ(full.TableLength(), 34);
    std::vector<int> expected{-1};
    for (int i = 0; i < 17 * 16; ++i)
        expected.push_back(i);
    EXPECT_EQ(walk(full), expected);
    EXPECT_EQ(walk(copy), std::vector<int>(expected.begin() + 1, expected.end()));
    EXPECT_TRUE(full.validate() && copy.validate());
}

TEST(cow_1DArray, SizingConstructorLayoutAndWalksOverMissingBlocks) {
    for (int n : {0, 1, 255, 256, 257, 1000, 4095, 4096, 65537, 1 << 20, (1 << 24) - 1}) {
        const cow_1DArray<int> a(n);
        const auto bits = std::bit_cast<std::uint32_t>(static_cast<float>(n));
        const int shift = int(bits >> 23 & 0xFF) - 130;
        const int blocks = int(((bits & 0x7FFFFF) + 0x8FFFFF) >> 20);
        EXPECT_EQ(a.BlockShift(), shift > 4 ? shift : 4) << n;
        EXPECT_EQ(a.TableLength(), shift > 4 ? 16 + blocks : 16) << n;
        EXPECT_EQ(a.Size(), n);
        EXPECT_TRUE(a.validate());
    }
    // Past 2^24 the float rounds; the table must still cover every element.
    const cow_1DArray<char> big((1 << 24) + 1);
    EXPECT_GE(big.TableLength() - 16, ((1 << 24) + 1 + big.BlockSize() - 1) / big.BlockSize());

    cow_1DArray<int> a(1000); // blocks of 64, none created yet
    EXPECT_TRUE(walk(a).empty()) << "a missing first block walks as empty";
    a.Get(0) = 0;
    EXPECT_EQ(walk(a).size(), 64u) << "an empty slot ends the walk";
}
