// A message text taken as it is, without translation.
#pragma once

#include "atr_StringBase.h"

class atr_String : public atr_StringBase {
public:
    atr_String() = default;
    explicit atr_String(const char* text) : atr_StringBase(cow_String(text)) {}
    explicit atr_String(cow_String text) : atr_StringBase(std::move(text)) {}
    using atr_StringBase::operator=;
};
