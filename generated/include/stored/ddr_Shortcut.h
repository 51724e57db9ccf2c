// A path to a T: the value that owners hold. It shares its implementation with its copies;
// a handle without implementation is an undefined path, and one whose chain of parents breaks
// somewhere (an entry of an undefined list) is a broken path. Neither names anything: both
// answer IsDefined() false and empty texts, resolving them throws, and a broken path is never
// stored. Paths compare by their texts.
//
//   ddr_Shortcut<rgnC_SetData> path = ...;
//   const rgnC_SetData& set = path.ConstGet(thr_ThreadSingleton<ddr_Root>::Instance().Fetch());
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

    // An undefined path with a fresh identity. O(1); allocates the holder's counter only.
    ddr_Shortcut() : impl(static_cast<Impl*>(nullptr)), uid(cls_Uid::AllocateUid()) {}
    // A path through `implementation`, which the handle adopts.
    explicit ddr_Shortcut(Impl* implementation) : impl(implementation), uid(cls_Uid::AllocateUid()) {}
    // Shares the implementation (nothing is copied) and carries the identity.
    ddr_Shortcut(const ddr_Shortcut&) = default;
    ddr_Shortcut& operator=(const ddr_Shortcut&) = default;
    ~ddr_Shortcut() override = default;

    // Loads a stored handle: its implementation is whatever registered class was stored, and
    // an implementation stored once for several handles comes back shared. Reads the chain of
    // implementations from the file (one record per level); resolves nothing.
    explicit ddr_Shortcut(const cls_ReadVisitor& rv)
        : impl(rv.Memento().template ReadObject<Impl>(implField(), Impl::TypeId())),
          uid(rv.GetUid()) {}

    static void* Ctor(cls_ReadVisitor& rv) { return new ddr_Shortcut(rv); }

    static std::uint32_t TypeId() { return ddr_ShortcutTraits<T>::handleTypeId; }
    // Some handles answer with their implementation's id, the others with their own; an
    // undefined handle has no implementation to ask and answers with its own.
    std::uint32_t DynTypeId() const {
        if constexpr (ddr_ShortcutTraits<T>::handleAsksImplForDynTypeId)
            return impl.IsNull() ? TypeId() : impl->DynTypeId();
        else
            return TypeId();
    }

    static void InitializeMetadata(cls_ClassRegistrar& registrar) {
        registrar
            .CreateClassMD(cow_String(ddr_ShortcutTraits<T>::handleName), TypeId(), 203, &Ctor, 1)
            .AddAttribute(implField(), cls_AttrObject, Impl::TypeId(), cls_CollSingle);
    }

    // An undefined path stores as an empty "impl"; a broken one is refused before anything of
    // it is written (the write then commits nothing). Queues one record per level.
    void DBWrite(const cls_WriteVisitor& wv) const {
        if (!impl.IsNull() && !impl->IsComplete())
            ddr_ShortcutBaseImpl::Fail(ddr_ShortcutTraits<T>::handleName,
                                       "cannot store a broken path: " + impl->Missing(),
                                       kSourceFile, kBrokenStoreLine);
        if (!wv.StartWrite(TypeId(), uid))
            return;
        if (!impl.IsNull())
            impl->DBWrite(cls_WriteVisitor(wv, implField(), &impl, nullptr));
        else
            wv.Memento().WriteEmptyObject(implField());
    }

    // False for an undefined and for a broken path; walks the chain of parents, O(depth).
    bool IsDefined() const override { return !impl.IsNull() && impl->IsComplete(); }
    // The texts are empty when the path names nothing. Each allocates its text, O(depth).
    cow_String Name() const override { return IsDefined() ? impl->Name() : cow_String(); }
    cow_String Path() const override { return IsDefined() ? impl->Path() : cow_String(); }
    cow_String PythonPath() const override {
        return IsDefined() ? impl->PythonPath() : cow_String();
    }
    cow_String DdbName() const { return IsDefined() ? impl->DdbName() : cow_String(); }

    // The object the path names among the open databases of `container` (fetched from the
    // store when not yet loaded). Throws a nex_TextException naming this class and what is
    // missing when the path is undefined or broken. Resolves every level (O(depth) lookups);
    // each entry not yet loaded is fetched from the file (one query) once.
    const T& ConstGet(const ddr_DdbContainer& container) const {
        return resolvable().ConstGet(container);
    }
    // The same, writable; the shared implementation is not detached.
    T& Get(ddr_DdbContainer& container) const { return resolvable().Get(container); }

    // Equal when their texts are: two undefined paths are equal, and neither the identity nor
    // the implementation's class takes part. Allocates both texts, O(depth).
    bool operator==(const ddr_Shortcut& other) const { return text() == other.text(); }

    // The implementation, read-only (null for an undefined path).
    const Impl* ImplPtr() const { return impl.ConstPtr(); }
    // The implementation for writing: copies it first when other handles share it.
    Impl& WritableImpl() { return impl.Get(); }
    // The holder and the identity: no copy, O(1).
    const ImplHolder& ImplHandle() const { return impl; }
    const cls_Uid& Uid() const { return uid; }

private:
    static constexpr const char* kSourceFile = "generated/include/ddr_Shortcut";
    // The positions its failures are reported at.
    static constexpr int kBrokenStoreLine = 61;
    static constexpr int kUndefinedLine = 112;
    static constexpr int kBrokenLine = 116;

    static const cls_FieldHandle& implField() {
        static const cls_FieldHandle h(-1, "impl");
        return h;
    }
    const Impl& resolvable() const {
        if (impl.IsNull())
            ddr_ShortcutBaseImpl::Fail(
                ddr_ShortcutTraits<T>::handleName,
                "cannot resolve an undefined path (it has no implementation)", kSourceFile,
                kUndefinedLine);
        if (!impl->IsComplete())
            ddr_ShortcutBaseImpl::Fail(ddr_ShortcutTraits<T>::handleName,
                                       "cannot resolve a broken path: " + impl->Missing(),
                                       kSourceFile, kBrokenLine);
        return *impl;
    }
    cow_String text() const { return IsDefined() ? Path() : cow_String(); }

    ImplHolder impl;
    cls_Uid uid;
};
