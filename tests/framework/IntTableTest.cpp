#include "omi_IntTable.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <unordered_map>

TEST(IntTable, KeepsBothSignsApartAndTheFirstValueOfADuplicate) {
    omi_IntTable<int> t;
    EXPECT_EQ(t.Find(0), nullptr);
    EXPECT_TRUE(t.Insert(4, 1));
    EXPECT_TRUE(t.Insert(-4, 2));
    EXPECT_TRUE(t.Insert(INT_MIN, 3));
    EXPECT_TRUE(t.Insert(INT_MAX, 4));
    EXPECT_TRUE(t.Insert(0, 5));
    EXPECT_FALSE(t.Insert(-4, 99));
    EXPECT_EQ(t.Count(), 5);
    EXPECT_EQ(*t.Find(4), 1);
    EXPECT_EQ(*t.Find(-4), 2);
    EXPECT_EQ(*t.Find(INT_MIN), 3);
    EXPECT_EQ(*t.Find(INT_MAX), 4);
    EXPECT_EQ(*t.Find(0), 5);
    EXPECT_FALSE(t.IsMember(-1));
    EXPECT_FALSE(t.IsMember(INT_MIN + 1));

    omi_IntTable<int> copy = t;
    t.Clear();
    EXPECT_EQ(t.Count(), 0);
    EXPECT_FALSE(t.IsMember(4));
    EXPECT_EQ(*copy.Find(INT_MIN), 3);
}

TEST(IntTable, AgreesWithAStandardMapUnderRandomUse) {
    std::mt19937 rng(596);
    omi_IntTable<int> t;
    std::unordered_map<int, int> model;
    for (int round = 0; round < 4; ++round) {
        // Narrow ranges give many duplicates; the wide one spreads over both halves.
        std::uniform_int_distribution<int> key(round == 3 ? INT_MIN : -500, round == 3 ? INT_MAX : 2000);
        for (int i = 0; i < 20000; ++i) {
            const int k = key(rng);
            const bool fresh = model.emplace(k, i).second;
            ASSERT_EQ(t.Insert(k, i), fresh);
        }
        ASSERT_EQ(t.Count(), static_cast<int>(model.size()));
        for (int i = 0; i < 20000; ++i) {
            const int k = key(rng);
            auto it = model.find(k);
            const int* v = t.Find(k);
            ASSERT_EQ(v != nullptr, it != model.end()) << k;
            if (v) {
                ASSERT_EQ(*v, it->second);
            }
        }
        if (round == 1) {
            t.Clear();
            model.clear();
            t.Reserve(1000);
        }
    }
}
