// Sets of a meshio mesh into a model database: every point set becomes a node set and every
// cell set an element set, so that any format meshio reads can be brought in.
//
// Numbering: meshio numbers points and the cells of each block from 0. Stored ids are
// `id_base` + the point index for nodes, and `id_base` + the cell's position in the whole mesh
// (blocks counted one after another, as Exodus II numbers elements) for elements. An element
// set has one subset per cell block it touches (mesh index 0, class index = the block's index);
// a node set has one subset.
#pragma once

#include <pybind11/pybind11.h>

class rgnpy_Database;

class rgnpy_Meshio {
public:
    // Stores the sets under the root `listName` (replacing it) in one transaction, keyed 0, 1,
    // ... in the mesh's order: point sets first, then cell sets. Returns the SetList.
    static pybind11::object FromMeshio(pybind11::handle mesh, rgnpy_Database& db,
                                       const std::string& listName, int idBase);

    static void Bind(pybind11::module_& module);
};
