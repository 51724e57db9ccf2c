// A path to a T: the value that owners hold. It shares its implementation with its copies;
// a handle without implementation is an undefined path, and one whose chain of parents breaks
// somewhere (an entry of an undefined list) is a broken path. Neither names anything: both
// answer IsDefined() false and empty texts, resolving them throws, and a broken path is never
// stored. Paths compare by their texts.
//
//   ddr_Shortcut<rgnC_SetData> path = ...;
//   const rgnC_SetData& set = path.ConstGet(thr_ThreadSingleton<ddr_Root>::Instance().Fetch());
//
// This header declares the handle, so that an object holding a path compiles without the
// implementation classes, the visitors or the registrar; T and the implementation may be
// incomplete here. The members that reach the implementation are defined in
// ddr_ShortcutDefs.h: the module instantiates its paths explicitly (and declares them
// `extern template`); code that makes a path to a new type includes ddr_ShortcutDefs.h.
#pragma once

#include "cls_Uid.h"
#include "cow_COW.h"
#include "cow_String.h"
#include "cow_Virtual.h"
#include "ddr_ShortcutTraits.h"
#include "omu_ShortcutBase.h"

#include <cstdint>

class cls_ClassRegistrar;
class cls_FieldHandle;
class cls_ReadVisitor;
class cls_WriteVisitor;
class ddr_Ddb;
template <class K, class V>
class mdl_Container;
template <class T>
class ddr_ShortcutImpl;

// The thread's open databases by name, as ddr_Root holds them.
using ddr_DdbContainer = mdl_Container<cow_String, ddr_Ddb>;

template <class T>
class ddr_Shortcut : public omu_ShortcutBase {
public:
    using Impl = ddr_ShortcutImpl<T>;
    // The same type as Impl::Holder, named here without the implementation's definition.
    using ImplHolder = cow_COW<Impl, cow_Virtual<Impl>>;

    // An undefined path with a fresh identity. O(1); allocates the holder's counter only.
    ddr_Shortcut() : impl(static_cast<Impl*>(nullptr)), uid(cls_Uid::AllocateUid()) {}
    // A path through `implementation`, which the handle adopts (no copy); allocates the
    // holder's counter.
    explicit ddr_Shortcut(Impl* implementation)
        : impl(implementation), uid(cls_Uid::AllocateUid()) {}
    // Shares the implementation (nothing is copied, O(1)) and carries the identity.
    ddr_Shortcut(const ddr_Shortcut&) = default;
    // Shares the other's implementation; the last handle of the old one deletes it.
    ddr_Shortcut& operator=(const ddr_Shortcut&);
    ~ddr_Shortcut() override;

    // Loads a stored handle: its implementation is whatever registered class was stored, and
    // an implementation stored once for several handles comes back shared. Reads the chain of
    // implementations from the file (one record per level); resolves nothing.
    explicit ddr_Shortcut(const cls_ReadVisitor& rv);

    // The registered reading constructor: allocates the handle and reads it as above.
    static void* Ctor(cls_ReadVisitor& rv);

    // Class ids: no allocation, O(1). Some handles answer with their implementation's id, the
    // others with their own; an undefined handle has no implementation to ask and answers with
    // its own.
    static std::uint32_t TypeId() { return ddr_ShortcutTraits<T>::handleTypeId; }
    std::uint32_t DynTypeId() const;

    // The stored layout: one object attribute, the implementation. Allocates its metadata once.
    static void InitializeMetadata(cls_ClassRegistrar& registrar);

    // An undefined path stores as an empty "impl"; a broken one is refused before anything of
    // it is written (the write then commits nothing). Queues one record per level.
    void DBWrite(const cls_WriteVisitor& wv) const;

    // False for an undefined and for a broken path; walks the chain of parents, O(depth),
    // allocates nothing.
    bool IsDefined() const override;
    // The texts are empty when the path names nothing. Each allocates its text, O(depth).
    cow_String Name() const override;
    cow_String Path() const override;
    cow_String PythonPath() const override;
    cow_String DdbName() const;

    // The object the path names among the open databases of `container` (fetched from the
    // store when not yet loaded). Throws a nex_TextException naming this class and what is
    // missing when the path is undefined or broken. Resolves every level (O(depth) lookups);
    // each entry not yet loaded is fetched from the file (one query) once.
    const T& ConstGet(const ddr_DdbContainer& container) const;
    // The same, writable; the shared implementation is not detached.
    T& Get(ddr_DdbContainer& container) const;

    // Equal when their texts are: two undefined paths are equal, and neither the identity nor
    // the implementation's class takes part. Allocates both texts, O(depth).
    bool operator==(const ddr_Shortcut& other) const;

    // The implementation, read-only (null for an undefined path): no copy, O(1).
    const Impl* ImplPtr() const { return impl.ConstPtr(); }
    // The implementation for writing: copies it first (one level, through its Copy()) when
    // other handles share it.
    Impl& WritableImpl();
    // The holder and the identity: no copy, O(1).
    const ImplHolder& ImplHandle() const { return impl; }
    const cls_Uid& Uid() const { return uid; }

private:
    static constexpr const char* kSourceFile = "generated/include/ddr_Shortcut";
    // The positions its failures are reported at.
    static constexpr int kBrokenStoreLine = 61;
    static constexpr int kUndefinedLine = 112;
    static constexpr int kBrokenLine = 116;

    static const cls_FieldHandle& implField();
    const Impl& resolvable() const;
    cow_String text() const;

    ImplHolder impl;
    cls_Uid uid;
};
