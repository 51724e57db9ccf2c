// A whole-pool check of the sharing counts of blocked arrays and lists.
#pragma once

#include "LiveCounted.h"
#include "cow_1DArray.h"
#include "cow_Counter.h"

#include <gtest/gtest.h>

#include <map>
#include <type_traits>
#include <vector>

// Given every array alive (besides those counted in `baseCounters` blocks before the test),
// checks that each table's share count equals its holders, each block's refCount equals the
// tables that point to it, no counter or block is outstanding beyond these, and (for LiveCounted)
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
    if (std::is_same_v<T, LiveCounted> && LiveCounted::live != elements)
        return testing::AssertionFailure()
               << LiveCounted::live << " live elements, blocks hold " << elements;
    return testing::AssertionSuccess();
}
