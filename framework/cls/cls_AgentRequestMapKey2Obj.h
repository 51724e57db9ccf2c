// A request to write the entry of one key of a stored map.
#pragma once

#include "cls_AgentMapKey2ObjBase.h"
#include "cls_WriteRequest.h"

template <class K>
class cls_AgentRequestMapKey2Obj : public cls_WriteRequest {
    static_assert(std::is_same_v<K, int>, "stored maps are keyed by int");

public:
    // Borrows the agent (not owned) and copies the key: O(1), no allocation.
    cls_AgentRequestMapKey2Obj(cls_AgentMapKey2ObjBase* agent, const K& key)
        : agent_(agent), key_(key) {}

    // The agent's write; may start one (see cls_AgentMapKey2ObjBase::Writer).
    cls_Writer& Writer() const override { return agent_->Writer(); }
    // Queues the entry into that write (RecordEntry): O(log entries), nothing reaches the file.
    void Place(std::uint64_t uid, std::uint32_t classId) const override {
        agent_->RecordEntry(key_, uid, classId);
    }

private:
    cls_AgentMapKey2ObjBase* agent_;
    K key_;
};
