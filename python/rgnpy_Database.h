// rgn.Database: one open model database, entered under its name ("model" unless told
// otherwise) among the open databases of the thread that opened it, so that path texts such
// as "model.sets[3].subset[0]" resolve in it.
//
//   with rgn.open("plate.db", "c") as db:
//       db.store_sets("sets", [s0, s1])          # one transaction
//       sub = db.resolve("model.sets[1].subset[0]")
//
// Every write is one transaction, committed when the call returns: nothing waits for close,
// so a script that fails midway leaves the file at its last completed write. A database is
// used and closed in the thread that opened it; objects that depend on it (SetList) check that
// it is still open on every use and raise rgn.Error once it is closed.
#pragma once

#include "ddr_Ddb.h"
#include "rgnC_Paths.h"
#include "rgnC_RegionPair.h"

#include <pybind11/pybind11.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

class rgnpy_SetList;

class rgnpy_Database : public std::enable_shared_from_this<rgnpy_Database> {
public:
    // mode: "r" read-only, "w" read-write (the file must exist), "c" read-write, created when
    // missing, "n" a new empty database (an existing file is replaced).
    rgnpy_Database(const std::string& path, const std::string& mode, const std::string& name);
    // Closes if still open (failures to standard error); in a thread other than the opening
    // one the database is left open rather than touched from the wrong thread.
    ~rgnpy_Database();
    rgnpy_Database(const rgnpy_Database&) = delete;
    rgnpy_Database& operator=(const rgnpy_Database&) = delete;

    // The open database; rgn.Error when closed or used from another thread.
    ddr_Ddb& Ddb();
    bool IsOpen() const { return ddb_ != nullptr; }
    void Close();

    const std::string& Path() const { return path_; }
    const std::string& Name() const { return name_; }
    const std::string& Mode() const { return mode_; }

    std::vector<std::string> Roots();
    // The roots that hold a set-data list.
    std::vector<std::string> SetLists();
    rgnpy_SetList SetList(const std::string& root);
    // Stores `sets` (a sequence, keyed 0, 1, ..., or a mapping of int keys) as the set-data
    // list under `root`, replacing what the root held, in one transaction.
    rgnpy_SetList StoreSets(const std::string& root, pybind11::handle sets);
    pybind11::object Resolve(const std::string& text);
    rgnC_Region Region(const std::string& text);
    std::vector<rgnC_RegionPair> RegionPairs(const std::string& root);
    void StoreRegionPairs(const std::string& root, const std::vector<rgnC_RegionPair>& pairs);

    // Refuses a write to a database opened read-only, in the system's words.
    void RequireWritable();

    static void Bind(pybind11::module_& module);

private:
    std::string path_;
    std::string name_;
    std::string mode_;
    std::thread::id owner_;
    std::unique_ptr<ddr_Ddb> ddb_;
};
