// Base of the framework's message texts: a shared string that callers read as C text.
#pragma once

#include "cow_String.h"

class atr_StringBase {
public:
    atr_StringBase() = default;
    explicit atr_StringBase(cow_String text) : text_(std::move(text)) {}
    virtual ~atr_StringBase() = default;

    atr_StringBase& operator=(const char* text) {
        text_ = cow_String(text);
        return *this;
    }

    const char* c_str() const { return text_.c_str(); }
    const cow_String& String() const { return text_; }

protected:
    cow_String text_;
};
