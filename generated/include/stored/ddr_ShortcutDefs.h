// The member definitions of ddr_Shortcut: reading, writing and resolving through the
// implementation. Included by the .cpp file that instantiates the paths of a module
// (`template class ddr_Shortcut<rgnC_SetData>;`), by the path templates that hold a parent
// path, and by code that makes a path to a type nobody instantiates for it.
#pragma once

#include "cls_ClassRegistrar.h"
#include "cls_Codes.h"
#include "cls_FieldHandle.h"
#include "cls_ReadVisitor.h"
#include "cls_WriteVisitor.h"
#include "ddr_Shortcut.h"
#include "ddr_ShortcutImpl.h"

#include <type_traits>

template <class T>
ddr_Shortcut<T>& ddr_Shortcut<T>::operator=(const ddr_Shortcut&) = default;

template <class T>
ddr_Shortcut<T>::~ddr_Shortcut() {
    static_assert(std::is_same_v<ImplHolder, typename Impl::Holder>,
                  "ddr_Shortcut names its holder as ddr_ShortcutImpl does");
}

template <class T>
ddr_Shortcut<T>::ddr_Shortcut(const cls_ReadVisitor& rv)
    : impl(rv.Memento().template ReadObject<Impl>(implField(), Impl::TypeId())), uid(rv.GetUid()) {}

template <class T>
void* ddr_Shortcut<T>::Ctor(cls_ReadVisitor& rv) {
    return new ddr_Shortcut(rv);
}

template <class T>
std::uint32_t ddr_Shortcut<T>::DynTypeId() const {
    if constexpr (ddr_ShortcutTraits<T>::handleAsksImplForDynTypeId)
        return impl.IsNull() ? TypeId() : impl->DynTypeId();
    else
        return TypeId();
}

template <class T>
void ddr_Shortcut<T>::InitializeMetadata(cls_ClassRegistrar& registrar) {
    registrar.CreateClassMD(cow_String(ddr_ShortcutTraits<T>::handleName), TypeId(), 203, &Ctor, 1)
        .AddAttribute(implField(), cls_AttrObject, Impl::TypeId(), cls_CollSingle);
}

template <class T>
void ddr_Shortcut<T>::DBWrite(const cls_WriteVisitor& wv) const {
    if (!impl.IsNull() && !impl->IsComplete())
        ddr_ShortcutBaseImpl::Fail(ddr_ShortcutTraits<T>::handleName,
                                   "cannot store a broken path: " + impl->Missing(), kSourceFile,
                                   kBrokenStoreLine);
    if (!wv.StartWrite(TypeId(), uid))
        return;
    if (!impl.IsNull())
        impl->DBWrite(cls_WriteVisitor(wv, implField(), &impl, nullptr));
    else
        wv.Memento().WriteEmptyObject(implField());
}

template <class T>
bool ddr_Shortcut<T>::IsDefined() const {
    return !impl.IsNull() && impl->IsComplete();
}

template <class T>
cow_String ddr_Shortcut<T>::Name() const {
    return IsDefined() ? impl->Name() : cow_String();
}

template <class T>
cow_String ddr_Shortcut<T>::Path() const {
    return IsDefined() ? impl->Path() : cow_String();
}

template <class T>
cow_String ddr_Shortcut<T>::PythonPath() const {
    return IsDefined() ? impl->PythonPath() : cow_String();
}

template <class T>
cow_String ddr_Shortcut<T>::DdbName() const {
    return IsDefined() ? impl->DdbName() : cow_String();
}

template <class T>
const T& ddr_Shortcut<T>::ConstGet(const ddr_DdbContainer& container) const {
    return resolvable().ConstGet(container);
}

template <class T>
T& ddr_Shortcut<T>::Get(ddr_DdbContainer& container) const {
    return resolvable().Get(container);
}

template <class T>
bool ddr_Shortcut<T>::operator==(const ddr_Shortcut& other) const {
    return text() == other.text();
}

template <class T>
typename ddr_Shortcut<T>::Impl& ddr_Shortcut<T>::WritableImpl() {
    return impl.Get();
}

template <class T>
const cls_FieldHandle& ddr_Shortcut<T>::implField() {
    static const cls_FieldHandle h(-1, "impl");
    return h;
}

template <class T>
const typename ddr_Shortcut<T>::Impl& ddr_Shortcut<T>::resolvable() const {
    if (impl.IsNull())
        ddr_ShortcutBaseImpl::Fail(ddr_ShortcutTraits<T>::handleName,
                                   "cannot resolve an undefined path (it has no implementation)",
                                   kSourceFile, kUndefinedLine);
    if (!impl->IsComplete())
        ddr_ShortcutBaseImpl::Fail(ddr_ShortcutTraits<T>::handleName,
                                   "cannot resolve a broken path: " + impl->Missing(), kSourceFile,
                                   kBrokenLine);
    return *impl;
}

template <class T>
cow_String ddr_Shortcut<T>::text() const {
    return IsDefined() ? Path() : cow_String();
}
