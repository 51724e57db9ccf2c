// A path from an object O (named by a parent path) to one of its members M. The member is
// fixed by the class (ddr_MemberShortcutTraits), not stored; its text is the parent's followed
// by "." and the member's name. With an undefined or broken parent it names nothing: it is
// refused when read from a file, when stored and when resolved.
#pragma once

#include "ddr_ShortcutDefs.h"

template <class O, class M, int N>
class ddr_MemberShortcut : public ddr_ShortcutImpl<M> {
    using Traits = ddr_MemberShortcutTraits<O, M>;

public:
    // Shares the parent path (O(1), no copy); allocates the identity only.
    explicit ddr_MemberShortcut(const ddr_Shortcut<O>& parent)
        : parent(parent), uid(cls_Uid::AllocateUid()) {}
    // Shares the parent and carries the identity, O(1).
    ddr_MemberShortcut(const ddr_MemberShortcut&) = default;
    // Reads the parent's chain from the file (one record per level); a parent that names
    // nothing is refused as damage.
    explicit ddr_MemberShortcut(const cls_ReadVisitor& rv)
        : ddr_ShortcutImpl<M>(rv), parent(cls_ReadVisitor(rv, parentField())), uid(rv.GetUid()) {
        if (!parent.IsDefined())
            ddr_ShortcutBaseImpl::FailRead(rv, Traits::name, Missing(), kSourceFile,
                                           kBrokenStoredLine);
    }

    // The registered class id, O(1); the reading constructor allocates the path.
    static std::uint32_t TypeId() { return Traits::typeId; }
    static void* Ctor(cls_ReadVisitor& rv) {
        return static_cast<ddr_ShortcutImpl<M>*>(new ddr_MemberShortcut(rv));
    }
    // The stored layout (the parent); allocates its metadata once.
    static void InitializeMetadata(cls_ClassRegistrar& registrar) {
        registrar
            .CreateClassMD(cow_String(Traits::name), TypeId(), 203, &Ctor,
                           ddr_ShortcutImpl<M>::TypeId())
            .AddAttribute(parentField(), cls_AttrObject, ddr_Shortcut<O>::TypeId(), cls_CollSingle)
            .AddDtor(ddr_ShortcutImpl<M>::CowDtor);
    }

    // The texts allocate, O(depth); the copy shares the parent, O(1).
    cow_String Name() const override { return cow_String(Traits::memberName); }
    cow_String Path() const override { return parent.Path() + ("." + Name().str()); }
    cow_String DdbName() const override { return parent.DdbName(); }
    ddr_MemberShortcut* Copy() const override { return new ddr_MemberShortcut(*this); }

    // Walks the parent chain, O(depth); Missing allocates its text.
    bool IsComplete() const override { return parent.IsDefined(); }
    std::string Missing() const override {
        if (!parent.ImplPtr())
            return std::string("the parent path (") + ddr_ShortcutTraits<O>::handleName + ") of " +
                   Traits::name + " (." + Traits::memberName + ") is undefined";
        return parent.ImplPtr()->Missing();
    }

    // The very member of the object the parent yields: nothing is copied. A parent that names
    // nothing is refused with what is missing.
    const M& ConstGet(const ddr_DdbContainer& container) const override {
        requireParent();
        return Traits::Member(parent.ImplPtr()->ConstGet(container));
    }
    M& Get(ddr_DdbContainer& container) const override {
        requireParent();
        return Traits::Member(parent.ImplPtr()->Get(container));
    }

    // Queues this record and the parent's chain (one record per level, once per write).
    void DBWrite(const cls_WriteVisitor& wv) const override {
        if (!wv.StartWrite(TypeId(), uid))
            return;
        parent.DBWrite(cls_WriteVisitor(wv, parentField(), nullptr, nullptr));
    }
    std::uint32_t DynTypeId() const override { return TypeId(); }

    // The fields: no copy, O(1).
    const ddr_Shortcut<O>& Parent() const { return parent; }
    const cls_Uid& Uid() const { return uid; }

private:
    static constexpr const char* kSourceFile = "generated/include/ddr_MemberShortcut";
    // The positions its failures are reported at.
    static constexpr int kBrokenStoredLine = 20;
    static constexpr int kUnresolvedLine = 75;

    void requireParent() const {
        if (!parent.IsDefined())
            ddr_ShortcutBaseImpl::Fail(Traits::name, "cannot be resolved: " + Missing(),
                                       kSourceFile, kUnresolvedLine);
    }
    static const cls_FieldHandle& parentField() {
        static const cls_FieldHandle h(-1, "parent");
        return h;
    }

    ddr_Shortcut<O> parent;
    cls_Uid uid;
};
