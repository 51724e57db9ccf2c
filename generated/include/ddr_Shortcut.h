// A path to a T: the value that owners hold. It shares its implementation with its copies;
// a handle without implementation is an undefined path. Paths compare by their texts.
//
//   ddr_Shortcut<rgnC_SetData> path = ...;
//   if (path.IsDefined())
//       const rgnC_SetData& set = path.Impl()->ConstGet(thr_ThreadSingleton<ddr_Root>::Instance().Fetch());
#pragma once

#include "cls_Codes.h"
#include "cls_Uid.h"
#include "ddr_ShortcutImpl.h"
#include "omu_ShortcutBase.h"

template <class T>
class ddr_Shortcut : public omu_ShortcutBase {
public:
    using Impl = ddr_ShortcutImpl<T>;
    using ImplHolder = typename Impl::Holder;

    // An undefined path with a fresh identity.
    ddr_Shortcut() : impl(static_cast<Impl*>(nullptr)), uid(cls_Uid::AllocateUid()) {}
    // A path through `implementation`, which the handle adopts.
    explicit ddr_Shortcut(Impl* implementation) : impl(implementation), uid(cls_Uid::AllocateUid()) {}
    // Shares the implementation (nothing is copied) and carries the identity.
    ddr_Shortcut(const ddr_Shortcut&) = default;
    ddr_Shortcut& operator=(const ddr_Shortcut&) = default;
    ~ddr_Shortcut() override = default;

    // Loads a stored handle: its implementation is whatever registered class was stored, and
    // an implementation stored once for several handles comes back shared.
    explicit ddr_Shortcut(const cls_ReadVisitor& rv)
        : impl(rv.Memento().template ReadObject<Impl>(implField(), Impl::TypeId())),
          uid(rv.GetUid()) {}

    static void* Ctor(cls_ReadVisitor& rv) { return new ddr_Shortcut(rv); }

    static std::uint32_t TypeId() { return ddr_ShortcutTraits<T>::handleTypeId; }
    // Some handles answer with their implementation's id (asked without testing: defined
    // paths only), the others with their own.
    std::uint32_t DynTypeId() const {
        if constexpr (ddr_ShortcutTraits<T>::handleAsksImplForDynTypeId)
            return impl->DynTypeId();
        else
            return TypeId();
    }

    static void InitializeMetadata(cls_ClassRegistrar& registrar) {
        registrar
            .CreateClassMD(cow_String(ddr_ShortcutTraits<T>::handleName), TypeId(), 203, &Ctor, 1)
            .AddAttribute(implField(), cls_AttrObject, Impl::TypeId(), cls_CollSingle);
    }

    void DBWrite(const cls_WriteVisitor& wv) const {
        if (!wv.StartWrite(TypeId(), uid))
            return;
        if (IsDefined())
            impl->DBWrite(cls_WriteVisitor(wv, implField(), &impl, nullptr));
        else
            wv.Memento().WriteEmptyObject(implField());
    }

    bool IsDefined() const override { return !impl.IsNull(); }
    cow_String Name() const override { return impl->Name(); }
    cow_String Path() const override { return impl->Path(); }
    cow_String PythonPath() const override { return impl->PythonPath(); }
    cow_String DdbName() const { return impl->DdbName(); }

    // Equal when their texts are: two undefined paths are equal, and neither the identity nor
    // the implementation's class takes part.
    bool operator==(const ddr_Shortcut& other) const { return text() == other.text(); }

    // The implementation, read-only (null for an undefined path).
    const Impl* ImplPtr() const { return impl.ConstPtr(); }
    // The implementation for writing: copies it first when other handles share it.
    Impl& WritableImpl() { return impl.Get(); }
    const ImplHolder& ImplHandle() const { return impl; }
    const cls_Uid& Uid() const { return uid; }

private:
    static const cls_FieldHandle& implField() {
        static const cls_FieldHandle h(-1, "impl");
        return h;
    }
    cow_String text() const { return IsDefined() ? Path() : cow_String(); }

    ImplHolder impl;
    cls_Uid uid;
};
