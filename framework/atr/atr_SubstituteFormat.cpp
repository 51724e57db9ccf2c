#include "atr_SubstituteFormat.h"

#include <cctype>

atr_SubstituteFormat& atr_SubstituteFormat::Substitute(int place, const char* text) {
    values_[place] = text ? text : "";
    return *this;
}

atr_SubstituteFormat& atr_SubstituteFormat::Substitute(int place, int value) {
    values_[place] = std::to_string(value);
    return *this;
}

cow_String atr_SubstituteFormat::Result() const {
    const std::string_view f = format_.view();
    std::string out;
    out.reserve(f.size() + 32);
    int nextSequential = 1;
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (f[i] != '%' || i + 1 == f.size()) {
            out.push_back(f[i]);
            continue;
        }
        if (f[i + 1] == '%') {
            out.push_back('%');
            ++i;
            continue;
        }
        // `%N$s` / `%N$d`
        std::size_t j = i + 1;
        int place = 0;
        while (j < f.size() && std::isdigit(static_cast<unsigned char>(f[j])) && place < 1000)
            place = place * 10 + (f[j++] - '0');
        std::size_t end = 0;
        if (j > i + 1 && j + 1 < f.size() && f[j] == '$' && (f[j + 1] == 's' || f[j + 1] == 'd')) {
            end = j + 2;
        } else if (f[i + 1] == 's' || f[i + 1] == 'd') {
            place = nextSequential++;
            end = i + 2;
        } else {
            out.push_back(f[i]);
            continue;
        }
        auto it = values_.find(place);
        if (it != values_.end())
            out.append(it->second);
        else
            out.append(f.substr(i, end - i));
        i = end - 1;
    }
    return cow_String(out);
}
