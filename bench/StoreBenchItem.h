// A small stored object for the storage benchmarks: four plain attributes (int, text, bool,
// int), one row of its own class table when stored.
//
//   StoreBenchItem::Register();   // once, before the first store or load
//   map.Insert(7, StoreBenchItem(7, "item 7", true, 3));
#pragma once

#include "cls_ClassRegistrar.h"
#include "cls_ReadVisitor.h"
#include "cls_TypeAdapter.h"
#include "cls_WriteVisitor.h"

#include <cstdint>

class StoreBenchItem {
public:
    static std::uint32_t TypeId() { return 0x7F000101; }

    StoreBenchItem(int number, const cow_String& label, bool flag, int group)
        : number(number), label(label), flag(flag), group(group), uid(cls_Uid::AllocateUid()) {}
    explicit StoreBenchItem(const cls_ReadVisitor& rv)
        : number(rv.Memento().ReadInt(field("number"), -1)),
          label(rv.Memento().ReadString(field("label"), cow_String())),
          flag(rv.Memento().ReadBool(field("flag"), false)),
          group(rv.Memento().ReadInt(field("group"), -1)), uid(rv.GetUid()) {}
    StoreBenchItem(const StoreBenchItem&) = default;
    StoreBenchItem& operator=(const StoreBenchItem&) = default;
    virtual ~StoreBenchItem() = default;

    // A copy is the same stored object: it keeps the uid.
    virtual StoreBenchItem* Copy() const { return new StoreBenchItem(*this); }

    virtual void DBWrite(const cls_WriteVisitor& wv) const {
        if (!wv.StartWrite(TypeId(), uid))
            return;
        wv.Memento().WriteInt(field("number"), &number);
        wv.Memento().WriteString(field("label"), &label);
        wv.Memento().WriteBool(field("flag"), &flag);
        wv.Memento().WriteInt(field("group"), &group);
    }

    // Registers the class's metadata; later calls do nothing.
    static void Register() {
        static const bool registered = [] {
            cls_ClassRegistrar::Current()
                .AddClassMD(new cls_TypeAdapter<StoreBenchItem>(cow_String("StoreBenchItem"), 1, 1))
                .AddAttribute(field("number"), cls_AttrInt, 1, cls_CollSingle)
                .AddAttribute(field("label"), cls_AttrString, 1, cls_CollSingle)
                .AddAttribute(field("flag"), cls_AttrBool, 1, cls_CollSingle)
                .AddAttribute(field("group"), cls_AttrInt, 1, cls_CollSingle);
            return true;
        }();
        (void)registered;
    }

    int number;
    cow_String label;
    bool flag;
    int group;
    cls_Uid uid;

private:
    static cls_FieldHandle field(const char* name) { return cls_FieldHandle(-1, name); }
};
