// The Python module `rgn`: model databases, sets and regions from scripts, ids as numpy arrays.
#include "cls_MetadataRegistrar.h"
#include "omi_Singleton.h"
#include "rgnC_Module.h"
#include "rgnpy_Database.h"
#include "rgnpy_Errors.h"
#include "rgnpy_Meshio.h"
#include "rgnpy_Regions.h"
#include "rgnpy_SetData.h"
#include "rgnpy_SetList.h"
#include "rgnpy_Subset.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

namespace py = pybind11;

namespace {

// The module is started once per process, when Python first imports rgn, and never finalised:
// objects of this module may live until the interpreter's last collection, after any exit
// hook, and finalising frees nothing that the end of the process does not.
void startModule() {
    static bool started = false;
    if (started)
        return;
    int count = 0;
    rgnC_initialize(count);
    started = true;
}

} // namespace

PYBIND11_MODULE(rgn, m) {
    m.doc() =
        "Model databases of node, element and surface sets, from Python.\n\n"
        "A model database is one SQLite file holding roots: set-data lists (sets of ids, each\n"
        "with subsets per mesh and class of data) and arrays of region pairs. Paths name what\n"
        "is stored: 'model.sets[3]' is the set under key 3 of the list under root 'sets' of the\n"
        "database opened under the name 'model'; 'model.sets[3].subset[0]' its first subset.\n\n"
        "    import numpy, rgn\n"
        "    s = rgn.SetData(0, 'TOP', rgn.SetType.NODE_SET)\n"
        "    s.add_subset(0, 0, numpy.arange(1, 101, dtype=numpy.int32))\n"
        "    with rgn.open('plate.db', 'n') as db:\n"
        "        db.store_sets('sets', [s])\n"
        "        sub = db.resolve('model.sets[0].subset[0]')\n"
        "        sub.lookup(numpy.array([5, 500]))      # array([ 4, -1], dtype=int32)\n\n"
        "Ids come and go as numpy int32 arrays. Failures of the system raise rgn.Error (or\n"
        "rgn.ValueError) carrying the system's own message. Databases and their objects belong\n"
        "to the thread that opened the database.";
    startModule();
    // numpy is needed by every id array; importing it here makes its absence a clear
    // ImportError at `import rgn` rather than at the first array.
    py::module_::import("numpy");

    rgnpy_Errors::Register(m);

    py::enum_<res_SetTypeEnm>(m, "SetType", "The kind of items a set or subset holds.")
        .value("NODE_SET", res_SetTypeEnm::NODE_SET)
        .value("ELEMENT_SET", res_SetTypeEnm::ELEMENT_SET)
        .value("SURFACE_SET", res_SetTypeEnm::SURFACE_SET)
        .value("SURFACE_ELEMENT", res_SetTypeEnm::SURFACE_ELEMENT)
        .value("SURFACE_FACET", res_SetTypeEnm::SURFACE_FACET)
        .value("SURFACE_EDGE", res_SetTypeEnm::SURFACE_EDGE)
        .value("SURFACE_NODE", res_SetTypeEnm::SURFACE_NODE);

    // Every docstring opens with its Python signature; pybind11's own would name C++ types.
    py::options options;
    options.disable_function_signatures();
    rgnpy_Subset::Bind(m);
    rgnpy_SetData::Bind(m);
    rgnpy_SetList::Bind(m);
    rgnpy_Regions::Bind(m);
    rgnpy_Database::Bind(m);
    rgnpy_Meshio::Bind(m);
}
