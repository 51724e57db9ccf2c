// The Gmsh reader as the program reaches it: rgn_gmsh.so, looked for beside the program and
// loaded on first use (see tool_GmshReader for why it is a module of its own).
#pragma once

#include "tool_MeshSet.h"

#include <string>
#include <vector>

class tool_Progress;

class tool_GmshModule {
public:
    // tool_GmshReader::Read through the module. Throws tool_BadInput for a file it cannot
    // read, and when the module cannot be loaded.
    static std::vector<tool_MeshSet> Read(const std::string& file, tool_Progress& progress);
};
