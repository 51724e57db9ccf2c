// The abstract implementation of a path to a T: resolves against the open model databases.
//
// Concrete implementations (an entry of a map, a member of an object, a stored root) derive
// from it; handles (ddr_Shortcut<T>) share one implementation copy-on-write.
#pragma once

#include "cls_ClassRegistrar.h"
#include "cls_ReadVisitor.h"
#include "cls_WriteVisitor.h"
#include "cow_COW.h"
#include "cow_Direct.h"
#include "cow_String.h"
#include "cow_Virtual.h"
#include "ddr_ShortcutBaseImpl.h"
#include "ddr_ShortcutTraits.h"
#include "mdl_Container.h"

#include <cstdint>

class ddr_Ddb;
using ddr_DdbContainer = mdl_Container<cow_String, ddr_Ddb>;

template <class T>
class ddr_ShortcutImpl : public ddr_ShortcutBaseImpl {
public:
    using Holder = cow_COW<ddr_ShortcutImpl, cow_Virtual<ddr_ShortcutImpl>>;

    ddr_ShortcutImpl() = default;
    // Reads nothing: the concrete class reads its own fields.
    explicit ddr_ShortcutImpl(const cls_ReadVisitor&) {}

    static std::uint32_t TypeId() { return ddr_ShortcutTraits<T>::implTypeId; }
    // The registrar cannot build an abstract implementation.
    static void* Ctor(cls_ReadVisitor&) { return nullptr; }

    // Releases one reference of an implementation held through a counted holder (the
    // implementation goes with the last one) and frees the holder; null does nothing.
    static constexpr cls_ClassMetadata::DtorFunction CowDtor =
        &cls_ClassMetadata::ReleaseHeld<Holder>;

    static void InitializeMetadata(cls_ClassRegistrar& registrar) {
        registrar
            .CreateClassMD(cow_String(ddr_ShortcutTraits<T>::implName), TypeId(), 203, &Ctor, 1)
            .AddDtor(CowDtor);
    }

    bool IsRepository() const override { return false; }
    bool IsResolvable() const override { return true; }
    bool IsTransient() const override { return false; }
    ddr_ShortcutImpl* Copy() const override = 0;

    // The object the path names, in the databases of `container`.
    virtual const T& ConstGet(const ddr_DdbContainer& container) const = 0;
    virtual T& Get(ddr_DdbContainer& container) const = 0;

    virtual void DBWrite(const cls_WriteVisitor&) const {}
    virtual std::uint32_t DynTypeId() const = 0;
};
