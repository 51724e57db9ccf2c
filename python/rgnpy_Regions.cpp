#include "rgnpy_Regions.h"

#include "rgnC_ScriptingBridge.h"
#include "rgnC_SetType.h"
#include "rgnpy_SetData.h"
#include "rgnpy_Tuples.h"

#include <pybind11/stl.h>

#include <memory>
#include <string>
#include <vector>

namespace py = pybind11;

namespace {

std::unique_ptr<omu_PrimTuple> owned(omu_Primitive* made) {
    std::unique_ptr<omu_Primitive> p(made);
    auto* tuple = dynamic_cast<omu_PrimTuple*>(p.get());
    if (!tuple)
        throw std::logic_error("the scripting bridge made something other than a tuple");
    p.release();
    return std::unique_ptr<omu_PrimTuple>(tuple);
}

rgnC_Region regionFromTuple(py::handle t) {
    const std::unique_ptr<omu_PrimTuple> tuple = rgnpy_Tuples::FromPython(t);
    rgnC_Region region;
    omu_Get(*tuple, region);
    return region;
}

std::vector<std::string> ownerNames(const rgnC_Region& r) {
    std::vector<std::string> names;
    for (int i = 0; i < r.OwnerNames().Count(); ++i)
        names.push_back(r.OwnerNames().ConstGet(i).str());
    return names;
}

std::string quoted(const std::string& text) {
    return py::repr(py::str(text)).cast<std::string>();
}

std::string describe(const rgnC_Region& r) {
    std::string text = "<rgn.Region " + quoted(r.Name().str());
    const auto owners = ownerNames(r);
    if (!owners.empty()) {
        text += " of";
        for (const auto& o : owners)
            text += " " + quoted(o);
    }
    text += ", bits " + std::to_string(r.SetTypeBits());
    if (r.Internal())
        text += ", internal";
    if (r.SetDataPath().IsDefined())
        text += ", path " + r.SetDataPath().Path().str();
    return text + ">";
}

} // namespace

