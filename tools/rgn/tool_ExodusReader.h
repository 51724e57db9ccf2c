// Reads the sets of an Exodus II file: node sets as node sets, side sets as faceted surfaces
// (element ids with their facet ids), element blocks and element sets as element sets, each
// with its name (or the kind and id when unnamed). Ids are the file's global ids (its node
// and element number maps), not its internal positions.
#pragma once

#include "tool_MeshSet.h"

#include <string>
#include <vector>

class tool_Progress;

class tool_ExodusReader {
public:
    // Throws tool_BadInput when the file is not a readable Exodus II file.
    static std::vector<tool_MeshSet> Read(const std::string& file, tool_Progress& progress);
};
