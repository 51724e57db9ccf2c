#include "MshReader.h"

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {

// Dimension of the first-order element types these meshes use (and a few more).
int dimensionOf(int type) {
    switch (type) {
    case 15:
        return 0;
    case 1:
    case 8:
        return 1;
    case 2:
    case 3:
    case 9:
    case 10:
        return 2;
    case 4:
    case 5:
    case 6:
    case 7:
    case 11:
        return 3;
    }
    throw std::runtime_error("element type " + std::to_string(type) + " not known to the test");
}

std::vector<long> numbers(const std::string& line) {
    std::istringstream in(line);
    std::vector<long> v;
    for (long x; in >> x;)
        v.push_back(x);
    return v;
}

} // namespace

std::map<std::pair<int, int>, MshGroup> readMshGroups(const std::string& file) {
    std::ifstream in(file);
    std::string line;
    double version = 0;
    std::map<std::pair<int, int>, MshGroup> groups;
    std::map<std::pair<int, int>, std::vector<int>> physicalsOf; // entity -> its groups (4.1)
    auto add = [&](int dim, int tag, int element, const std::vector<long>& nodes) {
        MshGroup& g = groups[{dim, tag}];
        g.elements.insert(element);
        for (long n : nodes)
            g.nodes.insert(static_cast<int>(n));
    };
    while (std::getline(in, line)) {
        if (line == "$MeshFormat") {
            std::getline(in, line);
            version = std::stod(line);
        } else if (line == "$PhysicalNames") {
            std::getline(in, line);
            for (int n = std::stoi(line); n > 0; --n) {
                std::getline(in, line);
                std::istringstream s(line);
                int dim = 0, tag = 0;
                s >> dim >> tag;
                groups[{dim, tag}].name =
                    line.substr(line.find('"') + 1, line.rfind('"') - line.find('"') - 1);
            }
        } else if (line == "$Entities") {
            std::getline(in, line);
            const std::vector<long> counts = numbers(line);
            for (int dim = 0; dim < 4; ++dim)
                for (long i = 0; i < counts.at(dim); ++i) {
                    std::getline(in, line);
                    std::istringstream s(line);
                    int tag = 0;
                    double box = 0;
                    s >> tag;
                    for (int b = 0; b < (dim == 0 ? 3 : 6); ++b)
                        s >> box;
                    int physicals = 0;
                    s >> physicals;
                    for (int p = 0, phys = 0; p < physicals && s >> phys; ++p)
                        physicalsOf[{dim, tag}].push_back(phys);
                }
        } else if (line == "$Elements" && version >= 4) {
            std::getline(in, line);
            const long blocks = numbers(line).at(0);
            for (long b = 0; b < blocks; ++b) {
                std::getline(in, line);
                const std::vector<long> head = numbers(line); // dim, entity, type, count
                const auto& physicals = physicalsOf[{int(head.at(0)), int(head.at(1))}];
                for (long e = 0; e < head.at(3); ++e) {
                    std::getline(in, line);
                    const std::vector<long> v = numbers(line);
                    for (int phys : physicals)
                        add(int(head[0]), phys, int(v.at(0)), {v.begin() + 1, v.end()});
                }
            }
        } else if (line == "$Elements") {
            std::getline(in, line);
            for (long n = std::stol(line); n > 0; --n) {
                std::getline(in, line);
                // number, type, tag count, tags (physical first), nodes
                const std::vector<long> v = numbers(line);
                const long tags = v.at(2);
                add(dimensionOf(int(v.at(1))), int(v.at(3)), int(v.at(0)),
                    {v.begin() + 3 + tags, v.end()});
            }
        }
    }
    if (version == 0)
        throw std::runtime_error(file + ": no $MeshFormat");
    return groups;
}
