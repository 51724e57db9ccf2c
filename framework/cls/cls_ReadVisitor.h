// Reads one object from the model database. A class's reading constructor takes its plain
// values from the memento and builds nested objects from child visitors made for their fields.
//
//   Thing::Thing(const cls_ReadVisitor& rv)
//       : count(rv.Memento().ReadInt(cls_FieldHandle(-1, "count"), 0)),
//         part(cls_ReadVisitor(rv, cls_FieldHandle(-1, "part"))), uid(rv.GetUid()) {}
#pragma once

#include "cls_FieldHandle.h"
#include "cls_MementoRead.h"
#include "cls_RowStore.h"
#include "cls_Uid.h"

#include <memory>

class cls_ListCursor;
template <class K>
class cls_AgentMapKey2Obj;

class cls_ReadVisitor {
public:
    // For the object held in `field` of the parent's object (an absent object reads as empty).
    // Reads the parent's row if not read yet (one query on a miss), finds the field's reference
    // (O(attributes)) and allocates the child's record, whose row is read on first use.
    cls_ReadVisitor(const cls_ReadVisitor& parent, const cls_FieldHandle& field);
    // For a record that someone else keeps (a list cursor's current element). Borrows it: O(1).
    explicit cls_ReadVisitor(cls_MementoRead* memento) : memento_(memento) {}
    // For a stored root. Allocates its record; no query until the first read.
    cls_ReadVisitor(cls_Reader& reader, const cls_RowStore::Root& root);
    cls_ReadVisitor(const cls_ReadVisitor&) = delete;
    cls_ReadVisitor& operator=(const cls_ReadVisitor&) = delete;

    // The identity of the object read; null for an absent one. Reads the row if not read yet
    // (see cls_MementoRead::Uid), then one lock. Memento and Reader: no copy, O(1).
    cls_Uid GetUid() const { return memento_->Uid(); }
    const cls_MementoRead& Memento() const { return *memento_; }
    cls_Reader& Reader() const { return memento_->Reader(); }

    // A cursor over the elements of the stored list being read; the caller deletes it. Allocates
    // it and reads the element references (one query, O(elements)), after the list's own row.
    cls_ListCursor* OpenCursor() const;
    // The agent of the stored map being read, with its keys loaded; the caller adopts it. Null
    // for an absent map. Allocates the agent, which reads the keys (one query, O(entries)), after
    // the map's own row.
    cls_AgentMapKey2Obj<int>* MapAgent() const;

private:
    std::unique_ptr<cls_MementoRead> own_;
    cls_MementoRead* memento_;
};
