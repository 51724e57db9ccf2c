// The abstract implementation of a path to a T: resolves against the open model databases.
//
// Concrete implementations (an entry of a map, a member of an object, a stored root) derive
// from it; handles (ddr_Shortcut<T>) share one implementation copy-on-write.
#pragma once

#include "cls_ClassRegistrar.h"
#include "cow_COW.h"
#include "cow_String.h"
#include "cow_Virtual.h"
#include "ddr_RootMapPath.h"
#include "ddr_ShortcutBaseImpl.h"
#include "ddr_ShortcutTraits.h"

#include <cstdint>

class cls_ReadVisitor;
class cls_WriteVisitor;
class ddr_Ddb;
template <class K, class V>
class mdl_Container;

// The thread's open databases by name, as ddr_Root holds them (declared alike in
// ddr_Shortcut.h).
using ddr_DdbContainer = mdl_Container<cow_String, ddr_Ddb>;

template <class T>
class ddr_ShortcutImpl : public ddr_ShortcutBaseImpl {
public:
    // Handles share an implementation through this holder; copying one is O(1), writing
    // through a shared one copies the implementation (its Copy()).
    using Holder = cow_COW<ddr_ShortcutImpl, cow_Virtual<ddr_ShortcutImpl>>;

    ddr_ShortcutImpl() = default;
    // Reads nothing: the concrete class reads its own fields.
    explicit ddr_ShortcutImpl(const cls_ReadVisitor&) {}

    // The registered class id: no allocation, O(1).
    static std::uint32_t TypeId() { return ddr_ShortcutTraits<T>::implTypeId; }
    // The registrar cannot build an abstract implementation: allocates nothing, answers null.
    static void* Ctor(cls_ReadVisitor&) { return nullptr; }

    // Releases one reference of an implementation held through a counted holder (the
    // implementation goes with the last one) and frees the holder; null does nothing.
    static constexpr cls_ClassMetadata::DtorFunction CowDtor =
        &cls_ClassMetadata::ReleaseHeld<Holder>;

    // The abstract class's registration: a name and the holder's destroy function, and for a
    // T kept as a named root, the framework's root path standing in as a concrete
    // implementation; allocates its metadata once.
    static void InitializeMetadata(cls_ClassRegistrar& registrar) {
        cls_ClassMetadata& md =
            registrar
                .CreateClassMD(cow_String(ddr_ShortcutTraits<T>::implName), TypeId(), 203, &Ctor, 1)
                .AddDtor(CowDtor);
        if constexpr (ddr_StoredAsRoot<T>)
            md.AddStandIn(ddr_RootMapPath::TypeId(), &ddr_ReadRootMapShortcut<T>);
    }

    // What every resolvable path answers: constant, O(1).
    bool IsRepository() const override { return false; }
    bool IsResolvable() const override { return true; }
    bool IsTransient() const override { return false; }
    ddr_ShortcutImpl* Copy() const override = 0;

    // The object the path names, in the databases of `container`: no copy; each level that is
    // not yet loaded is fetched from the file (one query) once.
    virtual const T& ConstGet(const ddr_DdbContainer& container) const = 0;
    virtual T& Get(ddr_DdbContainer& container) const = 0;

    // Queues the concrete class's record (one per level) into the write; the abstract one
    // writes nothing.
    virtual void DBWrite(const cls_WriteVisitor&) const {}
    // The concrete class's registered id, O(1).
    virtual std::uint32_t DynTypeId() const = 0;
};
