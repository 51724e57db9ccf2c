#include "omu_PrimTuple.h"

#include "atr_SubstituteFormat.h"
#include "atr_translate.h"
#include "nex_Message.h"
#include "omu_PrimVisitor.h"
#include "omu_ValueErrorException.h"

#include <cassert>
#include <string>

namespace {

constexpr const char* kSourceFile = "omu_PrimTuple";
// The positions the refusals (no such element, another kind, elements left unread) are
// reported at.
constexpr int kNoElementLine = 74;
constexpr int kOtherKindLine = 83;
constexpr int kUnreadLine = 117;

const char* kindName(omu_PrimTuple::ElementKind kind) {
    switch (kind) {
    case omu_PrimTuple::ElementKind::String: return "string";
    case omu_PrimTuple::ElementKind::Int: return "int";
    default: return "primitive";
    }
}

char closingBracket(char opening) {
    switch (opening) {
    case '(': return ')';
    case '[': return ']';
    case '{': return '}';
    default: return opening;
    }
}

} // namespace

omu_PrimTuple::omu_PrimTuple(int size, char kind) : kind_(kind) {
    if (size > 0)
        elements_.reserve(static_cast<std::size_t>(size));
}

omu_PrimTuple::omu_PrimTuple(const omu_PrimTuple& other) : omu_Primitive(other), kind_(other.kind_) {
    elements_.reserve(other.elements_.size());
    for (const Element& e : other.elements_) {
        Element copy{e.kind, e.number, e.text, nullptr};
        if (e.primitive)
            copy.primitive.reset(e.primitive->Copy());
        elements_.push_back(std::move(copy));
    }
}

omu_PrimTuple::~omu_PrimTuple() = default;

omu_PrimTuple& omu_PrimTuple::Append(const cow_String& text) {
    elements_.push_back(Element{ElementKind::String, 0, text, nullptr});
    return *this;
}

omu_PrimTuple& omu_PrimTuple::Append(int number) {
    elements_.push_back(Element{ElementKind::Int, number, cow_String(), nullptr});
    return *this;
}

omu_PrimTuple& omu_PrimTuple::Append(std::unique_ptr<omu_Primitive> element) {
    assert(element && "a tuple holds no null element");
    elements_.push_back(Element{ElementKind::Primitive, 0, cow_String(), std::move(element)});
    return *this;
}

const omu_PrimTuple::Element& omu_PrimTuple::element(int i, ElementKind kind) const {
    if (i < 0 || i >= Size())
        nex_Message::Raise<omu_ValueErrorException>(
            kSourceFile, kNoElementLine, "Tuple element %1$s asked for; the tuple has %2$s", i,
            Size());
    const Element& e = elements_[static_cast<std::size_t>(i)];
    if (e.kind != kind)
        nex_Message::Raise<omu_ValueErrorException>(kSourceFile, kOtherKindLine,
                                                    "Tuple element %1$s is a %2$s, not a %3$s", i,
                                                    kindName(e.kind), kindName(kind));
    return e;
}

const cow_String& omu_PrimTuple::StringAt(int i) const { return element(i, ElementKind::String).text; }
int omu_PrimTuple::IntAt(int i) const { return element(i, ElementKind::Int).number; }
const omu_Primitive& omu_PrimTuple::PrimitiveAt(int i) const {
    return *element(i, ElementKind::Primitive).primitive;
}

// The cursor moves only after a successful read, so a refused read can be retried as another
// kind.
cow_String omu_PrimTuple::ReadString() {
    const cow_String& text = StringAt(cursor_);
    ++cursor_;
    return text;
}

int omu_PrimTuple::ReadInt() {
    const int number = IntAt(cursor_);
    ++cursor_;
    return number;
}

void omu_PrimTuple::ReadDone(const cow_String& context) const {
    if (cursor_ >= Size())
        return;
    constexpr const char* unread = "Tuple has %1$s elements; only %2$s were read";
    if (context.empty())
        nex_Message::Raise<omu_ValueErrorException>(kSourceFile, kUnreadLine, unread, Size(),
                                                    cursor_);
    // The caller's context follows the translated message as it is.
    nex_Message::Raise<omu_ValueErrorException>(kSourceFile, kUnreadLine, "%1$s (%2$s)",
                                                nex_Message::Format(unread, {Size(), cursor_}),
                                                context);
}

cow_String omu_PrimTuple::AsString(int flags) const {
    std::string text(1, kind_);
    for (std::size_t i = 0; i < elements_.size(); ++i) {
        if (i > 0)
            text += ", ";
        const Element& e = elements_[i];
        switch (e.kind) {
        case ElementKind::String:
            text += '\'';
            text += e.text.view();
            text += '\'';
            break;
        case ElementKind::Int: text += std::to_string(e.number); break;
        case ElementKind::Primitive: text += e.primitive->AsRepr().view(); break;
        }
    }
    if (kind_ == '(' && elements_.size() == 1)
        text += ',';
    text += closingBracket(kind_);
    return cow_String(text);
}

bool omu_PrimTuple::operator==(const omu_Primitive& other) const {
    const auto* t = dynamic_cast<const omu_PrimTuple*>(&other);
    if (!t || t->kind_ != kind_ || t->elements_.size() != elements_.size())
        return false;
    for (std::size_t i = 0; i < elements_.size(); ++i) {
        const Element& a = elements_[i];
        const Element& b = t->elements_[i];
        if (a.kind != b.kind)
            return false;
        if ((a.kind == ElementKind::String && a.text != b.text) ||
            (a.kind == ElementKind::Int && a.number != b.number) ||
            (a.kind == ElementKind::Primitive && *a.primitive != *b.primitive))
            return false;
    }
    return true;
}

void omu_PrimTuple::Accept(omu_PrimVisitor* visitor) const {
    if (visitor)
        visitor->VisitPrimitive(*this);
}
