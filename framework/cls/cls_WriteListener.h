// Hears how a write ends. Stored collections that put entries into a write clear their change
// marks only when it has committed, and keep them when it rolls back.
#pragma once

class cls_Writer;

class cls_WriteListener {
public:
    // Called once per write it joined, after the file has its final state (committed, or left as
    // it was); a listener does no file access of its own here.
    virtual void WriteCommitted(const cls_Writer& writer) = 0;
    virtual void WriteRolledBack() = 0;

protected:
    ~cls_WriteListener() = default;
};
