#include "rgnpy_Database.h"

#include "cls_Map2ObjIter.h"
#include "ddr_Ddb.h"
#include "ddr_Root.h"
#include "nex_Exception.h"
#include "rgnC_PathText.h"
#include "rgnC_Paths.h"
#include "rgnpy_Errors.h"
#include "rgnpy_SetData.h"
#include "rgnpy_SetList.h"
#include "rgnpy_Subset.h"
#include "thr_ThreadSingleton.h"

#include <pybind11/stl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace py = pybind11;

namespace {

constexpr const char* kSource = "python/rgnpy_Database";

using SetIter =
    cls_Map2ObjIter<int, rgnC_SetData, cow_ArrayCOW<rgnC_SetData, cow_Virtual<rgnC_SetData>>>;

ddr_Ddb::Mode modeOf(const std::string& mode) {
    if (mode == "r")
        return ddr_Ddb::Mode::ReadOnly;
    if (mode == "w")
        return ddr_Ddb::Mode::ReadWrite;
    if (mode == "c" || mode == "n")
        return ddr_Ddb::Mode::Create;
    throw py::value_error("mode must be 'r' (read), 'w' (write), 'c' (create when missing) or "
                          "'n' (new), not '" +
                          mode + "'");
}

const ddr_DdbContainer& openDatabases() {
    return thr_ThreadSingleton<ddr_Root>::Instance().Fetch();
}

// Sets keyed as given by a mapping, or 0, 1, ... for a sequence; each checked before anything
// is stored.
std::vector<std::pair<int, std::shared_ptr<rgnpy_SetData>>> keyedSets(py::handle sets) {
    std::vector<std::pair<int, std::shared_ptr<rgnpy_SetData>>> out;
    if (py::hasattr(sets, "items")) {
        for (auto item : py::reinterpret_borrow<py::object>(sets.attr("items")()))
            out.emplace_back(
                py::reinterpret_borrow<py::object>(item)[py::int_(0)].cast<int>(),
                rgnpy_SetData::From(py::reinterpret_borrow<py::object>(item)[py::int_(1)],
                                    "a stored set"));
        return out;
    }
    int key = 0;
    for (auto item : py::iter(sets))
        out.emplace_back(key++, rgnpy_SetData::From(item, "a stored set"));
    return out;
}

} // namespace

rgnpy_Database::rgnpy_Database(const std::string& path, const std::string& mode,
                               const std::string& name)
    : path_(path), name_(name), mode_(mode), owner_(std::this_thread::get_id()) {
    const ddr_Ddb::Mode m = modeOf(mode);
    if (mode == "n") {
        std::error_code ignored;
        for (const char* suffix : {"", "-journal"})
            std::filesystem::remove(path + suffix, ignored);
    }
    ddb_ = std::make_unique<ddr_Ddb>(cow_String(name), path, m);
}

rgnpy_Database::~rgnpy_Database() {
    if (!ddb_)
        return;
    if (std::this_thread::get_id() != owner_) {
        // Its entry lives in the opening thread's root, which only that thread may touch: the
        // database stays open (it holds no pending write) until the process ends.
        std::fprintf(stderr,
                     "rgn: model database '%s' (%s) was dropped in another thread than "
                     "the one that opened it and is left open\n",
                     name_.c_str(), path_.c_str());
        ddb_.release();
        return;
    }
    ddb_.reset(); // closes; a failure goes to standard error
}

ddr_Ddb& rgnpy_Database::Ddb() {
    if (!ddb_)
        rgnpy_Errors::Fail(kSource, __LINE__,
                           "model database '" + name_ + "' (" + path_ + ") is closed");
    if (std::this_thread::get_id() != owner_)
        rgnpy_Errors::Fail(kSource, __LINE__,
                           "model database '" + name_ + "' (" + path_ +
                               ") belongs to the thread that opened it");
    return *ddb_;
}

void rgnpy_Database::Close() {
    if (!ddb_)
        return;
    ddr_Ddb& ddb = Ddb();
    // Closed whatever Close throws: the database has left the thread's root by then.
    struct Drop {
        std::unique_ptr<ddr_Ddb>& ddb;
        ~Drop() { ddb.reset(); }
    } drop{ddb_};
    ddb.Close();
}

void rgnpy_Database::RequireWritable() {
    ddr_Ddb& ddb = Ddb();
    if (ddb.IsReadOnly())
        ddb.Database().Fail("opened read-only: nothing can be stored");
}

std::vector<std::string> rgnpy_Database::Roots() {
    std::vector<std::string> names;
    for (const cow_String& n : Ddb().RootNames())
        names.push_back(n.str());
    return names;
}

