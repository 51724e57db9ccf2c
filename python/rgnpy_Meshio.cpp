#include "rgnpy_Meshio.h"

#include "rgnpy_Database.h"
#include "rgnpy_IdArrays.h"
#include "rgnpy_SetData.h"
#include "rgnpy_SetList.h"

#include <string>
#include <vector>

namespace py = pybind11;

namespace {

py::dict setsOf(py::handle mesh, const char* attribute) {
    if (!py::hasattr(mesh, attribute))
        throw py::type_error(std::string("a meshio mesh has `") + attribute +
                             "`; this object has not");
    py::object sets = mesh.attr(attribute);
    return sets.is_none() ? py::dict() : py::dict(sets);
}

} // namespace

py::object rgnpy_Meshio::FromMeshio(py::handle mesh, rgnpy_Database& db,
                                    const std::string& listName, int idBase) {
    db.RequireWritable();
    const py::dict pointSets = setsOf(mesh, "point_sets");
    const py::dict cellSets = setsOf(mesh, "cell_sets");

    // Where each block's cells start in the numbering of the whole mesh.
    std::vector<long long> blockStart;
    long long cells = 0;
    if (!cellSets.empty()) {
        for (py::handle block : mesh.attr("cells")) {
            blockStart.push_back(cells);
            cells += py::len(block.attr("data"));
        }
    }

    py::list sets;
    for (auto [name, ids] : pointSets) {
        auto set = std::make_shared<rgnpy_SetData>(static_cast<int>(sets.size()),
                                                   py::str(name).cast<std::string>(),
                                                   res_SetTypeEnm::NODE_SET, false, false);
        const std::string what = "point set '" + py::str(name).cast<std::string>() + "'";
        set->AddSubset(0, 0, rgnpy_IdArrays::ListFrom(ids, what.c_str(), idBase),
                       static_cast<res_SetTypeEnm>(7), std::nullopt, cow_1DArrayList<int>());
        sets.append(py::cast(set));
    }
    for (auto [name, perBlock] : cellSets) {
        auto set = std::make_shared<rgnpy_SetData>(static_cast<int>(sets.size()),
                                                   py::str(name).cast<std::string>(),
                                                   res_SetTypeEnm::ELEMENT_SET, false, false);
        const std::string what = "cell set '" + py::str(name).cast<std::string>() + "'";
        const py::sequence blocks = py::reinterpret_borrow<py::sequence>(perBlock);
        if (blocks.size() > blockStart.size())
            throw py::value_error(what + " has " + std::to_string(blocks.size()) +
                                  " blocks, the mesh " + std::to_string(blockStart.size()));
        for (std::size_t b = 0; b < blocks.size(); ++b) {
            if (blocks[b].is_none() || py::len(blocks[b]) == 0)
                continue;
            const cow_1DArrayList<int> ids =
                rgnpy_IdArrays::ListFrom(blocks[b], what.c_str(), blockStart[b] + idBase);
            set->AddSubset(0, static_cast<int>(b), ids, static_cast<res_SetTypeEnm>(7),
                           std::nullopt, cow_1DArrayList<int>());
        }
        sets.append(py::cast(set));
    }
    return py::cast(db.StoreSets(listName, sets));
}

void rgnpy_Meshio::Bind(py::module_& m) {
    m.def(
        "from_meshio",
        [](py::handle mesh, rgnpy_Database& db, const std::string& listName, int idBase) {
            return FromMeshio(mesh, db, listName, idBase);
        },
        py::arg("mesh"), py::arg("db"), py::arg("list_name") = "sets", py::arg("id_base") = 1,
        "from_meshio(mesh, db, list_name='sets', id_base=1) -> SetList\n\n"
        "Stores every point_sets entry of a meshio mesh as a node set and every cell_sets\n"
        "entry as an element set, in one set-data list under the root `list_name` (replacing\n"
        "it), in one transaction. Sets are keyed 0, 1, ... (point sets first, then cell\n"
        "sets, in the mesh's order) and labelled with their names.\n\n"
        "Ids: a node is id_base + its point index; an element is id_base + its position in\n"
        "the whole mesh, the cell blocks counted one after another. An element set has one\n"
        "subset per cell block it touches (class index = the block's index, mesh index 0).\n\n"
        "    mesh = meshio.read('part.inp')\n"
        "    with rgn.open('part.db', 'n') as db:\n"
        "        rgn.from_meshio(mesh, db, 'sets')");
}
