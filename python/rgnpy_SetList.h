// rgn.SetList: the set-data list stored under one root of an open database, as a mapping from
// int keys to SetData.
//
// It names the list by its database and root rather than holding it: each use finds the list
// that the database keeps for that root (loaded once, keys only; each set is fetched on its
// first read), and raises rgn.Error once the database is closed. Writes go through the kept
// list and are committed before the call returns.
#pragma once

#include "rgnC_Paths.h"

#include <pybind11/pybind11.h>

#include <memory>
#include <string>
#include <vector>

class rgnpy_Database;
class rgnpy_SetData;

class rgnpy_SetList {
public:
    rgnpy_SetList(std::shared_ptr<rgnpy_Database> db, std::string root);

    // The list the database keeps for the root; rgn.Error when the database is closed.
    const rgnC_SetDataMap& List() const;
    const std::string& Root() const { return root_; }
    std::string Path() const;

    std::vector<int> Keys() const;
    // A read-only copy of the set under `key` (fetched from the file on its first read).
    std::shared_ptr<rgnpy_SetData> Get(int key) const;
    // Inserts or replaces the sets of `sets` (a mapping of int keys) in one transaction.
    void Update(pybind11::handle sets);

    static void Bind(pybind11::module_& module);

private:
    std::shared_ptr<rgnpy_Database> db_;
    std::string root_;
};
