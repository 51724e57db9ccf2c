// Fills the numbered places of a message format.
//
// A place is written `%N$s` or `%N$d` (place N), or as a printf-style `%s` / `%d`, which
// takes the next number counting from 1. `%%` is a literal percent sign. Places that are
// never filled stay in the result as they were written.
//
//   atr_SubstituteFormat(atr_translate("value not allowed: %d  Permissible: %s"))
//       .Substitute(1, 7).Substitute(2, names).Result();
#pragma once

#include "atr_StringBase.h"

#include <map>
#include <string>

class atr_SubstituteFormat {
public:
    explicit atr_SubstituteFormat(const atr_StringBase& format) : format_(format.String()) {}

    atr_SubstituteFormat& Substitute(int place, const char* text);
    atr_SubstituteFormat& Substitute(int place, const cow_String& text) {
        return Substitute(place, text.c_str());
    }
    // Integers go in as their decimal text.
    atr_SubstituteFormat& Substitute(int place, int value);

    cow_String Result() const;

private:
    cow_String format_;
    std::map<int, std::string> values_;
};
