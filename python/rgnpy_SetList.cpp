#include "rgnpy_SetList.h"

#include "cls_Map2ObjIter.h"
#include "rgnC_Paths.h"
#include "rgnpy_Database.h"
#include "rgnpy_SetData.h"
#include "rgnpy_Subset.h"

#include <pybind11/stl.h>

namespace py = pybind11;

namespace {

using SetIter =
    cls_Map2ObjIter<int, rgnC_SetData, cow_ArrayCOW<rgnC_SetData, cow_Virtual<rgnC_SetData>>>;

} // namespace

rgnpy_SetList::rgnpy_SetList(std::shared_ptr<rgnpy_Database> db, std::string root)
    : db_(std::move(db)), root_(std::move(root)) {}

const rgnC_SetDataMap& rgnpy_SetList::List() const {
    return db_->Ddb().RootObject<rgnC_SetDataMap>(cow_String(root_));
}

std::string rgnpy_SetList::Path() const {
    return db_->Name() + "." + root_;
}

std::vector<int> rgnpy_SetList::Keys() const {
    std::vector<int> keys;
    SetIter it(List());
    for (it.First(); !it.IsDone(); it.Next())
        keys.push_back(it.CurrentKey());
    return keys;
}

std::shared_ptr<rgnpy_SetData> rgnpy_SetList::Get(int key) const {
    return std::make_shared<rgnpy_SetData>(List().ConstGet(key));
}

void rgnpy_SetList::Update(py::handle sets) {
    db_->RequireWritable();
    // Every argument is checked before the list changes: a refused one leaves nothing
    // inserted and not stored.
    std::vector<std::pair<int, std::shared_ptr<rgnpy_SetData>>> entries;
    for (auto item : py::dict(py::reinterpret_borrow<py::object>(sets)))
        entries.emplace_back(item.first.cast<int>(),
                             rgnpy_SetData::From(item.second, "a stored set"));
    rgnC_SetDataMap& list = db_->Ddb().RootObject<rgnC_SetDataMap>(cow_String(root_));
    for (const auto& [key, set] : entries)
        list.Insert(key, set->Data());
    list.Flush();
}

void rgnpy_SetList::Bind(py::module_& m) {
    py::class_<rgnpy_SetList>(
        m, "SetList",
        "The set-data list stored under one root of an open database: a mapping from int\n"
        "keys to SetData, read lazily (the keys at once, each set on its first read).\n\n"
        "It raises rgn.Error once its database is closed; the SetData it handed out stay\n"
        "valid. Writes (`list[key] = set`, update) are committed before they return.")
        .def_property_readonly("root", &rgnpy_SetList::Root, "The root name.")
        .def_property_readonly("path", &rgnpy_SetList::Path,
                               "The list's path text, e.g. 'model.sets'.")
        .def("keys", &rgnpy_SetList::Keys,
             "keys() -> list[int]\n\nThe keys in ascending order (nothing is fetched).")
        .def(
            "__len__", [](const rgnpy_SetList& l) { return l.List().Count(); },
            "The number of sets.")
        .def(
            "__contains__",
            [](const rgnpy_SetList& l, py::handle key) {
                return py::isinstance<py::int_>(key) && l.List().IsMember(key.cast<int>());
            },
            "Whether the list holds that key.")
        .def(
            "__iter__", [](const rgnpy_SetList& l) { return py::iter(py::cast(l.Keys())); },
            "Iterates over the keys.")
        .def("__getitem__", &rgnpy_SetList::Get, py::arg("key"),
             "list[key] -> SetData\n\nThe set under `key`, read-only; rgn.Error (the system's "
             "message, naming the file\n"
             "and the key) when the list holds no such key.")
        .def(
            "get",
            [](const rgnpy_SetList& l, int key, py::object fallback) -> py::object {
                if (!l.List().IsMember(key))
                    return fallback;
                return py::cast(l.Get(key));
            },
            py::arg("key"), py::arg("default") = py::none(),
            "get(key, default=None) -> SetData | None\n\nThe set under `key`, or `default`.")
        .def(
            "items",
            [](const rgnpy_SetList& l) {
                py::list out;
                for (int key : l.Keys())
                    out.append(py::make_tuple(key, l.Get(key)));
                return out;
            },
            "items() -> list[tuple[int, SetData]]\n\n(key, SetData) pairs in key order; fetches "
            "every set.")
        .def(
            "__setitem__",
            [](rgnpy_SetList& l, int key, py::handle set) {
                py::dict one;
                one[py::int_(key)] = set;
                l.Update(one);
            },
            py::arg("key"), py::arg("set"),
            "list[key] = set\n\nStores `set` under `key` (replacing any set there) in one "
            "transaction.")
        .def("update", &rgnpy_SetList::Update, py::arg("sets"),
             "update(sets)\n\nStores every set of the mapping {key: SetData} (or iterable of\n"
             "(key, SetData) pairs) in one transaction.")
        .def("__repr__", [](const rgnpy_SetList& l) { return "<rgn.SetList " + l.Path() + ">"; });
}
