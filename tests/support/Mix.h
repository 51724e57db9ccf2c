// Folds values and texts into a 64-bit digest (FNV-style), so that two reads of a file can be
// compared as one number.
#pragma once

#include <cstdint>
#include <string_view>
#include <type_traits>

constexpr std::uint64_t kDigestSeed = 0xCBF29CE484222325ULL;

inline std::uint64_t Mix(std::uint64_t h, std::uint64_t v) {
    return (h ^ v) * 0x100000001B3ULL;
}

inline std::uint64_t Mix(std::uint64_t h, std::string_view text) {
    for (unsigned char c : text)
        h = Mix(h, c);
    return Mix(h, text.size());
}

// An enumerated value folds as its number.
template <class E>
requires std::is_enum_v<E> std::uint64_t Mix(std::uint64_t h, E value) {
    return Mix(h, static_cast<std::uint64_t>(value));
}

// Folds several values and texts, in order.
template <class... Values>
requires(sizeof...(Values) > 1) std::uint64_t Mix(std::uint64_t h, const Values&... values) {
    ((h = Mix(h, values)), ...);
    return h;
}
