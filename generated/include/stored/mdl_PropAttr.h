// A propagating attribute: a value of an owner together with its propagation state (set here,
// handed on, removed here, or absent). Owners hand values on with Propagate() and Modify(),
// and set a state checked against their situation with SetStatus().
//
//   mdl_PropAttr<cls_xoList<rgnC_Region>> regions;
//   regions.Get().Append(region);          // state Set
//   regions.Propagate();                   // state Propagated
//   downstream.Modify(regions);            // takes nothing: Propagated is not a modification
//
// V is a stored list of objects. Each instantiation names its stored class through
// mdl_PropAttrTraits<V> (type id, name).
#pragma once

#include "cls_ClassRegistrar.h"
#include "cls_Codes.h"
#include "cls_ReadVisitor.h"
#include "cls_Uid.h"
#include "cls_WriteVisitor.h"
#include "mdl_PropAttributeStateEnm.h"
#include "nex_Message.h"
#include "omu_PrimEnum.h"

#include <concepts>
#include <cstdint>

template <class V>
struct mdl_PropAttrTraits; // typeId, name

// The states' name table (used both to write and to read them) is defined where the template is
// instantiated, with the module's own enumerations.
template <>
const omu_PrimEnumBase::PrimEnumTableEl omu_PrimEnum<mdl_PropAttributeStateEnm, 1>::table[];
extern template class omu_PrimEnum<mdl_PropAttributeStateEnm, 1>;

template <class V>
concept mdl_PropagatableValue =
    std::default_initializable<V> && std::copyable<V> &&
    std::constructible_from<V, const cls_ReadVisitor&> &&
    requires(const V& v, const cls_WriteVisitor& wv) {
        v.DBWrite(wv);
        { v.IsEqual(v) } -> std::convertible_to<bool>;
    };

// Final: attributes are deleted through their own type only (the destructor is not virtual).
template <class V>
class mdl_PropAttr final {
    static_assert(mdl_PropagatableValue<V>,
                  "mdl_PropAttr<V> needs a default-constructible, copyable V with "
                  "DBWrite(const cls_WriteVisitor&), a reading constructor and IsEqual");

public:
    using State = mdl_PropAttributeStateEnm;
    using StatePrim = omu_PrimEnum<State, 1>;

    // An empty value (fresh uids for the value and the attribute), state Absent.
    mdl_PropAttr() : state(State::Absent), uid(cls_Uid::AllocateUid()) { Zero(); }
    // Shares v (its uid included); the state is Absent, unlike assigning a value.
    explicit mdl_PropAttr(const V& v) : value(v), state(State::Absent), uid(cls_Uid::AllocateUid()) {}
    mdl_PropAttr(const mdl_PropAttr&) = default;
    mdl_PropAttr& operator=(const mdl_PropAttr&) = default;
    // A state name the table does not know is refused (omu_ValueErrorException).
    explicit mdl_PropAttr(const cls_ReadVisitor& rv)
        : value(cls_ReadVisitor(rv, valField())),
          state(StatePrim(rv.Memento().ReadString(stateField(), cow_String("0"))).GetValue()),
          uid(rv.GetUid()) {}
    ~mdl_PropAttr() = default;

    static void* Ctor(cls_ReadVisitor& rv) { return new mdl_PropAttr(rv); }

    // An empty value with a fresh uid; the state is kept.
    void Zero() { value = V(); }

    // Shares v (its uid included); the state becomes Set.
    mdl_PropAttr& operator=(const V& v) {
        value = v;
        state = State::Set;
        return *this;
    }
    // The states without a value (Absent, Removed) empty the value.
    mdl_PropAttr& operator=(const State& s) {
        if (s == State::Absent || s == State::Removed)
            Zero();
        state = s;
        return *this;
    }

    // The value for writing: the state becomes Set whether or not the caller writes.
    V& Get() {
        state = State::Set;
        return value;
    }
    const V& ConstGet() const { return value; }
    State GetState() const { return state; }
    void ForceState(State s) { state = s; }

