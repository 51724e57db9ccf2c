// A region of the model as other objects keep it: a set named by its label and the names of its
// owners, flags saying what kind of set it is, and a path to the stored set data.
//
//   rgnC_Region r(setPath);                         // label, flags and kind taken from the set
//   const rgnC_SetData& set = r.ConstSet();         // resolves the path again, copies nothing
//   rgnC_Region byName(cow_String("TOP"), owners, 0, 4, false);
//
// Regions compare by name, owner names, space, kind and flags; never by path or identity.
#pragma once

#include "cls_Uid.h"
#include "cls_xpListString.h"
#include "cow_String.h"
#include "rgnC_SetDataPath.h"

#include <cstdint>

class cls_ClassRegistrar;
class cls_ReadVisitor;
class cls_WriteVisitor;
// The enumeration is complete with its fixed type; its name table comes with rgnC_SetType.h.
enum class rgnC_SetType : int;

class rgnC_Region {
public:
    // Bits of SetTypeBits(): the kinds of entity the set holds.
    static constexpr int kElementBit = 2;
    static constexpr int kNodeBit = 4;
    static constexpr int kSurfaceBit = 8;

    static std::uint32_t TypeId() { return 0x02540001; }

    // The regions made from names allocate a one-element owner list at most; O(1).
    rgnC_Region();
    rgnC_Region(const cow_String& name, const cow_String& ownerName, int space, int setTypeBits,
                bool internal);
    // Shares the owner names' storage (O(1)); the owner list gets an identity of its own.
    rgnC_Region(const cow_String& name, const cow_List<cow_String>& ownerNames, int space,
                int setTypeBits, bool internal);
    // Takes label, internal flag and kind from the set the path names, resolved against the
    // thread's open databases (which may fetch the set from the file: one query); an
    // undefined or broken path leaves everything else at its default.
    explicit rgnC_Region(const rgnC_SetDataPath& setData);
    // A copy is the same stored object: it carries the uids, and shares the path and the
    // names (O(1), no allocation).
    rgnC_Region(const rgnC_Region& other);
    rgnC_Region& operator=(const rgnC_Region& other);
    // Reads the record, its owner list and its path from the file; the set data the path
    // names is not fetched.
    explicit rgnC_Region(const cls_ReadVisitor& rv);
    virtual ~rgnC_Region();

    virtual std::uint32_t DynTypeId() const { return TypeId(); }
    // Queues the record, the owner list and the path into the write.
    virtual void DBWrite(const cls_WriteVisitor& wv) const;
    static void InitializeMetadata(cls_ClassRegistrar& registrar);

    // A new heap copy owned by the caller; copy-on-write holders duplicate regions with it.
    // Shares what a copy shares: O(1).
    rgnC_Region* Copy() const { return new rgnC_Region(*this); }

    // O(owner names); compares no path and fetches nothing.
    bool operator==(const rgnC_Region& other) const;
    bool operator!=(const rgnC_Region& other) const { return !(*this == other); }

    // The set data the path names, as the thread's open databases hold it; throws when the
    // path is undefined or broken (saying what is missing). Resolves the path on every call
    // (O(path length)); fetches the set from the file (one query) only on its first read.
    const rgnC_SetData& ConstSet() const;

    // The owner names after the first, each followed by ".", then the name. Allocates the
    // text; O(length).
    cow_String FullName() const;

    // The fields as stored: no copy, no fetch, O(1).

    const cow_String& Name() const { return name; }
    bool Internal() const { return internal; }
    const rgnC_SetDataPath& SetDataPath() const { return setData; }
    const cls_xpListString& OwnerNames() const { return _ownerNames; }
    int Space() const { return _space; }
    int SetTypeBits() const { return _setTypeBits; }
    rgnC_SetType TypeObsolete() const { return static_cast<rgnC_SetType>(_typeObsolete); }
    void SetTypeObsolete(rgnC_SetType type) { _typeObsolete = static_cast<std::uint32_t>(type); }
    const cls_Uid& Uid() const { return uid; }

private:
    // The declaration order is the order in which the reading constructor reads the record:
    // an unknown kind is refused before anything else is read.
    std::uint32_t _typeObsolete;
    cow_String name;
    bool internal;
    rgnC_SetDataPath setData;
    cls_xpListString _ownerNames;
    int _space;
    int _setTypeBits;
    cls_Uid uid;
};
