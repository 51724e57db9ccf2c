// Helpers for the blocked array and list tests: an element that counts its live instances and
// comparisons, and a whole-pool check of the sharing counts.
#pragma once

#include "cow_1DArray.h"
#include "cow_Counter.h"

#include <gtest/gtest.h>

#include <map>
#include <type_traits>
#include <vector>

struct Tracked {
    static inline long live = 0;
    static inline long compares = 0;

    int v = 0;

    Tracked() { ++live; }
    Tracked(int value) : v(value) { ++live; }
    Tracked(const Tracked& o) : v(o.v) { ++live; }
    Tracked& operator=(const Tracked&) = default;
    ~Tracked() { --live; }

    friend bool operator==(const Tracked& a, const Tracked& b) {
        ++compares;
        return a.v == b.v;
    }
};

// Given every array alive (besides those counted in `baseCounters` blocks before the test),
// checks that each table's share count equals its holders, each block's refCount equals the
// tables that point to it, no counter or block is outstanding beyond these, and (for Tracked)
// no element outlives its block.
template <class T>
testing::AssertionResult SharingIsExact(const std::vector<const cow_1DArray<T>*>& arrays,
                                        long baseCounters) {
    std::vector<const cow_1DArray<T>*> tables; // one holder per distinct table
    std::map<const cow_1DArrayBlock<T>*, int> tablesPerBlock;
    long elements = 0;
    for (const auto* a : arrays) {
        bool seen = false;
        for (const auto* t : tables)
            seen = seen || t->SharesTableWith(*a);
        if (seen)
            continue;
        tables.push_back(a);
        int holders = 0;
        for (const auto* b : arrays)
            holders += b->SharesTableWith(*a);
        if (holders != a->ShareCount())
            return testing::AssertionFailure()
                   << "share count " << a->ShareCount() << " for " << holders << " holders";
        for (int slot = 0; slot < a->TableLength(); ++slot)
            if (const auto* block = a->BlockAt(slot); block && tablesPerBlock[block]++ == 0)
                elements += a->BlockSize();
    }
    for (const auto& [block, count] : tablesPerBlock)
        if (block->refCount != count)
            return testing::AssertionFailure()
                   << "block refCount " << block->refCount << " for " << count << " tables";
    const long expected = baseCounters + long(tables.size() + tablesPerBlock.size());
    if (cow_Counter::LiveCount() != expected)
        return testing::AssertionFailure() << cow_Counter::LiveCount() << " counters and blocks "
                                           << "outstanding, expected " << expected;
    if (std::is_same_v<T, Tracked> && Tracked::live != elements)
        return testing::AssertionFailure()
               << Tracked::live << " live elements, blocks hold " << elements;
    return testing::AssertionSuccess();
}
