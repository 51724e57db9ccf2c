#include "tool_ExodusReader.h"

#include "tool_BadInput.h"
#include "tool_ExodusFile.h"
#include "tool_Progress.h"

#include <exodusII.h>

#include <algorithm>
#include <cstdint>

namespace {

class Reader {
public:
    Reader(const std::string& path, tool_Progress& progress)
        : path_(path), exo_(path, tool_ExodusFile::Mode::Read), progress_(progress) {
        ex_init_params p{};
        exo_.Check(ex_get_init_ext(exo_.Id(), &p), "reading its sizes");
        params_ = p;
        const int used =
            static_cast<int>(ex_inquire_int(exo_.Id(), EX_INQ_DB_MAX_USED_NAME_LENGTH));
        exo_.Check(ex_set_max_name_length(exo_.Id(), std::max(used, 32)), "reading name lengths");
        nameLength_ = std::max(used, 32);
        nodeIds_ = idMap(EX_NODE_MAP, p.num_nodes, "node");
        elementIds_ = idMap(EX_ELEM_MAP, p.num_elem, "element");
    }

    std::vector<tool_MeshSet> Read() {
        std::vector<tool_MeshSet> sets;
        progress_.Start("reading", params_.num_node_sets + params_.num_side_sets +
                                       params_.num_elem_blk + params_.num_elem_sets);
        readSets(EX_NODE_SET, params_.num_node_sets, "nodeset", sets);
        readSets(EX_SIDE_SET, params_.num_side_sets, "sideset", sets);
        readBlocks(sets);
        readSets(EX_ELEM_SET, params_.num_elem_sets, "elemset", sets);
        exo_.Close();
        return sets;
    }

private:
    std::vector<int> idMap(ex_entity_type type, std::int64_t count, const char* what) {
        std::vector<int> ids(static_cast<std::size_t>(count));
        if (count > 0)
            exo_.Check(ex_get_id_map(exo_.Id(), type, ids.data()),
                       std::string("reading the ") + what + " number map");
        return ids;
    }

    std::vector<int> entityIds(ex_entity_type type, std::int64_t count) {
        std::vector<int> ids(static_cast<std::size_t>(count));
        if (count > 0)
            exo_.Check(ex_get_ids(exo_.Id(), type, ids.data()), "reading set ids");
        return ids;
    }

    std::vector<std::string> names(ex_entity_type type, std::size_t count) {
        std::vector<std::vector<char>> buffers(count, std::vector<char>(nameLength_ + 1, '\0'));
        std::vector<char*> pointers;
        for (auto& b : buffers)
            pointers.push_back(b.data());
        if (count > 0)
            exo_.Check(ex_get_names(exo_.Id(), type, pointers.data()), "reading names");
        std::vector<std::string> out;
        for (auto& b : buffers)
            out.emplace_back(b.data());
        return out;
    }

    // Internal positions (from 1) to the file's global ids.
    int global(const std::vector<int>& map, int position, const char* what) const {
        if (position < 1 || position > static_cast<int>(map.size()))
            throw tool_BadInput(path_, std::string("a set refers to ") + what + " " +
                                           std::to_string(position) + ", which does not exist");
        return map[position - 1];
    }

    void readSets(ex_entity_type type, std::int64_t count, const char* kind,
                  std::vector<tool_MeshSet>& sets) {
        const std::vector<int> ids = entityIds(type, count);
        const std::vector<std::string> labels = names(type, ids.size());
        for (std::size_t i = 0; i < ids.size(); ++i) {
            int entries = 0, factors = 0;
            exo_.Check(ex_get_set_param(exo_.Id(), type, ids[i], &entries, &factors),
                       std::string("reading ") + kind + " " + std::to_string(ids[i]));
            std::vector<int> items(entries), sides(type == EX_SIDE_SET ? entries : 0);
            if (entries > 0)
                exo_.Check(ex_get_set(exo_.Id(), type, ids[i], items.data(),
                                      sides.empty() ? nullptr : sides.data()),
                           std::string("reading ") + kind + " " + std::to_string(ids[i]));
            tool_MeshSet set;
            set.label =
                labels[i].empty() ? kind + std::string("_") + std::to_string(ids[i]) : labels[i];
            tool_MeshSet::Part part;
            const bool nodes = type == EX_NODE_SET;
            for (int& item : items)
                item = global(nodes ? nodeIds_ : elementIds_, item, nodes ? "node" : "element");
            part.ids = std::move(items);
            part.facets = std::move(sides);
            if (type == EX_NODE_SET) {
                set.type = part.type = res_SetTypeEnm::NODE_SET;
            } else if (type == EX_SIDE_SET) {
                set.type = res_SetTypeEnm::SURFACE_SET;
                part.type = res_SetTypeEnm::SURFACE_FACET;
            } else {
                set.type = part.type = res_SetTypeEnm::ELEMENT_SET;
            }
            set.parts.push_back(std::move(part));
            sets.push_back(std::move(set));
            progress_.Advance();
        }
    }

    // Elements are numbered block after block, so a block is a run of internal positions.
    void readBlocks(std::vector<tool_MeshSet>& sets) {
        const std::vector<int> ids = entityIds(EX_ELEM_BLOCK, params_.num_elem_blk);
        const std::vector<std::string> labels = names(EX_ELEM_BLOCK, ids.size());
        int next = 1;
        for (std::size_t i = 0; i < ids.size(); ++i) {
            char topology[MAX_STR_LENGTH + 1] = {};
            int elements = 0, perElement = 0, edges = 0, faces = 0, attributes = 0;
            exo_.Check(ex_get_block(exo_.Id(), EX_ELEM_BLOCK, ids[i], topology, &elements,
                                    &perElement, &edges, &faces, &attributes),
                       "reading element block " + std::to_string(ids[i]));
            tool_MeshSet set;
            set.label = labels[i].empty() ? "block_" + std::to_string(ids[i]) : labels[i];
            set.type = res_SetTypeEnm::ELEMENT_SET;
            tool_MeshSet::Part part;
            part.type = res_SetTypeEnm::ELEMENT_SET;
            part.ids.reserve(elements);
            for (int e = 0; e < elements; ++e)
                part.ids.push_back(global(elementIds_, next + e, "element"));
            next += elements;
            set.parts.push_back(std::move(part));
            sets.push_back(std::move(set));
            progress_.Advance();
        }
    }

    std::string path_;
    tool_ExodusFile exo_;
    tool_Progress& progress_;
    ex_init_params params_{};
    int nameLength_ = 32;
    std::vector<int> nodeIds_;
    std::vector<int> elementIds_;
};

} // namespace

std::vector<tool_MeshSet> tool_ExodusReader::Read(const std::string& file,
                                                  tool_Progress& progress) {
    return Reader(file, progress).Read();
}
