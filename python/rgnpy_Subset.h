// rgn.Subset: one subset of a set (the ids it holds in one mesh and one class of data), as
// Python sees it.
//
// It holds its own copy of the subset, which shares the id lists with the set it came from
// (no id is copied) and depends on no open database: it stays valid after the database that
// it was read from is closed. Its lookup table is its own, built by the first lookup.
#pragma once

#include "omi_IntTable.h"
#include "rgnC_SubsetData.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <optional>

// Hidden like the pybind11 objects it caches (the module itself keeps default visibility).
class [[gnu::visibility("hidden")]] rgnpy_Subset {
public:
    explicit rgnpy_Subset(const rgnC_SubsetData& subset) : subset_(subset) {}

    const rgnC_SubsetData& Data() const {
        return subset_;
    }

    // The ids (or facet ids) as a read-only numpy int32 array, copied on the first call and
    // then handed out again.
    pybind11::array Ids();
    pybind11::array FacetIds();

    // Positions of `ids` (any integer array, any shape) as an int32 array of the same shape,
    // -1 where the subset does not hold the id. One table lookup per id, in C++; the first
    // call builds the table (one pass over the subset's ids).
    pybind11::array_t<int> Lookup(pybind11::handle ids);

    static void Bind(pybind11::module_ & module);

private:
    // LookupIndex rebuilds its table on every call for a subset that holds an id twice; a
    // whole array of ids would then cost a rebuild per id. The first Lookup finds out (ids in
    // strictly ascending order have no repeat; others are counted into a table) and keeps a
    // table of its own, built by the same rule (first position wins), for such a subset only.
    void checkRepeats();
    int position(int id) const;

    rgnC_SubsetData subset_;
    bool checked_ = false;
    std::optional<omi_IntTable<int>> repeatsTable_;
    pybind11::object ids_;
    pybind11::object facetIds_;
};
