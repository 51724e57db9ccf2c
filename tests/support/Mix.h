// Folds values and texts into a 64-bit digest (FNV-style), so that two reads of a file can be
// compared as one number.
#pragma once

#include <cstdint>
#include <string_view>

constexpr std::uint64_t kDigestSeed = 0xCBF29CE484222325ULL;

inline std::uint64_t Mix(std::uint64_t h, std::uint64_t v) {
    return (h ^ v) * 0x100000001B3ULL;
}

inline std::uint64_t Mix(std::uint64_t h, std::string_view text) {
    for (unsigned char c : text)
        h = Mix(h, c);
    return Mix(h, text.size());
}
