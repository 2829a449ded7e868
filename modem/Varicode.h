#pragma once
// The varicode of BPSK31, BPSK63, QPSK31 and FSK31, and the table receivers decode it with.
//
// Each word holds its code bits right-aligned, the most significant bit sent first. Every code
// begins and ends with a 1 and has no two adjacent 0 bits; characters are separated by "00".

#include <array>
#include <cstdint>

namespace tarnvel::modem {

inline constexpr int kVaricodeDecodeTableSize = 2047;

using VaricodeTableType = std::array<uint16_t, 256>;
using VaricodeDecodeTableType = std::array<uint16_t, kVaricodeDecodeTableSize>;

namespace detail {

// Entries 0..127: the published PSK31 alphabet.
inline constexpr uint16_t kPublishedVaricode[128] = {
    0b1010101011, 0b1011011011, 0b1011101101, 0b1101110111,  // 0..3
    0b1011101011, 0b1101011111, 0b1011101111, 0b1011111101,  // 4..7
    0b1011111111, 0b11101111,   0b11101,      0b1101101111,  // 8..11 (TAB, LF)
    0b1011011101, 0b11111,      0b1101110101, 0b1110101011,  // 12..15 (CR)
    0b1011110111, 0b1011110101, 0b1110101101, 0b1110101111,  // 16..19
    0b1101011011, 0b1101101011, 0b1101101101, 0b1101010111,  // 20..23
    0b1101111011, 0b1101111101, 0b1110110111, 0b1101010101,  // 24..27
    0b1101011101, 0b1110111011, 0b1011111011, 0b1101111111,  // 28..31
    0b1,          0b111111111,  0b101011111,  0b111110101,   // space ! " #
    0b111011011,  0b1011010101, 0b1010111011, 0b101111111,   // $ % & '
    0b11111011,   0b11110111,   0b101101111,  0b111011111,   // ( ) * +
    0b1110101,    0b110101,     0b1010111,    0b110101111,   // , - . /
    0b10110111,   0b10111101,   0b11101101,   0b11111111,    // 0 1 2 3
    0b101110111,  0b101011011,  0b101101011,  0b110101101,   // 4 5 6 7
    0b110101011,  0b110110111,  0b11110101,   0b110111101,   // 8 9 : ;
    0b111101101,  0b1010101,    0b111010111,  0b1010101111,  // < = > ?
    0b1010111101, 0b1111101,    0b11101011,   0b10101101,    // @ A B C
    0b10110101,   0b1110111,    0b11011011,   0b11111101,    // D E F G
    0b101010101,  0b1111111,    0b111111101,  0b101111101,   // H I J K
    0b11010111,   0b10111011,   0b11011101,   0b10101011,    // L M N O
    0b11010101,   0b111011101,  0b10101111,   0b1101111,     // P Q R S
    0b1101101,    0b101010111,  0b110110101,  0b101011101,   // T U V W
    0b101110101,  0b101111011,  0b1010101101, 0b111110111,   // X Y Z [
    0b111101111,  0b111111011,  0b1010111111, 0b101101101,   // \ ] ^ _
    0b1011011111, 0b1011,       0b1011111,    0b101111,      // ` a b c
    0b101101,     0b11,         0b111101,     0b1011011,     // d e f g
    0b101011,     0b1101,       0b111101011,  0b10111111,    // h i j k
    0b11011,      0b111011,     0b1111,       0b111,         // l m n o
    0b111111,     0b110111111,  0b10101,      0b10111,       // p q r s
    0b101,        0b110111,     0b1111011,    0b1101011,     // t u v w
    0b11011111,   0b1011101,    0b111010101,  0b1010110111,  // x y z {
    0b110111011,  0b1010110101, 0b1011010111, 0b1110110101,  // | } ~ DEL
};

// A valid varicode word begins and ends with 1 and has no two adjacent 0 bits.
constexpr bool isVaricodeWord(uint32_t w) {
    if (w == 0 || (w & 1u) == 0) return false;
    for (uint32_t v = w; v > 1; v >>= 1)
        if ((v & 3u) == 0) return false;
    return true;  // the top bit is always 1
}

constexpr VaricodeTableType buildVaricodeTable() {
    VaricodeTableType table{};
    for (int c = 0; c < 128; ++c) table[c] = kPublishedVaricode[c];
    // Entries 128..255: the remaining valid words by increasing length, then value.
    int next = 128;
    for (uint32_t w = 1; w < 0x10000u && next < 256; ++w) {
        if (!isVaricodeWord(w)) continue;
        bool used = false;
        for (int c = 0; c < 128 && !used; ++c) used = kPublishedVaricode[c] == w;
        if (!used) table[next++] = static_cast<uint16_t>(w);
    }
    return table;
}

}  // namespace detail

// The 256 transmit and receive codes, indexed by character code.
inline constexpr VaricodeTableType VaricodeTable = detail::buildVaricodeTable();

// Fills a decode table: entry (code >> 1) = character, for every code below 4094, walking the
// characters in increasing order. Entries no character claims stay 0.
constexpr VaricodeDecodeTableType buildVaricodeDecodeTable(const VaricodeTableType& codes) {
    VaricodeDecodeTableType table{};
    for (int c = 0; c < 256; ++c)
        if (codes[c] < 4094) table[codes[c] >> 1] = static_cast<uint16_t>(c);
    return table;
}

// The one decode table shared by every varicode decoder.
inline constexpr VaricodeDecodeTableType VaricodeDecodeTable =
    buildVaricodeDecodeTable(VaricodeTable);

// Number of code bits of a varicode word (position of its highest set bit).
constexpr int varicodeLength(uint16_t w) {
    int n = 0;
    for (uint32_t v = w; v != 0; v >>= 1) ++n;
    return n;
}

}  // namespace tarnvel::modem
