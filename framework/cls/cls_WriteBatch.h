// Everything one write stores, queued until its commit: the records of the objects and
// collections met (each once), the entries put into or removed from stored maps, the elements
// of stored object lists, and the roots. Objects are named by identity; rows are found or
// allocated only when the batch is applied.
#pragma once

#include "cls_MementoWrite.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

struct cls_WriteBatch {
    struct MapEntry {
        std::uint64_t mapUid;
        int key;
        std::uint64_t elementUid; // 0 for a removal
        std::uint32_t elementClassId;
        bool replaces; // the map held the key before: its old element may now be unreachable
    };
    struct ListElement {
        std::uint64_t listUid;
        int position;
        std::uint64_t elementUid;
        std::uint32_t elementClassId;
    };
    struct Root {
        std::string name;
        std::uint64_t uid;
        std::uint32_t classId;
        int collection;
    };

    // A deque: records are referred to by address while the write goes on.
    std::deque<cls_MementoWrite> records;
    std::vector<MapEntry> mapEntries;
    std::vector<std::uint64_t> listsRestarted; // object lists whose elements are written anew
    std::vector<ListElement> listElements;
    std::vector<Root> roots;

    // O(1).
    bool Empty() const {
        return records.empty() && mapEntries.empty() && listsRestarted.empty() && roots.empty();
    }
};