std::vector<std::string> rgnpy_Database::SetLists() {
    ddr_Ddb& ddb = Ddb();
    std::vector<std::string> lists;
    for (const std::string& root : Roots()) {
        try {
            const rgnC_SetDataMap& list = ddb.RootObject<rgnC_SetDataMap>(cow_String(root));
            // A map of other objects reads its keys as well; its first entry tells.
            if (list.Count() > 0) {
                SetIter it(list);
                it.First();
                it.CurrentValue();
            }
            lists.push_back(root);
        } catch (const nex_Exception&) {
        }
    }
    return lists;
}

rgnpy_SetList rgnpy_Database::SetList(const std::string& root) {
    Ddb().RootObject<rgnC_SetDataMap>(cow_String(root)); // refuses a missing or foreign root
    return rgnpy_SetList(shared_from_this(), root);
}

rgnpy_SetList rgnpy_Database::StoreSets(const std::string& root, py::handle sets) {
    RequireWritable();
    const auto entries = keyedSets(sets);
    ddr_Ddb& ddb = Ddb();
    const std::vector<std::string> roots = Roots();
    if (std::find(roots.begin(), roots.end(), root) == roots.end()) {
        rgnC_SetDataMap list;
        for (const auto& [key, set] : entries)
            list.Insert(key, set->Data());
        ddb.StoreRoot(cow_String(root), list);
    } else {
        // The database may keep this root's list (paths resolved through it, SetList
        // objects): the new contents go through that list, so that it stays the one stored.
        rgnC_SetDataMap& list = ddb.RootObject<rgnC_SetDataMap>(cow_String(root));
        std::vector<int> old;
        SetIter it(list);
        for (it.First(); !it.IsDone(); it.Next())
            old.push_back(it.CurrentKey());
        for (int key : old)
            list.Remove(key);
        for (const auto& [key, set] : entries)
            list.Insert(key, set->Data());
        list.Flush();
    }
    return rgnpy_SetList(shared_from_this(), root);
}

py::object rgnpy_Database::Resolve(const std::string& text) {
    ddr_Ddb& ddb = Ddb();
    const rgnC_PathText p = rgnC_PathText::Parse(text);
    if (p.DdbName().str() != name_)
        rgnpy_Errors::Fail(kSource, __LINE__,
                           "path '" + text + "' names the model database '" + p.DdbName().str() +
                               "', not '" + name_ + "' (" + path_ + ")");
    (void)ddb;
    switch (p.Names()) {
    case rgnC_PathText::Target::SetList:
        return py::cast(SetList(p.SetList().Name().str()));
    case rgnC_PathText::Target::Set:
        return py::cast(
            std::make_shared<rgnpy_SetData>(p.Set().ImplPtr()->ConstGet(openDatabases())));
    case rgnC_PathText::Target::SubsetList:
        return py::cast(
            std::make_shared<rgnpy_SetData>(p.Set().ImplPtr()->ConstGet(openDatabases()))
                ->Subsets());
    case rgnC_PathText::Target::Subset:
        break;
    }
    return py::cast(
        std::make_shared<rgnpy_Subset>(p.Subset().ImplPtr()->ConstGet(openDatabases())));
}

rgnC_Region rgnpy_Database::Region(const std::string& text) {
    Ddb();
    const rgnC_PathText p = rgnC_PathText::Parse(text);
    if (p.Names() != rgnC_PathText::Target::Set)
        rgnpy_Errors::Fail(kSource, __LINE__,
                           "a region names a set: path '" + text + "' names something else");
    // Resolved first: the region's own constructor would take a broken path quietly.
    p.Set().ImplPtr()->ConstGet(openDatabases());
    return rgnC_Region(p.Set());
}

std::vector<rgnC_RegionPair> rgnpy_Database::RegionPairs(const std::string& root) {
    const rgnC_RegionPairArray pairs = Ddb().LoadRoot<rgnC_RegionPairArray>(cow_String(root));
    std::vector<rgnC_RegionPair> out;
    out.reserve(static_cast<std::size_t>(pairs.Count()));
    for (int i = 0; i < pairs.Count(); ++i)
        out.push_back(pairs.ConstGet(i));
    return out;
}

void rgnpy_Database::StoreRegionPairs(const std::string& root,
                                      const std::vector<rgnC_RegionPair>& pairs) {
    RequireWritable();
    rgnC_RegionPairArray array;
    for (const rgnC_RegionPair& pair : pairs)
        array.Append(pair);
    Ddb().StoreRoot(cow_String(root), array);
}