    // A value set or removed here.
    bool IsModified() const { return state == State::Set || state == State::Removed; }

    // Hands the state on: Set becomes Propagated, Removed becomes Absent.
    void Propagate() {
        if (state == State::Set)
            state = State::Propagated;
        else if (state == State::Removed)
            state = State::Absent;
    }

    // Takes other's value (shared) and state when other was modified; otherwise does nothing.
    void Modify(const mdl_PropAttr& other) {
        if (!other.IsModified())
            return;
        state = other.state;
        value = other.value;
    }

    // Sets `status` as an owner allows it: with `flag` the states Absent, Set and Propagated,
    // without it Set, Propagated and Removed. Any accepted status but Propagated leaves an
    // empty value; Propagated changes nothing. A refused status throws naming the attribute
    // and leaves it unchanged.
    void SetStatus(const char* name, const StatePrim& status, bool flag) {
        const State s = status.GetValue();
        if (flag) {
            switch (s) {
            case State::Absent: *this = State::Absent; break;
            case State::Set: *this = State::Set; Zero(); break;
            case State::Propagated: break;
            default:
                nex_Message::Raise(kSourceFile, kRefusedWithFlagLine, kRefusedStatus, name);
            }
        } else {
            switch (s) {
            case State::Removed: *this = State::Removed; break;
            case State::Set: Zero(); *this = State::Set; break;
            case State::Propagated: break;
            default:
                nex_Message::Raise(kSourceFile, kRefusedWithoutFlagLine, kRefusedStatus, name);
            }
        }
    }

    // Equal values and states; uids take no part.
    bool operator==(const mdl_PropAttr& other) const {
        return value.IsEqual(other.value) && state == other.state;
    }
    bool operator!=(const mdl_PropAttr& other) const { return !(*this == other); }
    // The value alone, whatever the state.
    bool operator==(const V& v) const { return value.IsEqual(v); }
    bool operator!=(const V& v) const { return !(*this == v); }
    bool operator==(State s) const { return state == s; }
    bool operator!=(State s) const { return state != s; }

    static std::uint32_t TypeId() { return mdl_PropAttrTraits<V>::typeId; }
    std::uint32_t DynTypeId() const { return TypeId(); }
    const cls_Uid& Uid() const { return uid; }
    virtual void DBWrite(const cls_WriteVisitor& wv) const {
        if (!wv.StartWrite(TypeId(), uid))
            return;
        value.DBWrite(cls_WriteVisitor(wv, valField(), nullptr, nullptr));
        const cow_String name = StatePrim(state).AsString(0);
        wv.Memento().WriteString(stateField(), &name);
    }

    // A fresh identity for the attribute; the value keeps its own.
    virtual void NewUid() { uid.NewUid(); }

    static void InitializeMetadata(cls_ClassRegistrar& registrar) {
        registrar
            .CreateClassMD(cow_String(mdl_PropAttrTraits<V>::name), TypeId(), 203, &Ctor, 1)
            .AddAttribute(valField(), cls_AttrObject, cls_ListTypeId, cls_CollObjectList)
            .AddAttribute(stateField(), cls_AttrEnum, 1, cls_CollSingle);
    }

private:
    // Where a refused status is reported, with and without the owner's flag.
    static constexpr const char* kSourceFile = "generated/include/mdl_PropagatingAttribute";
    static constexpr int kRefusedWithFlagLine = 158;
    static constexpr int kRefusedWithoutFlagLine = 170;
    static constexpr const char* kRefusedStatus = "Invalid propagation status for '%s' attribute.";

    // This layout numbers its fields.
    static const cls_FieldHandle& valField() {
        static const cls_FieldHandle h(0, "val");
        return h;
    }
    static const cls_FieldHandle& stateField() {
        static const cls_FieldHandle h(1, "state");
        return h;
    }

    V value;
    State state;
    cls_Uid uid;
};
