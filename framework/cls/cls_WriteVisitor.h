// Writes one object into the model database: the object calls StartWrite with its type id and
// uid, then writes its attributes into the visitor's memento, and nested objects into child
// visitors made for their fields.
//
//   void Thing::DBWrite(const cls_WriteVisitor& wv) const {
//       if (!wv.StartWrite(TypeId(), uid)) return;         // already written in this write
//       wv.Memento().WriteInt(cls_FieldHandle(-1, "count"), &count);
//       part.DBWrite(cls_WriteVisitor(wv, cls_FieldHandle(-1, "part"), nullptr, nullptr));
//   }
#pragma once

#include "cls_CollectionTypeFix.h"
#include "cls_FieldHandle.h"
#include "cls_MementoWrite.h"
#include "cls_Uid.h"

#include <cstdint>
#include <functional>

class cls_AgentMapKey2ObjBase;
template <class K>
class cls_AgentMapKey2Obj;
class cls_ListWriter;
class cls_WriteRequest;
class cls_Writer;

class cls_WriteVisitor {
public:
    // Stores the object as the root `rootName` of the writer's database. Shares the name; O(1).
    cls_WriteVisitor(cls_Writer& writer, const cow_String& rootName);
    // For the object held in `field` of the parent's object. `holder`, when given, is the
    // counted holder through which the object is shared; objects are recognised by uid. Finds the
    // field in the parent's class, O(attributes); shares the name.
    cls_WriteVisitor(const cls_WriteVisitor& parent, const cls_FieldHandle& field,
                     const void* holder, const void* object);
    // For the element or entry that the request stands for. O(1).
    cls_WriteVisitor(const cls_WriteRequest& request, const void* object);
    cls_WriteVisitor(const cls_WriteVisitor&) = delete;
    cls_WriteVisitor& operator=(const cls_WriteVisitor&) = delete;

    // Records where the object goes and answers 1 when its attributes must be written, 0
    // when this write has stored it already. Queues the object's place (a root: O(roots in the
    // write)) and looks its uid up in the write, O(1) amortised; the first time, appends a
    // record with a value per attribute (allocates). No file access before the commit.
    int StartWrite(std::uint32_t typeId, const cls_Uid& uid) const;
    // The record of the object started by StartWrite. No copy, O(1).
    cls_MementoWrite& Memento() const;

    // The object declares itself a collection of this kind; a field declared as another
    // kind is refused. O(1); for a root, O(roots in the write).
    void CheckCollectionType(const cls_CollectionTypeFix& fix) const;
    void CheckCollectionType(int collection) const { CheckCollectionType({collection, nullptr}); }

    // Writes element i of a list through the visitor it is given.
    using ElementWriter = std::function<void(int i, const cls_WriteVisitor& element)>;
    // Stores a list of `count` objects under `uid`, all of them on every call, in order:
    // `writeElement(i, visitor)` writes element i. The elements stored before are dropped.
    // Queues one row per element (and what each element writes); allocates nothing of its
    // own, so an element that refuses to write leaves nothing behind.
    void WriteObjectList(const cls_Uid& uid, int count, const ElementWriter& writeElement) const;
    // A new agent for the map just started; the map owns it. Allocates it; no query.
    cls_AgentMapKey2Obj<int>* CreateMapAgent() const;

    // O(1).
    cls_Writer& Writer() const { return *writer_; }

private:
    enum class Target { Root, Field, Request };

    cls_Writer* writer_;
    Target target_;
    cow_String name_; // root name or field name
    cls_MementoWrite* parent_ = nullptr;
    const cls_WriteRequest* request_ = nullptr;
    int declaredCollection_ = 0;
    mutable cls_MementoWrite* record_ = nullptr;
    mutable std::uint64_t oid_ = 0;
    mutable std::uint32_t classId_ = 0;
    mutable bool started_ = false;
};
