#include "tool_GmshReader.h"

#include "tool_BadInput.h"
#include "tool_Progress.h"

#include <gmsh.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <map>
#include <set>

namespace {

// The library keeps global state: one reader at a time, and it is always shut down.
class GmshSession {
public:
    GmshSession() {
        gmsh::initialize(0, nullptr, false);
        gmsh::option::setNumber("General.Terminal", 0);
    }
    ~GmshSession() { gmsh::finalize(); }
};

struct Header {
    double version = 0;
    std::vector<std::pair<int, int>> named; // every (dim, tag) of $PhysicalNames
};

// The file's own first sections, which are text in every variant: the format version and the
// groups it names, including those that hold no entity (the library lists only groups with
// entities).
Header readHeader(const std::string& file) {
    Header h;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    if (!std::getline(in, line) || line.rfind("$MeshFormat", 0) != 0)
        throw tool_BadInput(file, "not a Gmsh mesh file (no $MeshFormat at its start)");
    if (!(in >> h.version))
        throw tool_BadInput(file, "unreadable mesh format version");
    while (std::getline(in, line) && line.rfind("$EndMeshFormat", 0) != 0) {
    }
    if (!std::getline(in, line) || line.rfind("$PhysicalNames", 0) != 0)
        return h;
    int count = 0;
    in >> count;
    for (int i = 0; i < count && in; ++i) {
        int dim = 0, tag = 0;
        in >> dim >> tag;
        std::getline(in, line);
        h.named.emplace_back(dim, tag);
    }
    return h;
}

int asId(std::size_t tag, const std::string& file) {
    if (tag > static_cast<std::size_t>(INT_MAX))
        throw tool_BadInput(file, "id " + std::to_string(tag) + " is larger than an int");
    return static_cast<int>(tag);
}

std::string labelOf(int dim, int tag) {
    std::string name;
    gmsh::model::getPhysicalName(dim, tag, name);
    return name.empty() ? "group_" + std::to_string(dim) + "_" + std::to_string(tag) : name;
}

// MSH 2 has no entities of its own: an element that belongs to k groups is written k times,
// once under each group's tag, with a new element number each time, and the library puts all
// copies under the entity. Runs of k elements with the same nodes are such copies; the i-th
// copy is given back to the entity's i-th group. Answers the group of each element, or an
// empty list when the elements are not copies (every group then holds every element).
std::vector<int> copyOwners(int dim, int entity, const std::vector<std::vector<std::size_t>>& tags,
                            const std::vector<std::vector<std::size_t>>& nodes) {
    std::vector<int> groups;
    gmsh::model::getPhysicalGroupsForEntity(dim, entity, groups);
    const std::size_t k = groups.size();
    if (k < 2)
        return {};
    std::vector<int> owners;
    for (std::size_t t = 0; t < tags.size(); ++t) {
        const std::size_t n = tags[t].size();
        if (n % k != 0)
            return {};
        const std::size_t perElement = n ? nodes[t].size() / n : 0;
        for (std::size_t e = 0; e < n; ++e) {
            const std::size_t first = e - e % k;
            if (!std::equal(nodes[t].begin() + e * perElement,
                            nodes[t].begin() + (e + 1) * perElement,
                            nodes[t].begin() + first * perElement))
                return {};
            owners.push_back(groups[e % k]);
        }
    }
    return owners;
}

} // namespace

std::vector<tool_MeshSet> tool_GmshReader::Read(const std::string& file, tool_Progress& progress) {
    const Header header = readHeader(file);
    GmshSession session;
    progress.Start("reading", 0); // the library reads the whole file in one call
    try {
        gmsh::open(file);
    } catch (const std::string& error) {
        throw tool_BadInput(file, error);
    }

    gmsh::vectorpair groups;
    gmsh::model::getPhysicalGroups(groups);
    std::set<std::pair<int, int>> present(groups.begin(), groups.end());
    for (const auto& g : header.named)
        if (!present.count(g))
            groups.push_back(g);
    std::sort(groups.begin(), groups.end());

    std::vector<tool_MeshSet> sets;
    progress.Start("groups", static_cast<long>(groups.size()));
    for (const auto& [dim, tag] : groups) {
        tool_MeshSet nodeSet, elementSet;
        nodeSet.label = elementSet.label = labelOf(dim, tag);
        nodeSet.type = res_SetTypeEnm::NODE_SET;
        elementSet.type = res_SetTypeEnm::ELEMENT_SET;

        std::vector<int> entities;
        if (present.count({dim, tag}))
            gmsh::model::getEntitiesForPhysicalGroup(dim, tag, entities);
        for (int entity : entities) {
            std::vector<int> types;
            std::vector<std::vector<std::size_t>> tags, nodes;
            gmsh::model::mesh::getElements(types, tags, nodes, dim, entity);
            const std::vector<int> owners =
                header.version < 3 ? copyOwners(dim, entity, tags, nodes) : std::vector<int>();

            tool_MeshSet::Part nodePart;
            nodePart.mesh = entity;
            std::size_t element = 0;
            for (std::size_t t = 0; t < types.size(); ++t) {
                tool_MeshSet::Part part;
                part.mesh = entity;
                part.classIndex = types[t];
                part.type = res_SetTypeEnm::ELEMENT_SET;
                const std::size_t n = tags[t].size();
                const std::size_t perElement = n ? nodes[t].size() / n : 0;
                for (std::size_t e = 0; e < n; ++e, ++element) {
                    if (!owners.empty() && owners[element] != tag)
                        continue;
                    part.ids.push_back(asId(tags[t][e], file));
                    for (std::size_t j = 0; j < perElement; ++j)
                        nodePart.ids.push_back(asId(nodes[t][e * perElement + j], file));
                }
                if (dim > 0)
                    elementSet.parts.push_back(std::move(part));
            }
            std::sort(nodePart.ids.begin(), nodePart.ids.end());
            nodePart.ids.erase(std::unique(nodePart.ids.begin(), nodePart.ids.end()),
                               nodePart.ids.end());
            nodeSet.parts.push_back(std::move(nodePart));
        }
        sets.push_back(std::move(nodeSet));
        if (dim > 0)
            sets.push_back(std::move(elementSet));
        progress.Advance();
    }
    return sets;
}

extern "C" bool rgnReadGmsh(const char* file, tool_Progress* progress,
                            std::vector<tool_MeshSet>* sets, std::string* error) {
    try {
        *sets = tool_GmshReader::Read(file, *progress);
        return true;
    } catch (const std::exception& e) {
        *error = e.what();
    } catch (...) {
        *error = std::string(file) + ": the Gmsh library failed";
    }
    return false;
}
