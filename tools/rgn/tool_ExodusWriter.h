// Writes sets into a new Exodus II file: node sets as node sets, surfaces whose every part has
// facet ids as side sets, element sets as element blocks when no element is in two of them
// (else one block of all elements, and the element sets as element sets). The file holds the
// sets only: node coordinates are zero and blocks have no connectivity, since a model database
// keeps neither.
//
// The file is built under a temporary name beside the target and renamed into place at the
// end, so a failed export leaves no file behind.
#pragma once

#include "tool_MeshSet.h"

#include <string>
#include <vector>

class tool_Progress;

class tool_ExodusWriter {
public:
    // Sets it cannot express (a surface without facet ids) are left out and their labels
    // returned. Throws tool_BadInput naming the file when writing fails.
    static std::vector<std::string>
    Write(const std::string& file, const std::vector<tool_MeshSet>& sets, tool_Progress& progress);
};
