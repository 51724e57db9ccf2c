#include "tool_ExodusWriter.h"

#include "tool_BadInput.h"
#include "tool_ExodusFile.h"
#include "tool_Progress.h"
#include "tool_TempFile.h"

#include <exodusII.h>

#include <algorithm>
#include <unordered_map>

namespace {

// Exodus II keeps names in fixed-size fields; longer ones cannot be written faithfully.
constexpr std::size_t kLongestName = 255;

std::vector<int> sortedUnique(std::vector<int> ids) {
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

std::vector<int> allIds(const tool_MeshSet& set) {
    std::vector<int> ids;
    for (const auto& part : set.parts)
        ids.insert(ids.end(), part.ids.begin(), part.ids.end());
    return ids;
}

bool isSideSet(const tool_MeshSet& set) {
    if (set.type == res_SetTypeEnm::NODE_SET || set.type == res_SetTypeEnm::ELEMENT_SET)
        return false;
    return std::all_of(set.parts.begin(), set.parts.end(),
                       [](const tool_MeshSet::Part& p) { return p.facets.size() == p.ids.size(); });
}

// Global ids to internal positions (from 1), in the order of `ids`.
std::unordered_map<int, int> positions(const std::vector<int>& ids) {
    std::unordered_map<int, int> where;
    where.reserve(ids.size());
    for (std::size_t i = 0; i < ids.size(); ++i)
        where.emplace(ids[i], static_cast<int>(i) + 1);
    return where;
}

struct Entries {
    std::vector<int> items;
    std::vector<int> extra; // facets of a side set
};

class Writer {
public:
    Writer(const std::string& file, const std::vector<tool_MeshSet>& sets, tool_Progress& progress)
        : file_(file), progress_(progress) {
        for (const tool_MeshSet& set : sets) {
            if (set.type == res_SetTypeEnm::NODE_SET)
                nodeSets_.push_back(&set);
            else if (set.type == res_SetTypeEnm::ELEMENT_SET)
                elementSets_.push_back(&set);
            else if (isSideSet(set))
                sideSets_.push_back(&set);
            else
                skipped_.push_back(set.label);
            if (set.label.size() > kLongestName)
                throw tool_BadInput(file, "the name of set '" + set.label.substr(0, 40) +
                                              "...' is longer than Exodus II keeps (" +
                                              std::to_string(kLongestName) + " characters)");
            longestName_ = std::max(longestName_, set.label.size());
        }
    }

    std::vector<std::string> Write() {
        tool_TempFile temp(file_);
        progress_.Start("writing", static_cast<long>(nodeSets_.size() + sideSets_.size() +
                                                     elementSets_.size()));
        {
            tool_ExodusFile exo(temp.Path(), tool_ExodusFile::Mode::Create, file_);
            write(exo);
            exo.Close();
        }
        temp.Commit();
        return skipped_;
    }

private:
    void write(tool_ExodusFile& exo) {
        std::vector<int> nodes;
        for (const tool_MeshSet* set : nodeSets_) {
            const std::vector<int> ids = allIds(*set);
            nodes.insert(nodes.end(), ids.begin(), ids.end());
        }
        nodes = sortedUnique(nodes);
        // Blocks need at least one node per element (see writeBlocks); a file with elements
        // but no node sets gets one node of id 1 for them to refer to.

        // Blocks when the element sets partition their elements, and every element a side
        // set names lies in one of them.
        std::vector<std::vector<int>> elementIds;
        std::vector<int> elements;
        for (const tool_MeshSet* set : elementSets_) {
            elementIds.push_back(sortedUnique(allIds(*set)));
            elements.insert(elements.end(), elementIds.back().begin(), elementIds.back().end());
        }
        const std::size_t inSets = elements.size();
        elements = sortedUnique(elements);
        bool partition = elements.size() == inSets;
        for (const tool_MeshSet* set : sideSets_) {
            const std::vector<int> ids = sortedUnique(allIds(*set));
            partition = partition &&
                        std::includes(elements.begin(), elements.end(), ids.begin(), ids.end());
            elements.insert(elements.end(), ids.begin(), ids.end());
        }
        elements = sortedUnique(elements);

        // Internal element order: block by block when they partition, else ascending ids.
        std::vector<int> order;
        if (partition) {
            for (const auto& ids : elementIds)
                order.insert(order.end(), ids.begin(), ids.end());
        } else {
            order = elements;
        }
        const std::size_t blocks = partition ? elementIds.size() : (order.empty() ? 0 : 1);
        if (nodes.empty() && !order.empty())
            nodes.push_back(1);

        ex_init_params p{};
        std::snprintf(p.title, sizeof p.title, "sets written by rgn");
        p.num_dim = 3;
        p.num_nodes = static_cast<int64_t>(nodes.size());
        p.num_elem = static_cast<int64_t>(order.size());
        p.num_elem_blk = static_cast<int64_t>(blocks);
        p.num_node_sets = static_cast<int64_t>(nodeSets_.size());
        p.num_side_sets = static_cast<int64_t>(sideSets_.size());
        p.num_elem_sets = partition ? 0 : static_cast<int64_t>(elementSets_.size());
        exo.Check(ex_set_max_name_length(exo.Id(),
                                         static_cast<int>(std::max<std::size_t>(longestName_, 32))),
                  "setting the name length");
        exo.Check(ex_put_init_ext(exo.Id(), &p), "writing its sizes");

        if (!nodes.empty()) {
            const std::vector<double> zero(nodes.size(), 0.0);
            exo.Check(ex_put_coord(exo.Id(), zero.data(), zero.data(), zero.data()),
                      "writing node coordinates");
            exo.Check(ex_put_id_map(exo.Id(), EX_NODE_MAP, nodes.data()),
                      "writing the node number map");
        }
        if (!order.empty())
            exo.Check(ex_put_id_map(exo.Id(), EX_ELEM_MAP, order.data()),
                      "writing the element number map");

        writeBlocks(exo, partition, elementIds, order.size());
        const auto nodeAt = positions(nodes);
        const auto elementAt = positions(order);
        writeSets(exo, EX_NODE_SET, nodeSets_, nodeAt);
        writeSets(exo, EX_SIDE_SET, sideSets_, elementAt);
        if (!partition)
            writeSets(exo, EX_ELEM_SET, elementSets_, elementAt);
        else
            progress_.Advance(static_cast<long>(elementSets_.size()));
    }

    // The library cannot write a block without connectivity, and the database has none: every
    // element of a block is written as one node, node 1, under the topology "NULL".
    void writeBlocks(tool_ExodusFile& exo, bool partition,
                     const std::vector<std::vector<int>>& elementIds, std::size_t total) {
        std::vector<std::string> names;
        std::vector<std::size_t> sizes;
        if (partition) {
            for (std::size_t b = 0; b < elementIds.size(); ++b) {
                sizes.push_back(elementIds[b].size());
                names.push_back(elementSets_[b]->label);
            }
        } else if (total > 0) {
            sizes.push_back(total);
            names.push_back("all_elements");
        }
        for (std::size_t b = 0; b < sizes.size(); ++b) {
            const int id = static_cast<int>(b + 1);
            exo.Check(ex_put_block(exo.Id(), EX_ELEM_BLOCK, id, "NULL",
                                   static_cast<int64_t>(sizes[b]), 1, 0, 0, 0),
                      "writing element block " + std::to_string(id));
            if (sizes[b] == 0)
                continue;
            const std::vector<int> connectivity(sizes[b], 1);
            exo.Check(
                ex_put_conn(exo.Id(), EX_ELEM_BLOCK, id, connectivity.data(), nullptr, nullptr),
                "writing element block " + std::to_string(id));
        }
        putNames(exo, EX_ELEM_BLOCK, names);
    }

    // All sets of one kind in one call: the file's definitions are made once for all of them.
    void writeSets(tool_ExodusFile& exo, ex_entity_type type,
                   const std::vector<const tool_MeshSet*>& sets,
                   const std::unordered_map<int, int>& at) {
        if (sets.empty())
            return;
        std::vector<Entries> entries(sets.size());
        std::vector<ex_set> setHeaders(sets.size());
        std::vector<std::string> names;
        for (std::size_t i = 0; i < sets.size(); ++i) {
            Entries& e = entries[i];
            if (type == EX_SIDE_SET) {
                for (const auto& part : sets[i]->parts) {
                    for (int id : part.ids)
                        e.items.push_back(at.at(id));
                    e.extra.insert(e.extra.end(), part.facets.begin(), part.facets.end());
                }
            } else {
                for (int id : sortedUnique(allIds(*sets[i])))
                    e.items.push_back(at.at(id));
            }
            setHeaders[i] = ex_set{static_cast<int64_t>(i + 1),
                              type,
                              static_cast<int64_t>(e.items.size()),
                              0,
                              e.items.data(),
                              e.extra.empty() ? nullptr : e.extra.data(),
                              nullptr};
            names.push_back(sets[i]->label);
        }
        exo.Check(ex_put_sets(exo.Id(), setHeaders.size(), setHeaders.data()), "writing sets");
        putNames(exo, type, names);
        progress_.Advance(static_cast<long>(sets.size()));
    }

    void putNames(tool_ExodusFile& exo, ex_entity_type type,
                  const std::vector<std::string>& names) {
        if (names.empty())
            return;
        std::vector<char*> pointers;
        for (const std::string& n : names)
            pointers.push_back(const_cast<char*>(n.c_str()));
        exo.Check(ex_put_names(exo.Id(), type, pointers.data()), "writing names");
    }

    std::string file_;
    tool_Progress& progress_;
    std::vector<const tool_MeshSet*> nodeSets_, sideSets_, elementSets_;
    std::vector<std::string> skipped_;
    std::size_t longestName_ = 0;
};

} // namespace

std::vector<std::string> tool_ExodusWriter::Write(const std::string& file,
                                                  const std::vector<tool_MeshSet>& sets,
                                                  tool_Progress& progress) {
    return Writer(file, sets, progress).Write();
}
