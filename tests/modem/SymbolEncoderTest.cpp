#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "modem/Fsk63Encoder.h"
#include "modem/MorseTable.h"
#include "modem/Varicode.h"
#include "modem/VaricodeEncoder.h"

namespace tarnvel::modem {
namespace {

TxCodeTable varicodeCodes() {
    TxCodeTable codes;
    for (int c = 0; c < 256; ++c) codes.setCode(VaricodeTable[static_cast<size_t>(c)], c);
    return codes;
}

// Phases an encoder sends for a text, taking each character as soon as the encoder is ready,
// followed by `tail` idle symbols.
std::vector<int> encode(SymbolEncoder& enc, const std::string& text, int tail = 4) {
    std::vector<int> phases;
    for (unsigned char c : text) {
        enc.putChar(c);
        int ready = 0;
        while (!ready) phases.push_back(enc.nextSymbol(ready));
    }
    int ready = 0;
    for (int i = 0; i < tail; ++i) phases.push_back(enc.nextSymbol(ready));
    return phases;
}

// Reversal (0) and keep (1) bits of a differential phase sequence starting from phase 0.
std::string bits(const std::vector<int>& phases) {
    std::string out;
    int prev = 0;
    for (int p : phases) {
        out.push_back(p == prev ? '1' : '0');
        prev = p;
    }
    return out;
}

TEST(TxCodeTable, HoldsTwoGapBitsThenTheCodeLeftJustified) {
    TxCodeTable codes = varicodeCodes();
    EXPECT_EQ(codes[' '], 0x2000);              // 00 1
    EXPECT_EQ(codes['e'], 0x3000);              // 00 11
    EXPECT_EQ(codes[0], 0b0010101010110000);    // 00 1010101011
    EXPECT_EQ(codes[255], 0b0010110101101100);  // 00 101101011011, the longest code
    codes.setCode(0b101, 300);                  // beyond the table: ignored, nothing overwritten
    EXPECT_EQ(codes[255], 0b0010110101101100);
}

TEST(VaricodeEncoder, SendsEachCharacterAfterTwoZeroBitsThenIdles) {
    TxCodeTable codes = varicodeCodes();
    VaricodeEncoder enc(codes);
    const auto phases = encode(enc, "ea", 3);
    // e = 11, a = 1011; the idle sequence is all reversals.
    EXPECT_EQ(bits(phases),
              "0011"
              "001011"
              "000");
    for (int p : phases) EXPECT_TRUE(p == 0 || p == 2);
}

TEST(VaricodeEncoder, CharacterWithoutCodeSendsTwoZerosAndOneOne) {
    TxCodeTable codes;
    codes.setCode(0, 'x');
    VaricodeEncoder enc(codes);
    enc.putChar('x');
    int ready = 1;
    std::vector<int> phases;
    for (int i = 0; i < 3; ++i) {
        phases.push_back(enc.nextSymbol(ready));
        EXPECT_EQ(ready, i == 2 ? 1 : 0);
    }
    EXPECT_EQ(bits(phases), "001");
}

TEST(QpskEncoder, IdleIsBpskReversals) {
    TxCodeTable codes = varicodeCodes();
    QpskEncoder enc(codes);
    const auto phases = encode(enc, "", 20);
    // Once the code register is full of idle bits, every symbol is a half-turn step.
    for (size_t k = 6; k < phases.size(); ++k) EXPECT_EQ((phases[k] - phases[k - 1] + 4) % 4, 2);
}

TEST(QpskEncoder, InvertedSendsTheComplexConjugatePhases) {
    TxCodeTable codes = varicodeCodes();
    QpskEncoder normal(codes);
    QpskEncoder inverted(codes);
    inverted.setInverted(true);
    const std::string text = "CQ CQ de SP9XYZ 73\r\n";
    const auto a = encode(normal, text, 10);
    const auto b = encode(inverted, text, 10);
    ASSERT_EQ(a.size(), b.size());
    bool quarterSteps = false;
    for (size_t k = 0; k < a.size(); ++k) {
        EXPECT_EQ(b[k], (4 - a[k]) % 4) << k;  // phase -90k degrees becomes +90k degrees
        quarterSteps |= a[k] % 2 == 1;
    }
    EXPECT_TRUE(quarterSteps);  // the text does use all four points
}

// FSK63 tones received in order: each word's 17 bits lie on every third symbol from the symbol
// after the one that made the encoder ready, under an alternating inversion.
TEST(Fsk63Encoder, InterleavesEachWordOverEveryThirdSymbol) {
    TxCodeTable codes;
    Fsk63Encoder enc(codes);
    const std::string text = "Hi 73";
    std::vector<int> tones;
    std::vector<size_t> startAt;
    size_t nextChar = 0;
    int ready = 0;
    for (int k = 0; k < 17 * 10; ++k) {
        tones.push_back(enc.nextSymbol(ready));
        ASSERT_TRUE(tones.back() == 0 || tones.back() == 1);
        if (ready && nextChar < text.size()) {
            enc.putChar(static_cast<unsigned char>(text[nextChar++]));
            startAt.push_back(tones.size());
        }
    }
    ASSERT_EQ(startAt.size(), text.size());
    for (size_t c = 0; c < text.size(); ++c) {
        uint32_t word = 0;
        for (int i = 0; i < 17; ++i) {
            const size_t k = startAt[c] + 3 * static_cast<size_t>(i);
            const int toggle = static_cast<int>((k + 1) & 1);  // 1, 0, 1, ... from the start
            word |= static_cast<uint32_t>(tones[k] ^ toggle) << i;
        }
        EXPECT_EQ(word, Fsk63CodeTable[static_cast<unsigned char>(text[c])]) << c;
    }
    // After the text, the idle word fills each gap.
    const size_t idleAt = startAt.back() + 17;
    uint32_t word = 0;
    for (int i = 0; i < 17; ++i) {
        const size_t k = idleAt + 3 * static_cast<size_t>(i);
        word |= static_cast<uint32_t>(tones[k] ^ static_cast<int>((k + 1) & 1)) << i;
    }
    EXPECT_EQ(word, Fsk63CodeTable[kFsk63IdleWord]);
}

TEST(Fsk63Encoder, ReadyEvery17SymbolsAndClearEmptiesTheRing) {
    TxCodeTable codes;
    Fsk63Encoder enc(codes);
    int ready = 0;
    int readies = 0;
    for (int k = 1; k <= 68; ++k) {
        enc.nextSymbol(ready);
        readies += ready;
        EXPECT_EQ(ready, k % 17 == 0 ? 1 : 0);
    }
    EXPECT_EQ(readies, 4);
    enc.clear();
    EXPECT_EQ(enc.ringPosition(), 0);
    // An empty ring sends the bare alternation; an index outside the table sends zeros too.
    enc.putChar(999);
    std::vector<int> tones;
    for (int k = 0; k < 6; ++k) tones.push_back(enc.nextSymbol(ready));
    EXPECT_EQ(tones, (std::vector<int>{1, 0, 1, 0, 1, 0}));
}

std::string morse(uint8_t pattern) {
    std::string s;
    for (; pattern > 1; pattern >>= 1) s.push_back(pattern & 1 ? '-' : '.');
    return s;
}

TEST(MorseTable, StoredBytes) {
    const uint8_t letters[26] = {6, 17, 21, 9,  2,  20, 11, 16, 4,  30, 13, 18, 7,
                                 5, 15, 22, 27, 10, 8,  3,  12, 24, 14, 25, 29, 19};
    for (int i = 0; i < 26; ++i) {
        EXPECT_EQ(MorseTable[static_cast<size_t>('A' + i)], letters[i]);
        EXPECT_EQ(MorseTable[static_cast<size_t>('a' + i)], letters[i]);
    }
    const uint8_t digits[10] = {63, 62, 60, 56, 48, 32, 33, 35, 39, 47};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(MorseTable[static_cast<size_t>('0' + i)], digits[i]);
    EXPECT_EQ(MorseTable[','], 115);
    EXPECT_EQ(MorseTable['/'], 41);
    EXPECT_EQ(MorseTable['\\'], 41);
    EXPECT_EQ(MorseTable['|'], 41);
    EXPECT_EQ(MorseTable['='], 49);
    EXPECT_EQ(MorseTable['?'], 76);
    EXPECT_EQ(MorseTable[2], 255);
    const uint8_t cyrillic[32] = {6,  17, 14, 11, 9,  2,  24, 19, 4,  30, 13, 18, 7,  5,  15, 22,
                                  10, 8,  3,  12, 20, 16, 21, 23, 31, 27, 25, 29, 25, 36, 28, 26};
    for (int i = 0; i < 32; ++i) EXPECT_EQ(MorseTable[static_cast<size_t>(128 + i)], cyrillic[i]);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(MorseTable[static_cast<size_t>(160 + i)], cyrillic[i]);
        EXPECT_EQ(MorseTable[static_cast<size_t>(224 + i)], cyrillic[16 + i]);
    }
    // Everything else is the empty pattern (a gap).
    int gaps = 0;
    for (uint8_t v : MorseTable) gaps += v == 1;
    EXPECT_EQ(gaps, 256 - 52 - 10 - 7 - 64);
}

TEST(MorseTable, PatternsReadFromTheLowBit) {
    EXPECT_EQ(morse(MorseTable['A']), ".-");
    EXPECT_EQ(morse(MorseTable['Q']), "--.-");
    EXPECT_EQ(morse(MorseTable['0']), "-----");
    EXPECT_EQ(morse(MorseTable['5']), ".....");
    EXPECT_EQ(morse(MorseTable[',']), "--..--");
    EXPECT_EQ(morse(MorseTable['/']), "-..-.");
    EXPECT_EQ(morse(MorseTable['=']), "-...-");
    EXPECT_EQ(morse(MorseTable['?']), "..--..");
    EXPECT_EQ(morse(MorseTable[2]), "-------");
    EXPECT_EQ(morse(MorseTable[0x97]), "---.");  // CHE
    EXPECT_EQ(morse(MorseTable[0x99]), "--.-");  // SHCHA
    EXPECT_EQ(morse(MorseTable[0x9E]), "..--");  // YU
    EXPECT_EQ(morse(MorseTable[0xEF]), ".-.-");  // ya
    EXPECT_EQ(morse(MorseTable[' ']), "");
}

}  // namespace
}  // namespace tarnvel::modem
