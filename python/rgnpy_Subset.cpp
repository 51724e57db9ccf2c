#include "rgnpy_Subset.h"

#include "rgnpy_IdArrays.h"

#include "cow_1DArrayIter.h"

#include <climits>
#include <string>
#include <vector>

namespace py = pybind11;

namespace {

const char* typeName(res_SetTypeEnm type) {
    switch (type) {
    case res_SetTypeEnm::NODE_SET:
        return "NODE_SET";
    case res_SetTypeEnm::ELEMENT_SET:
        return "ELEMENT_SET";
    case res_SetTypeEnm::SURFACE_SET:
        return "SURFACE_SET";
    case res_SetTypeEnm::SURFACE_ELEMENT:
        return "SURFACE_ELEMENT";
    case res_SetTypeEnm::SURFACE_FACET:
        return "SURFACE_FACET";
    case res_SetTypeEnm::SURFACE_EDGE:
        return "SURFACE_EDGE";
    case res_SetTypeEnm::SURFACE_NODE:
        return "SURFACE_NODE";
    }
    return "unknown";
}

} // namespace

void rgnpy_Subset::checkRepeats() {
    checked_ = true;
    const cow_1DArrayList<int>& ids = subset_.IdArray();
    bool ascending = true;
    {
        cow_1DArrayIter<int> it(ids.Array(), ids.Count());
        const int* run;
        long long last = LLONG_MIN;
        for (int n; ascending && (n = it.NextRun(run)) > 0;)
            for (int k = 0; k < n; ++k) {
                if (run[k] <= last) {
                    ascending = false;
                    break;
                }
                last = run[k];
            }
    }
    if (ascending)
        return;
    omi_IntTable<int>& table = repeatsTable_.emplace();
    table.Reserve(ids.Count());
    int at = 1; // 1-based, as the subset's own table
    cow_1DArrayIter<int> it(ids.Array(), ids.Count());
    const int* run;
    for (int n; (n = it.NextRun(run)) > 0;)
        for (int k = 0; k < n; ++k)
            table.Insert(run[k], at++);
    if (table.Count() == ids.Count())
        repeatsTable_.reset(); // no repeat: the subset's own LookupIndex answers
}

inline int rgnpy_Subset::position(int id) const {
    if (!repeatsTable_)
        return subset_.LookupIndex(id);
    const int* at = repeatsTable_->Find(id);
    return at ? *at - 1 : rgnC_SubsetData::kNotFound;
}

py::array rgnpy_Subset::Ids() {
    if (!ids_)
        ids_ = rgnpy_IdArrays::ArrayOf(subset_.IdArray());
    return ids_;
}

py::array rgnpy_Subset::FacetIds() {
    if (!facetIds_)
        facetIds_ = rgnpy_IdArrays::ArrayOf(subset_.FacetIdArray());
    return facetIds_;
}

py::array_t<int> rgnpy_Subset::Lookup(py::handle ids) {
    py::array a = rgnpy_IdArrays::IntegerArray(ids, "ids");
    std::vector<py::ssize_t> shape(a.shape(), a.shape() + a.ndim());
    py::array_t<int> out(shape);
    int* o = out.mutable_data();
    if (a.size() > 1 && !checked_)
        checkRepeats();
    if (a.dtype().is(py::dtype::of<int>())) {
        auto in = py::array_t<int, py::array::c_style>::ensure(a);
        const int* p = in.data();
        for (py::ssize_t i = 0, n = in.size(); i < n; ++i) {
            const int at = position(p[i]);
            o[i] = at == rgnC_SubsetData::kNotFound ? -1 : at;
        }
    } else {
        auto in = py::array_t<long long, py::array::c_style | py::array::forcecast>::ensure(a);
        if (!in)
            throw py::error_already_set();
        const long long* p = in.data();
        for (py::ssize_t i = 0, n = in.size(); i < n; ++i) {
            // An id beyond a 32-bit int cannot be held; it is absent like any other.
            const int at = p[i] < INT_MIN || p[i] > INT_MAX ? rgnC_SubsetData::kNotFound
                                                            : position(static_cast<int>(p[i]));
            o[i] = at == rgnC_SubsetData::kNotFound ? -1 : at;
        }
    }
    return out;
}

void rgnpy_Subset::Bind(py::module_& m) {
    py::class_<rgnpy_Subset, std::shared_ptr<rgnpy_Subset>>(
        m, "Subset",
        "One subset of a set: the ids the set holds in one mesh and one class of data, with\n"
        "an optional parallel array of facet ids, and a fast id-to-position lookup.\n\n"
        "Subsets come from SetData.subset(k), SetData.subsets, SetData.find_subset and\n"
        "Database.resolve('model.sets[s].subset[k]'). A subset is a snapshot that shares the\n"
        "set's id storage; it stays valid after its database is closed.")
        .def_property_readonly(
            "ids", &rgnpy_Subset::Ids,
            "The ids as a read-only numpy int32 array, in stored order (copied once per Subset\n"
            "object, then the same array is returned).")
        .def_property_readonly(
            "facet_ids", &rgnpy_Subset::FacetIds,
            "The facet ids as a read-only numpy int32 array: empty, or as long as `ids` (entry i\n"
            "is the facet of id i).")
        .def("lookup", &rgnpy_Subset::Lookup, py::arg("ids"),
             "lookup(ids) -> numpy.ndarray\n\n"
             "Positions of `ids` (a numpy integer array of any shape, or a list) in this subset:\n"
             "an int32 array of the same shape, -1 for ids the subset does not hold. Runs in\n"
             "C++ at one hash lookup per id; the first call builds the table in one pass.")
        .def_property_readonly(
            "index", [](const rgnpy_Subset& s) { return s.Data().SubsetIndex(); },
            "The subset's index in its set (its key in the set's subset list).")
        .def_property_readonly(
            "set_index", [](const rgnpy_Subset& s) { return s.Data().SetIndex(); },
            "The index of the set that holds the subset.")
        .def_property_readonly(
            "mesh_index", [](const rgnpy_Subset& s) { return s.Data().MeshIndex(); },
            "The index of the mesh the ids belong to.")
        .def_property_readonly(
            "class_index", [](const rgnpy_Subset& s) { return s.Data().ClassIndex(); },
            "The class of data within that mesh (an element type, say).")
        .def_property_readonly(
            "type", [](const rgnpy_Subset& s) { return s.Data().SubsetType(); },
            "The kind of items held, a SetType.")
        .def_property_readonly(
            "unsorted", [](const rgnpy_Subset& s) { return s.Data().Unsorted(); },
            "True when the ids were stored as not in ascending order.")
        .def(
            "__len__", [](const rgnpy_Subset& s) { return s.Data().IdArray().Count(); },
            "The number of ids.")
        .def("__repr__", [](const rgnpy_Subset& s) {
            const rgnC_SubsetData& d = s.Data();
            return "<rgn.Subset " + std::to_string(d.SubsetIndex()) + " of set " +
                   std::to_string(d.SetIndex()) + ": " + typeName(d.SubsetType()) + ", mesh " +
                   std::to_string(d.MeshIndex()) + ", class " + std::to_string(d.ClassIndex()) +
                   ", " + std::to_string(d.IdArray().Count()) + " ids>";
        });
}