void rgnpy_Regions::Bind(py::module_& m) {
    py::enum_<rgnC_SetType>(m, "RegionKind",
                            "The kind of set a region names, as region records keep it.")
        .value("GEOMETRY_SET", rgnC_SetType::GeometrySet)
        .value("NODE_SET", rgnC_SetType::NodeSet)
        .value("ELEMENT_SET", rgnC_SetType::ElementSet)
        .value("GEOMETRY_SURFACE", rgnC_SetType::GeometrySurface)
        .value("MESH_SURFACE", rgnC_SetType::MeshSurface)
        .value("NONE", rgnC_SetType::None);

    py::class_<rgnC_Region>(
        m, "Region",
        "A region of the model as other objects keep it: a set named by its label and the\n"
        "names of its owners, flags saying what kind of set it is, and perhaps a path to the\n"
        "stored set (Database.region). Regions compare by name, owner names, space, kind,\n"
        "set-type bits and internal flag; never by path or identity.\n\n"
        "Scripts exchange regions as tuples (name, owner names..., space, set_type_bits,\n"
        "internal), exactly as the scripting bridge makes them: Region.to_tuple and\n"
        "Region.from_tuple.")
        .def(py::init([](const std::string& name, const std::vector<std::string>& owners, int space,
                         int setTypeBits, bool internal) {
                 cow_List<cow_String> list;
                 for (const std::string& o : owners)
                     list.Append(cow_String(o));
                 return rgnC_Region(cow_String(name), list, space, setTypeBits, internal);
             }),
             py::arg("name") = "", py::arg("owners") = std::vector<std::string>(),
             py::arg("space") = 0, py::arg("set_type_bits") = 0, py::arg("internal") = false,
             "Region(name='', owners=(), space=0, set_type_bits=0, internal=False)\n\n"
             "A region by name. set_type_bits: 2 elements, 4 nodes, 8 surfaces.")
        .def_static("from_tuple", &regionFromTuple, py::arg("t"),
                    "Region.from_tuple(t) -> Region\n\n"
                    "The region a scripting tuple describes (the bridge's omu_Get): any nonzero\n"
                    "last element means internal. A tuple the bridge cannot read (too short,\n"
                    "an int where a name belongs) raises rgn.ValueError with its message.")
        .def(
            "to_tuple",
            [](const rgnC_Region& r) { return rgnpy_Tuples::ToPython(*owned(omu_ReturnPrim(r))); },
            "to_tuple() -> tuple\n\n"
            "The bridge's tuple (omu_ReturnPrim): (name, owner names..., space,\n"
            "set_type_bits, internal as 0 or 1). Kind, path and identity are not part of it.")
        .def_property_readonly(
            "name", [](const rgnC_Region& r) { return r.Name().str(); }, "The set's name.")
        .def_property_readonly("owners", &ownerNames, "The names of the owning objects.")
        .def_property_readonly("space", &rgnC_Region::Space, "The caller's space number.")
        .def_property_readonly("set_type_bits", &rgnC_Region::SetTypeBits,
                               "Kinds of entity in the set: 2 elements, 4 nodes, 8 surfaces.")
        .def_property_readonly("internal", &rgnC_Region::Internal, "True for an internal set.")
        .def_property("kind", &rgnC_Region::TypeObsolete, &rgnC_Region::SetTypeObsolete,
                      "The region's kind (RegionKind; NONE unless set). Not part of the tuple.")
        .def_property_readonly(
            "full_name", [](const rgnC_Region& r) { return r.FullName().str(); },
            "The owner names after the first, each followed by '.', then the "
            "name.")
        .def_property_readonly(
            "path",
            [](const rgnC_Region& r) -> py::object {
                if (!r.SetDataPath().IsDefined())
                    return py::none();
                return py::str(r.SetDataPath().Path().str());
            },
            "The path text of the set the region names, or None.")
        .def(
            "set",
            [](const rgnC_Region& r) { return std::make_shared<rgnpy_SetData>(r.ConstSet()); },
            "set() -> SetData\n\n"
            "Resolves the region's path among the databases open in this thread; rgn.Error\n"
            "with the system's message when the path is undefined or does not resolve.")
        .def("__eq__", [](const rgnC_Region& a, const rgnC_Region& b) { return a == b; })
        .def("__ne__", [](const rgnC_Region& a, const rgnC_Region& b) { return a != b; })
        .def("__repr__", &describe);

    py::class_<rgnC_RegionPair>(
        m, "RegionPair",
        "Two regions with a ground flag for each side and a suppress flag for the pair.\n"
        "Its scripting tuple is (region1 tuple, region2 tuple): the flags are not part of it.")
        .def(py::init<const rgnC_Region&, const rgnC_Region&, bool, bool, bool>(),
             py::arg("region1"), py::arg("region2"), py::arg("ground1") = false,
             py::arg("ground2") = false, py::arg("suppress") = false,
             "RegionPair(region1, region2, ground1=False, ground2=False, suppress=False)")
        .def_static(
            "from_tuple",
            [](py::handle t, bool ground1, bool ground2, bool suppress) {
                const py::sequence sides = py::reinterpret_borrow<py::sequence>(t);
                if (!(py::isinstance<py::tuple>(t) || py::isinstance<py::list>(t)) ||
                    sides.size() != 2)
                    throw py::value_error("a region pair tuple holds two region tuples");
                return rgnC_RegionPair(regionFromTuple(sides[0]), regionFromTuple(sides[1]),
                                       ground1, ground2, suppress);
            },
            py::arg("t"), py::arg("ground1") = false, py::arg("ground2") = false,
            py::arg("suppress") = false,
            "RegionPair.from_tuple(t, ground1=False, ground2=False, suppress=False)\n\n"
            "A pair from the tuple of its two region tuples; the flags, which the tuple does\n"
            "not carry, are given separately.")
        .def(
            "to_tuple",
            [](const rgnC_RegionPair& p) {
                return rgnpy_Tuples::ToPython(*owned(omu_ReturnPrim(p)));
            },
            "to_tuple() -> tuple\n\n(region1.to_tuple(), region2.to_tuple()), as the bridge makes "
            "it.")
        .def_property_readonly(
            "region1", [](const rgnC_RegionPair& p) { return p.Region1(); },
            "The first region (a copy).")
        .def_property_readonly(
            "region2", [](const rgnC_RegionPair& p) { return p.Region2(); },
            "The second region (a copy).")
        .def_property_readonly("ground1", &rgnC_RegionPair::Ground1, "Side 1 grounded.")
        .def_property_readonly("ground2", &rgnC_RegionPair::Ground2, "Side 2 grounded.")
        .def_property_readonly("suppress", &rgnC_RegionPair::Suppress, "The pair is suppressed.")
        .def("__eq__", [](const rgnC_RegionPair& a, const rgnC_RegionPair& b) { return a == b; })
        .def("__repr__", [](const rgnC_RegionPair& p) {
            return "<rgn.RegionPair " + describe(p.Region1()) + " " + describe(p.Region2()) +
                   (p.Ground1() ? " ground1" : "") + (p.Ground2() ? " ground2" : "") +
                   (p.Suppress() ? " suppressed" : "") + ">";
        });

    m.def(
        "pairs_to_tuple",
        [](const std::vector<rgnC_RegionPair>& pairs) {
            rgnC_RegionPairArray array;
            for (const rgnC_RegionPair& p : pairs)
                array.Append(p);
            return rgnpy_Tuples::ToPython(*owned(omu_ReturnPrim(array)));
        },
        py::arg("pairs"),
        "pairs_to_tuple(pairs) -> tuple\n\n"
        "The bridge's tuple of an array of region pairs: one pair tuple per pair, in order.");
}
