// A set read from a mesh file, before it goes into a model database: its label, its kind and
// its parts, each part becoming one subset.
#pragma once

#include "res_SetTypeEnm.h"

#include <string>
#include <vector>

struct tool_MeshSet {
    struct Part {
        int mesh = 0;       // the mesh entity (Gmsh) the ids come from; 0 for Exodus II
        int classIndex = 0; // the element type (Gmsh), 0 where there is none
        res_SetTypeEnm type = res_SetTypeEnm::NODE_SET;
        std::vector<int> ids;
        std::vector<int> facets; // empty, or one facet id per id
    };

    std::string label;
    res_SetTypeEnm type = res_SetTypeEnm::NODE_SET;
    std::vector<Part> parts;
};
