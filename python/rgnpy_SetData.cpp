#include "rgnpy_SetData.h"

#include "cow_1DArrayIter.h"
#include "omu_PrimEnum.h"
#include "rgnpy_Errors.h"
#include "rgnpy_IdArrays.h"
#include "rgnpy_Subset.h"

#include <pybind11/stl.h>

#include <algorithm>

namespace py = pybind11;

namespace {

constexpr const char* kSource = "python/rgnpy_SetData";

bool isSorted(const cow_1DArrayList<int>& ids) {
    cow_1DArrayIter<int> it(ids.Array(), ids.Count());
    const int* run;
    bool first = true;
    int last = 0;
    for (int n; (n = it.NextRun(run)) > 0;) {
        if ((!first && run[0] < last) || !std::is_sorted(run, run + n))
            return false;
        first = false;
        last = run[n - 1];
    }
    return true;
}

} // namespace

res_SetTypeEnm rgnpy_SetTypeOf(py::handle type) {
    if (py::isinstance<res_SetTypeEnm>(type))
        return type.cast<res_SetTypeEnm>();
    if (py::isinstance<py::str>(type))
        return omu_PrimEnum<res_SetTypeEnm, 1>(cow_String(type.cast<std::string>())).GetValue();
    if (py::isinstance<py::int_>(type) && !py::isinstance<py::bool_>(type))
        return omu_PrimEnum<res_SetTypeEnm, 1>(static_cast<res_SetTypeEnm>(type.cast<int>()))
            .GetValue();
    throw py::type_error("a set type is an rgn.SetType, its name or its number");
}

std::shared_ptr<rgnpy_SetData> rgnpy_SetData::From(py::handle object, const char* what) {
    if (!py::isinstance<rgnpy_SetData>(object))
        throw py::type_error(std::string(what) + " must be an rgn.SetData, not " +
                             py::str(py::type::of(object).attr("__name__")).cast<std::string>());
    return object.cast<std::shared_ptr<rgnpy_SetData>>();
}

rgnpy_SetData::rgnpy_SetData(int index, const std::string& label, res_SetTypeEnm type,
                             bool internal, bool unsorted)
    : set_(index, cow_String(label), type, internal, unsorted), stored_(false) {}

rgnpy_SetData::rgnpy_SetData(const rgnC_SetData& stored) : set_(stored), stored_(true) {}

void rgnpy_SetData::AddSubset(int meshIndex, int classIndex, py::handle ids, py::handle type,
                              py::handle unsorted, py::handle facetIds) {
    const cow_1DArrayList<int> idList = rgnpy_IdArrays::ListFrom(ids, "ids");
    const cow_1DArrayList<int> facetList = facetIds.is_none()
                                               ? cow_1DArrayList<int>()
                                               : rgnpy_IdArrays::ListFrom(facetIds, "facet_ids");
    AddSubset(meshIndex, classIndex, idList,
              type.is_none() ? static_cast<res_SetTypeEnm>(7) : rgnpy_SetTypeOf(type),
              unsorted.is_none() ? std::nullopt : std::optional<bool>(unsorted.cast<bool>()),
              facetList);
}

void rgnpy_SetData::AddSubset(int meshIndex, int classIndex, const cow_1DArrayList<int>& ids,
                              res_SetTypeEnm type, std::optional<bool> unsorted,
                              const cow_1DArrayList<int>& facetIds) {
    if (stored_)
        rgnpy_Errors::Fail(kSource, __LINE__,
                           "set '" + set_.SetLabel().str() +
                               "' was read from a database and is read-only: build a new "
                               "rgn.SetData and store it in its place");
    set_.AddSubset(meshIndex, classIndex, ids, type, unsorted ? *unsorted : !isSorted(ids),
                   facetIds);
}

std::shared_ptr<rgnpy_Subset> rgnpy_SetData::Subset(int index) {
    const rgnC_SubsetData& subset = set_.SubSet(index); // throws the range message
    if (subsets_.size() <= static_cast<std::size_t>(index))
        subsets_.resize(static_cast<std::size_t>(index) + 1);
    auto& made = subsets_[static_cast<std::size_t>(index)];
    if (!made)
        made = std::make_shared<rgnpy_Subset>(subset);
    return made;
}

std::shared_ptr<rgnpy_Subset> rgnpy_SetData::FindSubset(int meshIndex, int classIndex,
                                                        py::handle type) {
    return Subset(set_.SubSet(meshIndex, classIndex, rgnpy_SetTypeOf(type)).SubsetIndex());
}

