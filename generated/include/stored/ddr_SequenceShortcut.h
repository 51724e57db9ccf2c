// A path to the entry with a given key in a map of T (the map itself named by a parent path):
// its text is the parent's followed by [key]. With an undefined or broken parent it names
// nothing: it is refused when read from a file, when stored and when resolved.
#pragma once

#include "ddr_ShortcutDefs.h"

#include <string>

template <class M, class T, int N>
class ddr_SequenceShortcut : public ddr_ShortcutImpl<T> {
    using Traits = ddr_SequenceShortcutTraits<M, T>;

public:
    // Shares the parent path (O(1), no copy); allocates the identity only.
    ddr_SequenceShortcut(int index, const ddr_Shortcut<M>& parent)
        : index(index), parent(parent), uid(cls_Uid::AllocateUid()) {}
    // Shares the parent and carries the identity, O(1).
    ddr_SequenceShortcut(const ddr_SequenceShortcut&) = default;
    // Reads the key and the parent's chain from the file (one record per level); a parent that
    // names nothing is refused as damage.
    explicit ddr_SequenceShortcut(const cls_ReadVisitor& rv)
        : ddr_ShortcutImpl<T>(rv), index(rv.Memento().ReadInt(indexField(), 0)),
          parent(cls_ReadVisitor(rv, parentField())), uid(rv.GetUid()) {
        if (!parent.IsDefined())
            ddr_ShortcutBaseImpl::FailRead(rv, Traits::name, Missing(), kSourceFile,
                                           kBrokenStoredLine);
    }

    // The registered class id, O(1).
    static std::uint32_t TypeId() { return Traits::typeId; }
    // Allocates the path and reads it as above, as the implementation class handles hold.
    static void* Ctor(cls_ReadVisitor& rv) {
        return static_cast<ddr_ShortcutImpl<T>*>(new ddr_SequenceShortcut(rv));
    }
    // The stored layout (key and parent); allocates its metadata once.
    static void InitializeMetadata(cls_ClassRegistrar& registrar) {
        registrar
            .CreateClassMD(cow_String(Traits::name), TypeId(), 203, &Ctor,
                           ddr_ShortcutImpl<T>::TypeId())
            .AddAttribute(indexField(), cls_AttrInt, 1, cls_CollSingle)
            .AddAttribute(parentField(), cls_AttrObject, ddr_Shortcut<M>::TypeId(), cls_CollSingle)
            .AddDtor(ddr_ShortcutImpl<T>::CowDtor);
    }

    // The texts allocate, O(depth); the copy shares the parent, O(1).
    cow_String Name() const override { return cow_String(std::to_string(index)); }
    cow_String Path() const override { return parent.Path() + ("[" + std::to_string(index) + "]"); }
    cow_String DdbName() const override { return parent.DdbName(); }
    ddr_SequenceShortcut* Copy() const override { return new ddr_SequenceShortcut(*this); }

    // Walks the parent chain, O(depth); Missing allocates its text.
    bool IsComplete() const override { return parent.IsDefined(); }
    std::string Missing() const override {
        if (!parent.ImplPtr())
            return std::string("the parent path (") + ddr_ShortcutTraits<M>::handleName + ") of " +
                   Traits::name + " [" + std::to_string(index) + "] is undefined";
        return parent.ImplPtr()->Missing();
    }

    // The parent's map, then its entry (fetched from the store when not loaded). Neither step
    // tests the key or detaches the parent's shared implementation; a parent that names
    // nothing is refused with what is missing.
    const T& ConstGet(const ddr_DdbContainer& container) const override {
        requireParent();
        return parent.ImplPtr()->ConstGet(container).ConstGet(index);
    }
    T& Get(ddr_DdbContainer& container) const override {
        requireParent();
        return parent.ImplPtr()->Get(container).Get(index);
    }

    // Queues this record and the parent's chain (one record per level, once per write).
    void DBWrite(const cls_WriteVisitor& wv) const override {
        if (!wv.StartWrite(TypeId(), uid))
            return;
        wv.Memento().WriteInt(indexField(), &index);
        parent.DBWrite(cls_WriteVisitor(wv, parentField(), nullptr, nullptr));
    }
    std::uint32_t DynTypeId() const override { return TypeId(); }

    // The fields: no copy, O(1).
    int Index() const { return index; }
    const ddr_Shortcut<M>& Parent() const { return parent; }
    const cls_Uid& Uid() const { return uid; }

private:
    static constexpr const char* kSourceFile = "generated/include/ddr_SequenceShortcut";
    // The positions its failures are reported at.
    static constexpr int kBrokenStoredLine = 22;
    static constexpr int kUnresolvedLine = 84;

    void requireParent() const {
        if (!parent.IsDefined())
            ddr_ShortcutBaseImpl::Fail(Traits::name, "cannot be resolved: " + Missing(),
                                       kSourceFile, kUnresolvedLine);
    }
    static const cls_FieldHandle& indexField() {
        static const cls_FieldHandle h(-1, "index");
        return h;
    }
    static const cls_FieldHandle& parentField() {
        static const cls_FieldHandle h(-1, "parent");
        return h;
    }

    int index;
    ddr_Shortcut<M> parent;
    cls_Uid uid;
};
