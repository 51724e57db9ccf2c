// A small reader of ASCII Gmsh files (MSH 2.2 and 4.1), written for the tests apart from the
// tool: each physical group's element ids and the ids of the nodes of those elements.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>

struct MshGroup {
    std::string name;
    std::set<int> elements;
    std::set<int> nodes;
};

// Keyed by (dimension, physical tag); groups named in $PhysicalNames but holding nothing are
// there with empty sets. Throws std::runtime_error on a file it cannot follow.
std::map<std::pair<int, int>, MshGroup> readMshGroups(const std::string& file);