void rgnpy_Database::Bind(py::module_& m) {
    py::class_<rgnpy_Database, std::shared_ptr<rgnpy_Database>>(
        m, "Database",
        "One open model database (a SQLite file), made by rgn.open.\n\n"
        "It is entered under its name ('model' by default) among the open databases of the\n"
        "thread that opened it, so that path texts such as 'model.sets[3].subset[0]' resolve\n"
        "in it; use and close it in that thread. As a context manager it closes at the end of\n"
        "the with block. Every write is one transaction, committed before the call returns:\n"
        "after a failure, a crash or a kill the file holds the last completed write.")
        .def_property_readonly("path", &rgnpy_Database::Path, "The file.")
        .def_property_readonly("name", &rgnpy_Database::Name,
                               "The name path texts give the database ('model').")
        .def_property_readonly("mode", &rgnpy_Database::Mode, "The mode it was opened in.")
        .def_property_readonly(
            "closed", [](const rgnpy_Database& d) { return !d.IsOpen(); }, "True once closed.")
        .def_property_readonly("roots", &rgnpy_Database::Roots,
                               "The names of the stored roots, in name order.")
        .def_property_readonly("set_lists", &rgnpy_Database::SetLists,
                               "The roots that hold a set-data list.")
        .def("sets", &rgnpy_Database::SetList, py::arg("root") = "sets",
             "sets(root='sets') -> SetList\n\n"
             "The set-data list stored under `root`; rgn.Error when there is no such root or it\n"
             "holds another class of object.")
        .def("store_sets", &rgnpy_Database::StoreSets, py::arg("root"), py::arg("sets"),
             "store_sets(root, sets) -> SetList\n\n"
             "Stores `sets` as the set-data list under `root`, replacing what the root held, in\n"
             "one transaction. `sets` is a sequence of SetData (keys 0, 1, ...) or a mapping\n"
             "{key: SetData}. rgn.Error on a database opened read-only.")
        .def("resolve", &rgnpy_Database::Resolve, py::arg("text"),
             "resolve(text) -> SetList | SetData | list[Subset] | Subset\n\n"
             "What a path text names in this database: 'model.sets' (a SetList),\n"
             "'model.sets[3]' (a SetData), 'model.sets[3].subset' (its subsets) or\n"
             "'model.sets[3].subset[0]' (a Subset); the scripting form\n"
             "\"ddb('model').sets[3]\" reads the same. A malformed text or a missing key raises\n"
             "rgn.Error with the system's message.")
        .def("region", &rgnpy_Database::Region, py::arg("text"),
             "region(text) -> Region\n\n"
             "A region naming the set at path `text` ('model.sets[3]'): it takes the set's\n"
             "label, internal flag and kind, and keeps the path.")
        .def("region_pairs", &rgnpy_Database::RegionPairs, py::arg("root"),
             "region_pairs(root) -> list[RegionPair]\n\n"
             "The array of region pairs stored under `root`.")
        .def("store_region_pairs", &rgnpy_Database::StoreRegionPairs, py::arg("root"),
             py::arg("pairs"),
             "store_region_pairs(root, pairs)\n\n"
             "Stores a sequence of RegionPair as an array under `root`, in one transaction.")
        .def(
            "compact", [](rgnpy_Database& d) { d.Ddb().Compact(); },
            "compact()\n\nDeletes rows that no root reaches and gives free pages back to the file "
            "system.")
        .def("close", &rgnpy_Database::Close,
             "close()\n\nCloses the database (later calls do nothing). Raises a failure the "
             "database kept\n"
             "(a write that could not be completed) as rgn.Error.")
        .def("__enter__", [](std::shared_ptr<rgnpy_Database> d) { return d; })
        .def(
            "__exit__",
            [](rgnpy_Database& d, py::handle, py::handle, py::handle) {
                d.Close();
                return false;
            },
            "Closes the database; an exception from the with block passes on.")
        .def("__repr__", [](const rgnpy_Database& d) {
            return "<rgn.Database '" + d.Name() + "' " + d.Path() + " mode '" + d.Mode() + "'" +
                   (d.IsOpen() ? ">" : " closed>");
        });

    m.def(
        "open",
        [](const std::string& path, const std::string& mode, const std::string& name) {
            return std::make_shared<rgnpy_Database>(path, mode, name);
        },
        py::arg("path"), py::arg("mode") = "r", py::arg("name") = "model",
        "open(path, mode='r', name='model') -> Database\n\n"
        "Opens a model database. mode: 'r' read-only; 'w' read and write an existing file;\n"
        "'c' read and write, creating the file when missing; 'n' a new empty database\n"
        "(replacing the file). `name` is the database's name in path texts; two databases open\n"
        "at once in one thread need different names. A missing file, a file that is not a\n"
        "model database or a damaged one raises rgn.Error naming the file and the problem.\n\n"
        "    with rgn.open('plate.db') as db:\n"
        "        ids = db.resolve('model.sets[3].subset[0]').ids");
}
