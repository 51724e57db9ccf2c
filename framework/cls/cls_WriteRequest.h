// Where an object written through a request goes: an element of a stored list or an entry of a
// stored map. A cls_WriteVisitor made from a request records the object there.
#pragma once

#include <cstdint>

class cls_Writer;

class cls_WriteRequest {
public:
    virtual ~cls_WriteRequest() = default;
    // The write the place belongs to; a stored map's may start one (see
    // cls_AgentMapKey2ObjBase::Writer).
    virtual cls_Writer& Writer() const = 0;
    // Records that the request's place holds the object (its identity and class). Queued into
    // the write: no file access before its commit.
    virtual void Place(std::uint64_t uid, std::uint32_t classId) const = 0;
};
