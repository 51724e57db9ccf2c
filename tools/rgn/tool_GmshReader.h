// Reads the physical groups of a Gmsh mesh file (MSH 2 or 4, ASCII or binary) through the Gmsh
// library. Each group gives a node set (the nodes of the elements of its entities, one part
// per entity) and, above dimension 0, an element set (one part per entity and element type).
// Groups that share entities each keep all of their members; a group named in the file but
// holding no entity gives empty sets.
//
// The Gmsh library and the hundred libraries it brings take longer to load than most commands
// take to run, so the reader lives in a module of its own (rgn_gmsh.so beside the program),
// loaded by the first Gmsh import only (tool_GmshModule).
#pragma once

#include "tool_MeshSet.h"

#include <string>
#include <vector>

class tool_Progress;

class tool_GmshReader {
public:
    // Throws tool_BadInput when the file cannot be read as a mesh. Starts and stops the Gmsh
    // library; holds the whole mesh in memory while reading.
    static std::vector<tool_MeshSet> Read(const std::string& file, tool_Progress& progress);
};

// The module's entry point, found by name: no exception crosses the module's boundary, a
// failure comes back as the text of `error` (file and problem) and false.
extern "C" bool rgnReadGmsh(const char* file, tool_Progress* progress,
                            std::vector<tool_MeshSet>* sets, std::string* error);
