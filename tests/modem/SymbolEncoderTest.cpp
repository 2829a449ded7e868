#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "modem/Fsk63Encoder.h"
#include "modem/MorseTable.h"
#include "modem/Varicode.h"
#include "modem/VaricodeEncoder.h"

namespace tarnvel::modem {
namespace {

// Reversal (0) and keep (1) bits a varicode encoder sends for ch, until it is ready.
std::string sentBits(VaricodeEncoder& enc, int ch) {
    std::string bits;
    enc.putChar(ch);
    for (int ready = 0, prev = enc.phase(); !ready;) {
        const int phase = enc.nextSymbol(ready);
        bits += phase == prev ? '1' : '0';
        prev = phase;
    }
    return bits;
}

TEST(VaricodeEncoder, SendsTwoZeroBitsThenTheCode) {
    TxCodeTable codes;
    for (int c = 0; c < 256; ++c) codes.setCode(VaricodeTable[static_cast<size_t>(c)], c);
    codes.setCode(0b1, 300);  // beyond the table: ignored
    VaricodeEncoder enc(codes);
    EXPECT_EQ(sentBits(enc, 'e'), "0011");
    EXPECT_EQ(sentBits(enc, 'a'), "001011");
    EXPECT_EQ(sentBits(enc, 0), "001010101011");
    EXPECT_EQ(sentBits(enc, 255), "00101101011011");  // the longest code still fits
    int ready = 0;
    const int phase = enc.phase();
    EXPECT_EQ(enc.nextSymbol(ready), phase ^ 2);  // idle: reversals for ever
    EXPECT_EQ(enc.nextSymbol(ready), phase);
    // A character entered with code 0 sends two zeros and a single one.
    codes.setCode(0, 'x');
    EXPECT_EQ(sentBits(enc, 'x'), "001");
}

TEST(Fsk63Encoder, InterleavesEachWordOverEveryThirdSymbol) {
    TxCodeTable codes;
    Fsk63Encoder enc(codes);
    const std::string text = "Hi 73";
    std::vector<int> tones;
    std::vector<size_t> starts;
    for (int ready = 0; tones.size() < 17 * 10;) {
        tones.push_back(enc.nextSymbol(ready));
        if (ready && starts.size() <= text.size()) {
            // The idle word goes in by itself after the text.
            if (starts.size() < text.size())
                enc.putChar(static_cast<unsigned char>(text[starts.size()]));
            starts.push_back(tones.size());
        }
    }
    ASSERT_EQ(tones.size() % 17, 0u);
    EXPECT_EQ(starts.front(), 17u);
    for (size_t c = 0; c < starts.size(); ++c) {
        uint32_t word = 0;
        for (size_t i = 0; i < 17; ++i) {
            const size_t k = starts[c] + 3 * i;
            // Every second tone is inverted, beginning with the first.
            word |= static_cast<uint32_t>(tones[k] ^ static_cast<int>((k + 1) & 1)) << i;
        }
        const int ch = c < text.size() ? static_cast<unsigned char>(text[c]) : kFsk63IdleWord;
        EXPECT_EQ(word, Fsk63CodeTable[static_cast<size_t>(ch)]) << c;
    }
}

std::string morse(uint8_t pattern) {
    std::string s;
    for (; pattern > 1; pattern >>= 1) s += pattern & 1 ? '-' : '.';
    return s;
}

TEST(MorseTable, StoredPatterns) {
    const std::string letters =
        ".- -... -.-. -.. . ..-. --. .... .. .--- -.- .-.. -- -. --- .--. "
        "--.- .-. ... - ..- ...- .-- -..- -.-- --..";
    std::string got;
    for (int i = 0; i < 26; ++i) {
        got += morse(MorseTable[static_cast<size_t>('A' + i)]) + (i < 25 ? " " : "");
        EXPECT_EQ(MorseTable[static_cast<size_t>('a' + i)],
                  MorseTable[static_cast<size_t>('A' + i)]);
    }
    EXPECT_EQ(got, letters);
    const uint8_t digits[10] = {63, 62, 60, 56, 48, 32, 33, 35, 39, 47};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(MorseTable[static_cast<size_t>('0' + i)], digits[i]);
    EXPECT_EQ(morse(MorseTable[',']), "--..--");
    for (char c : {'/', '\\', '|'}) EXPECT_EQ(morse(MorseTable[static_cast<size_t>(c)]), "-..-.");
    EXPECT_EQ(morse(MorseTable['=']), "-...-");
    EXPECT_EQ(morse(MorseTable['?']), "..--..");
    EXPECT_EQ(morse(MorseTable[2]), "-------");
    const uint8_t cyrillic[32] = {6,  17, 14, 11, 9,  2,  24, 19, 4,  30, 13, 18, 7,  5,  15, 22,
                                  10, 8,  3,  12, 20, 16, 21, 23, 31, 27, 25, 29, 25, 36, 28, 26};
    for (size_t i = 0; i < 32; ++i) {
        EXPECT_EQ(MorseTable[128 + i], cyrillic[i]);
        EXPECT_EQ(MorseTable[(i < 16 ? 160 : 208) + i], cyrillic[i]);  // small letters
    }
    EXPECT_EQ(morse(MorseTable[0x97]), "---.");  // CHE
    int gaps = 0;
    for (uint8_t v : MorseTable) gaps += v == 1;
    EXPECT_EQ(gaps, 256 - 52 - 10 - 7 - 64);
}

}  // namespace
}  // namespace tarnvel::modem
