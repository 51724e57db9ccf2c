// rgn.SetData: one set of the model (index, label, type, flags and its subsets), either built
// in Python and then stored, or read from a database.
//
//   s = rgn.SetData(0, "FLANGE", rgn.SetType.NODE_SET)
//   s.add_subset(mesh_index=0, class_index=0, ids=numpy.array([4, 9, 12]))
//   db.store_sets("sets", [s])
//
// A set read from a database is a copy that shares the stored subset list: it keeps that
// database's storage alive (subsets not read yet are fetched from it on first use, after the
// database was closed too) and it is read-only, so that nothing reaches the file except through
// the database's own writes. Subset objects are made once per index and then handed out again,
// so each keeps its lookup table.
#pragma once

#include "rgnC_SetData.h"

#include <pybind11/pybind11.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class rgnpy_Subset;

class rgnpy_SetData {
public:
    rgnpy_SetData(int index, const std::string& label, res_SetTypeEnm type, bool internal,
                  bool unsorted);
    // A read-only copy of a stored set (shares its subsets, O(1)).
    explicit rgnpy_SetData(const rgnC_SetData& stored);

    const rgnC_SetData& Data() const { return set_; }
    bool IsStored() const { return stored_; }

    // Adds the next subset; `type` null means the set's own type, `unsorted` null means
    // "decide from the ids". The ids are copied once into the set's storage.
    void AddSubset(int meshIndex, int classIndex, pybind11::handle ids, pybind11::handle type,
                   pybind11::handle unsorted, pybind11::handle facetIds);
    // The same from lists made already; the subset shares them. `type` 7 means the set's own.
    void AddSubset(int meshIndex, int classIndex, const cow_1DArrayList<int>& ids,
                   res_SetTypeEnm type, std::optional<bool> unsorted,
                   const cow_1DArrayList<int>& facetIds);

    std::shared_ptr<rgnpy_Subset> Subset(int index);
    std::shared_ptr<rgnpy_Subset> FindSubset(int meshIndex, int classIndex, pybind11::handle type);
    std::vector<std::shared_ptr<rgnpy_Subset>> Subsets();

    // `object` as a SetData; TypeError naming `what` for anything else.
    static std::shared_ptr<rgnpy_SetData> From(pybind11::handle object, const char* what);

    static void Bind(pybind11::module_& module);

private:
    rgnC_SetData set_;
    bool stored_;
    std::vector<std::shared_ptr<rgnpy_Subset>> subsets_; // by index; null until asked for
};

// A set type from a SetType, its name ("NODE_SET") or its number; a name or number outside
// the enumeration raises the system's rgn.ValueError.
res_SetTypeEnm rgnpy_SetTypeOf(pybind11::handle type);
