// Base of the persistent collections that a stored map agent stands for.
//
// When a map is written for the first time, its new agent asks the map, through
// StoreEntries, to write every entry into the store; when a write that the map flushed into
// rolls back, the agent tells the map that its changes are still to be written.
#pragma once

class cls_AgentMapKey2ObjBase;

class cls_PC {
public:
    virtual ~cls_PC() = default;

    // Called before a collection takes over another's content. Does nothing: O(1).
    void Reset() {}
    // Called when the collection stops standing for its stored form. Does nothing: O(1).
    void Unlink() {}

    // Writes every entry of the collection through the agent's entry requests: O(entries), each
    // queued into the agent's write with a handle kept for it (allocated), none reaching the
    // file before commit.
    virtual void StoreEntries(cls_AgentMapKey2ObjBase& agent) const = 0;
    // The write that stored the collection for the first time failed: take the entries back
    // from the agent and stand in memory alone again. No file access; a stored map looks each
    // key up in the agent and in its own tree, O(entries · log entries).
    // Const, like the rest of the listener: what changes is the collection's link to its
    // stored form, which it keeps in mutable members.
    virtual void ForgetAgent() const = 0;
    // A write the collection flushed into rolled back: its changes are still to be written. Sets
    // a mark the next flush reads: O(1), no file access.
    virtual void MarkModified() const = 0;
};
