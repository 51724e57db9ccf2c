// Walks the elements of a stored list of objects in order. Advance before each element, the
// first included; it answers false past the last.
#pragma once

#include "cls_Database.h"
#include "cls_MementoRead.h"

#include <memory>
#include <vector>

class cls_ListCursor {
public:
    cls_ListCursor(cls_Reader& reader, std::uint64_t listOid);

    int ElementCount() const { return static_cast<int>(elements_.size()); }
    bool Advance();
    // The record of the current element; valid until the next Advance.
    cls_MementoRead* Current() const { return current_.get(); }

private:
    cls_Reader& reader_;
    std::vector<cls_Database::Reference> elements_;
    std::size_t next_ = 0;
    std::unique_ptr<cls_MementoRead> current_;
};
