#include "omi_IntTable.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <unordered_map>

// Keys of both signs and at both ends of the range stay apart, a duplicate keeps the first
// value, and a copy keeps its entries when the original is cleared.
TEST(IntTable, AgreesWithAStandardMapUnderRandomUse) {
    std::mt19937 rng(596);
    omi_IntTable<int> t;
    std::unordered_map<int, int> model;
    auto insert = [&](int k, int v) { ASSERT_EQ(t.Insert(k, v), model.emplace(k, v).second); };
    auto agrees = [&](const omi_IntTable<int>& table, int k) {
        const auto it = model.find(k);
        const int* v = table.Find(k);
        return (v == nullptr) == (it == model.end()) && (!v || *v == it->second);
    };
    EXPECT_EQ(t.Find(0), nullptr);
    int value = 0;
    for (int k : {4, -4, INT_MIN, INT_MAX, 0, -4}) // the second -4 keeps the first value
        insert(k, ++value);
    for (int k : {4, -4, INT_MIN, INT_MAX, 0, -1, 1, INT_MIN + 1, INT_MAX - 1})
        EXPECT_TRUE(agrees(t, k)) << k;
    for (int round = 0; round < 4; ++round) {
        // Narrow ranges give many duplicates; the wide one spreads over both halves.
        std::uniform_int_distribution<int> key(round == 3 ? INT_MIN : -500,
                                               round == 3 ? INT_MAX : 2000);
        for (int i = 0; i < 20000; ++i)
            insert(key(rng), i);
        ASSERT_EQ(t.Count(), static_cast<int>(model.size()));
        for (int i = 0; i < 20000; ++i) {
            const int k = key(rng);
            ASSERT_TRUE(agrees(t, k)) << k;
        }
        if (round == 1) {
            const omi_IntTable<int> copy = t;
            t.Clear();
            EXPECT_EQ(t.Count(), 0);
            EXPECT_FALSE(t.IsMember(4));
            EXPECT_TRUE(agrees(copy, INT_MIN) && agrees(copy, 4));
            model.clear();
            t.Reserve(1000);
        }
    }
}
