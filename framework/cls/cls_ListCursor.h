// Walks the elements of a stored list of objects in order. Advance before each element, the
// first included; it answers false past the last.
#pragma once

#include "cls_Database.h"
#include "cls_MementoRead.h"
#include "cls_ReadVisitor.h"
#include "nex_Exception.h"

#include <memory>
#include <vector>

class cls_ListCursor {
public:
    // Reads the list's element references from the file (one query, O(elements)) into a vector;
    // a listOid of 0 reads nothing.
    cls_ListCursor(cls_Reader& reader, std::uint64_t listOid);

    // O(1).
    int ElementCount() const { return static_cast<int>(elements_.size()); }
    // Allocates the next element's record, O(1); its row is read on first use.
    bool Advance();
    // The record of the current element; valid until the next Advance. No copy, O(1).
    cls_MementoRead* Current() const { return current_.get(); }

    // The current element built by T's reading constructor. Its record must be of T's class
    // (or one derived from it); a failure of T's own reading gets the element's place in the
    // file in front of its message, unless something nested in it named its own. Reads the
    // element's row (read ahead with its neighbours: one query on a miss) and what T reads.
    template <class T>
    T Read() const {
        cls_MementoRead& record = *current_;
        if constexpr (requires { T::TypeId(); })
            record.ExpectClass(T::TypeId());
        try {
            cls_ReadVisitor element(&record);
            return T(element);
        } catch (nex_Exception& e) {
            record.AddContext(e);
            throw;
        }
    }

private:
    cls_Reader& reader_;
    std::vector<cls_Database::Reference> elements_;
    std::size_t next_ = 0;
    std::unique_ptr<cls_MementoRead> current_;
};
