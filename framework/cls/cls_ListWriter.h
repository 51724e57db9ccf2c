// Writes the elements of one stored list of objects, in order: the list's elements stored
// before are dropped, and each element written through a cls_WriteRequestListObj takes the
// next position.
#pragma once

#include <cstdint>

class cls_Writer;

class cls_ListWriter {
public:
    // Queues the drop of the list's stored elements into the write (nothing reaches the file
    // before commit). O(1) amortised.
    cls_ListWriter(cls_Writer& writer, std::uint64_t listUid);

    // O(1), no allocation.
    cls_Writer& Writer() const { return writer_; }
    std::uint64_t ListUid() const { return listUid_; }
    int NextPosition() { return next_++; }

private:
    cls_Writer& writer_;
    std::uint64_t listUid_;
    int next_ = 0;
};