std::vector<std::shared_ptr<rgnpy_Subset>> rgnpy_SetData::Subsets() {
    std::vector<std::shared_ptr<rgnpy_Subset>> all;
    for (int k = 0; k < set_.NumSubset(); ++k)
        all.push_back(Subset(k));
    return all;
}

void rgnpy_SetData::Bind(py::module_& m) {
    py::class_<rgnpy_SetData, std::shared_ptr<rgnpy_SetData>>(
        m, "SetData",
        "One set of the model: its index and label, its type, two flags and its subsets.\n\n"
        "Build one, add subsets from numpy arrays and store it with Database.store_sets or\n"
        "SetList.update; or read one from a database (SetList[key], Database.resolve). A set\n"
        "read from a database is read-only and keeps that database's storage alive.")
        .def(py::init([](int index, const std::string& label, py::handle type, bool internal,
                         bool unsorted) {
                 return std::make_shared<rgnpy_SetData>(index, label, rgnpy_SetTypeOf(type),
                                                        internal, unsorted);
             }),
             py::arg("index"), py::arg("label"), py::arg("type") = res_SetTypeEnm::NODE_SET,
             py::arg("internal") = false, py::arg("unsorted") = false,
             "SetData(index, label, type=SetType.NODE_SET, internal=False, unsorted=False)\n\n"
             "An empty set. `type` is a SetType, its name or its number.")
        .def(
            "add_subset",
            static_cast<void (rgnpy_SetData::*)(int, int, py::handle, py::handle, py::handle,
                                                py::handle)>(&rgnpy_SetData::AddSubset),
            py::arg("mesh_index"), py::arg("class_index"), py::arg("ids"),
            py::arg("type") = py::none(), py::arg("unsorted") = py::none(),
            py::arg("facet_ids") = py::none(),
            "add_subset(mesh_index, class_index, ids, type=None, unsorted=None, facet_ids=None)\n\n"
            "Adds the next subset (index len(subsets)). `ids` and `facet_ids` are 1-D integer\n"
            "arrays (numpy or lists) copied into the set; `facet_ids` is empty or as long as\n"
            "`ids`. `type` None takes the set's own type; `unsorted` None tells from the ids.\n"
            "Raises rgn.Error with the system's message for facet ids of the wrong length.")
        .def("subset", &rgnpy_SetData::Subset, py::arg("index"),
             "subset(index) -> Subset\n\n"
             "The subset of that index; rgn.Error outside 0 .. len(subsets) - 1.")
        .def("find_subset", &rgnpy_SetData::FindSubset, py::arg("mesh_index"),
             py::arg("class_index"), py::arg("type"),
             "find_subset(mesh_index, class_index, type) -> Subset\n\n"
             "The first subset (lowest index) of that mesh, class and exact type; rgn.Error\n"
             "when none matches.")
        .def_property_readonly("subsets", &rgnpy_SetData::Subsets,
                               "The subsets in index order (read from the store on first use).")
        .def_property_readonly(
            "index", [](const rgnpy_SetData& s) { return s.Data().SetIndex(); }, "The set's index.")
        .def_property_readonly(
            "label", [](const rgnpy_SetData& s) { return s.Data().SetLabel().str(); },
            "The set's label (its name).")
        .def_property_readonly(
            "type", [](const rgnpy_SetData& s) { return s.Data().SetType(); },
            "The kind of set, a SetType.")
        .def_property_readonly(
            "internal", [](const rgnpy_SetData& s) { return s.Data().InternalSet(); },
            "True for an internal set.")
        .def_property_readonly(
            "unsorted", [](const rgnpy_SetData& s) { return s.Data().Unsorted(); },
            "True when the set's ids are marked as not in ascending order.")
        .def_property_readonly("stored", &rgnpy_SetData::IsStored,
                               "True for a set read from a database (then read-only).")
        .def(
            "same_contents",
            [](const rgnpy_SetData& a, const rgnpy_SetData& b) {
                return a.Data().IsEqual(b.Data());
            },
            py::arg("other"),
            "same_contents(other) -> bool\n\n"
            "The system's set equality: same type and the same subsets (count, mesh, class,\n"
            "type, ids and facet ids, in order). Labels, indices and flags take no part.")
        .def(
            "__len__", [](const rgnpy_SetData& s) { return s.Data().NumSubset(); },
            "The number of subsets.")
        .def("__repr__", [](const rgnpy_SetData& s) {
            const rgnC_SetData& d = s.Data();
            return "<rgn.SetData " + std::to_string(d.SetIndex()) + " '" + d.SetLabel().str() +
                   "': " + py::str(py::cast(d.SetType())).cast<std::string>() + ", " +
                   std::to_string(d.NumSubset()) + " subsets" + (s.IsStored() ? ", stored>" : ">");
        });
}
