// A small stored class for the persistence tests: every kind of attribute the framework stores
// (int, bool, text, enumerated value, int list, string list).
// Every probe alive counts in LiveCounted::live, so NoLeaks sees probes left behind.
#pragma once

#include "LiveCounted.h"
#include "cls_ClassRegistrar.h"
#include "cls_ReadVisitor.h"
#include "cls_TypeAdapter.h"
#include "cls_WriteVisitor.h"
#include "cls_xp1DArrayListInt.h"
#include "cls_xpListString.h"
#include "res_SetTypeEnm.h"

#include <cstdint>

class Probe {
public:
    static std::uint32_t TypeId() { return 0x7F000001; }

    explicit Probe(int number = 0, const char* label = "",
                   res_SetTypeEnm kind = res_SetTypeEnm::NODE_SET)
        : number(number), label(label), kind(kind), uid(cls_Uid::AllocateUid()) {}
    explicit Probe(const cls_ReadVisitor& rv)
        : number(rv.Memento().ReadInt(field("number"), -1)),
          label(rv.Memento().ReadString(field("label"), cow_String("0"))),
          flag(rv.Memento().ReadBool(field("flag"), false)),
          kind(cls_ReadVisitor(rv, field("kind"))), ids(cls_ReadVisitor(rv, field("ids"))),
          names(cls_ReadVisitor(rv, field("names"))), uid(rv.GetUid()) {}
    Probe(const Probe&) = default;
    Probe& operator=(const Probe&) = default;
    virtual ~Probe() = default;

    virtual Probe* Copy() const { return new Probe(*this); }

    virtual void DBWrite(const cls_WriteVisitor& wv) const {
        if (!wv.StartWrite(TypeId(), uid))
            return;
        wv.Memento().WriteInt(field("number"), &number);
        wv.Memento().WriteString(field("label"), &label);
        wv.Memento().WriteBool(field("flag"), &flag);
        kind.DBWrite(cls_WriteVisitor(wv, field("kind"), nullptr, nullptr));
        ids.DBWrite(cls_WriteVisitor(wv, field("ids"), nullptr, nullptr));
        names.DBWrite(cls_WriteVisitor(wv, field("names"), nullptr, nullptr));
    }

    static void Register() {
        cls_ClassRegistrar::Current()
            .AddClassMD(new cls_TypeAdapter<Probe>(cow_String("Probe"), 1, 1))
            .AddAttribute(field("number"), cls_AttrInt, 1, cls_CollSingle)
            .AddAttribute(field("label"), cls_AttrString, 1, cls_CollSingle)
            .AddAttribute(field("flag"), cls_AttrBool, 1, cls_CollSingle)
            .AddAttribute(field("kind"), cls_AttrObject, 0x00240002, cls_CollSingle)
            .AddAttribute(field("ids"), cls_AttrObject, cls_ListTypeId, cls_CollIntList)
            .AddAttribute(field("names"), cls_AttrObject, cls_ListTypeId, cls_CollStringList);
    }

    bool operator==(const Probe& o) const {
        return number == o.number && label == o.label && flag == o.flag &&
               kind.GetValue() == o.kind.GetValue() && ids.IsEqual(o.ids) &&
               names.IsEqual(o.names) && uid == o.uid;
    }

    int number;
    cow_String label;
    bool flag = false;
    omu_PrimEnum<res_SetTypeEnm, 1> kind;
    cls_xp1DArrayListInt ids;
    cls_xpListString names;
    cls_Uid uid;

private:
    LiveCounted counted_; // counts this probe, from any constructor, in LiveCounted::live

    static cls_FieldHandle field(const char* name) { return cls_FieldHandle(-1, name); }
};
