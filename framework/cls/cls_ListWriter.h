// Writes the elements of one stored list of objects, in order.
#pragma once

#include <cstdint>

class cls_Writer;

class cls_ListWriter {
public:
    // Starts the list afresh: elements stored before are dropped.
    cls_ListWriter(cls_Writer& writer, std::uint64_t listOid);

    cls_Writer& Writer() const { return writer_; }
    std::uint64_t ListOid() const { return listOid_; }
    int NextPosition() { return next_++; }
    // The list's owner deletes the list writer when it answers true.
    bool IsFinished() const { return true; }

private:
    cls_Writer& writer_;
    std::uint64_t listOid_;
    int next_ = 0;
};
