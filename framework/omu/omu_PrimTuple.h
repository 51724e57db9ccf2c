// A tuple of primitives as the scripting layer exchanges them: strings, ints and nested
// primitives in order, built by appending and read back in order through a cursor.
//
//   omu_PrimTuple t(3, '(');
//   t.Append(cow_String("TOP")).Append(0).Append(4);
//   t.StartReading();
//   cow_String name = t.ReadString();   // "TOP"
//   int space = t.ReadInt(), bits = t.ReadInt();
//   t.ReadDone("");                     // throws if an element was left unread
#pragma once

#include "omu_Primitive.h"

#include <memory>
#include <vector>

class omu_PrimTuple : public omu_Primitive {
public:
    static constexpr std::uint32_t kTypeId = 0x00240003;

    enum class ElementKind { String, Int, Primitive };

    // Room for `size` elements (appending more still works); `kind` is the opening bracket
    // of the text form, '(' for a tuple, '[' for a list.
    omu_PrimTuple(int size, char kind);
    // Copies every element, nested primitives included; the copy's cursor is at the start.
    omu_PrimTuple(const omu_PrimTuple& other);
    omu_PrimTuple& operator=(const omu_PrimTuple&) = delete;
    ~omu_PrimTuple() override;

    omu_PrimTuple& Append(const cow_String& text);
    omu_PrimTuple& Append(int number);
    // Adopts `element`, which must not be null.
    omu_PrimTuple& Append(std::unique_ptr<omu_Primitive> element);

    int Size() const { return static_cast<int>(elements_.size()); }
    char Kind() const { return kind_; }
    ElementKind KindAt(int i) const { return elements_.at(i).kind; }
    // Element i of the kind asked for; another kind, or an index outside the tuple, throws
    // omu_ValueErrorException.
    const cow_String& StringAt(int i) const;
    int IntAt(int i) const;
    const omu_Primitive& PrimitiveAt(int i) const;

    // Sequential reading: StartReading puts the cursor on the first element; each read takes
    // the element under it and moves on. ReadDone completes a reading and throws if elements
    // remain; `context` (may be empty) is added to its message.
    void StartReading() { cursor_ = 0; }
    cow_String ReadString();
    int ReadInt();
    void ReadDone(const cow_String& context) const;

    cow_String TypeString() const override { return cow_String("Tuple"); }
    // The scripting text: ('TOP', 0, 4); a one-element tuple keeps its comma: ('TOP',).
    cow_String AsString(int flags) const override;
    cow_String AsRepr() const override { return AsString(0); }
    // Same kind and equal elements in order.
    bool operator==(const omu_Primitive& other) const override;
    void Accept(omu_PrimVisitor* visitor) const override;
    omu_Primitive* Copy() const override { return new omu_PrimTuple(*this); }
    std::uint32_t DynTypeId() const override { return TypeId(); }
    static std::uint32_t TypeId() { return kTypeId; }

private:
    struct Element {
        ElementKind kind;
        int number = 0;
        cow_String text;
        std::unique_ptr<omu_Primitive> primitive;
    };

    const Element& element(int i, ElementKind kind) const;

    char kind_;
    std::vector<Element> elements_;
    int cursor_ = 0;
};
