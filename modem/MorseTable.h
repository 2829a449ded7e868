#pragma once
// Morse patterns of the station identification, indexed by character code. Each pattern is read
// from the least significant bit: 0 = dot, 1 = dash, and a final 1 bit that only marks the end,
// so an entry of 1 has no elements and keys a gap. Codes 128..175 and 224..239 are the Cyrillic
// letters of code page 866 in Russian Morse, small letters equal to their capitals.

#include <array>
#include <cstdint>

namespace tarnvel::modem {

using MorseTableType = std::array<uint8_t, 256>;

namespace detail {

constexpr MorseTableType buildMorseTable() {
    MorseTableType t{};
    for (auto& e : t) e = 1;
    constexpr uint8_t kLetters[26] = {6, 17, 21, 9,  2,  20, 11, 16, 4,  30, 13, 18, 7,
                                      5, 15, 22, 27, 10, 8,  3,  12, 24, 14, 25, 29, 19};
    for (int i = 0; i < 26; ++i) {
        t[static_cast<std::size_t>('A' + i)] = kLetters[i];
        t[static_cast<std::size_t>('a' + i)] = kLetters[i];
    }
    constexpr uint8_t kDigits[10] = {63, 62, 60, 56, 48, 32, 33, 35, 39, 47};
    for (int i = 0; i < 10; ++i) t[static_cast<std::size_t>('0' + i)] = kDigits[i];
    t[','] = 115;  // --..--
    t['/'] = 41;   // -..-.
    t['\\'] = 41;
    t['|'] = 41;
    t['='] = 49;  // -...-
    t['?'] = 76;  // ..--..
    t[2] = 255;   // seven dashes
    // Cyrillic capitals A..YA of code page 866.
    constexpr uint8_t kCyrillic[32] = {6,  17, 14, 11, 9,  2,  24, 19, 4,  30, 13,
                                       18, 7,  5,  15, 22, 10, 8,  3,  12, 20, 16,
                                       21, 23, 31, 27, 25, 29, 25, 36, 28, 26};
    for (int i = 0; i < 32; ++i) t[static_cast<std::size_t>(128 + i)] = kCyrillic[i];
    // Small letters: a..p at 160..175, r..ya at 224..239.
    for (int i = 0; i < 16; ++i) t[static_cast<std::size_t>(160 + i)] = kCyrillic[i];
    for (int i = 0; i < 16; ++i) t[static_cast<std::size_t>(224 + i)] = kCyrillic[16 + i];
    return t;
}

}  // namespace detail

inline constexpr MorseTableType MorseTable = detail::buildMorseTable();

}  // namespace tarnvel::modem
