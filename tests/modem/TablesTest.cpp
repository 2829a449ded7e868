#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>

#include "modem/Fsk63CodeTable.h"
#include "modem/Tables.h"
#include "modem/Varicode.h"

namespace tarnvel::modem {
namespace {

TEST(Tables, SineTableMatchesReferenceEntries) {
    const auto& t = sineTable();
    EXPECT_EQ(t[0], 0);
    EXPECT_EQ(t[8192], 23169);
    for (int i = 16380; i <= 16383; ++i) EXPECT_EQ(t[i], 32766) << i;
    EXPECT_EQ(t[16384], 32767);
}

TEST(Tables, SineAndCosineOverFullTurn) {
    EXPECT_EQ(sin16(16384), 32767);
    EXPECT_EQ(cos16(0), 32767);
    EXPECT_EQ(sin16(32768), 0);
    EXPECT_EQ(cos16(32768), -32767);
    EXPECT_EQ(sin16(49152), -32767);
    EXPECT_EQ(cos16(49152), 0);
    // Phases wrap modulo one turn, and cos leads sin by a quarter turn everywhere.
    for (uint32_t p = 0; p < 65536; p += 97) {
        EXPECT_EQ(sin16(p + 65536), sin16(p));
        EXPECT_EQ(cos16(p), sin16(p + 16384)) << p;
    }
}

TEST(Tables, TurnTableGivesTheQuarterWaveFoldedAtEveryPhase) {
    // The quarter wave read by quadrant, as the oscillators read it before the turn table.
    const auto& t = sineTable();
    auto foldedSin = [&t](uint32_t p) -> int32_t {
        if (p <= 16384) return t[p];
        if (p <= 32768) return t[32768 - p];
        if (p <= 49152) return -t[p - 32768];
        return -t[65536 - p];
    };
    auto foldedCos = [&t](uint32_t p) -> int32_t {
        if (p <= 16384) return t[16384 - p];
        if (p <= 32768) return -t[p - 16384];
        if (p <= 49152) return -t[49152 - p];
        return t[p - 49152];
    };
    int mismatches = 0;
    for (uint32_t p = 0; p < 65536; ++p)
        mismatches += (sin16(p) != foldedSin(p)) + (cos16(p) != foldedCos(p));
    EXPECT_EQ(mismatches, 0);

    // The paired table: cosine in the low word, sine in the high word, as 16-bit signed values.
    const auto& pairs = cosSinTable();
    int pairMismatches = 0;
    for (uint32_t p = 0; p < 65536; ++p) {
        const auto cosWord = static_cast<int16_t>(pairs[p] & 0xFFFFu);
        const auto sinWord = static_cast<int16_t>(pairs[p] >> 16);
        pairMismatches += (cosWord != foldedCos(p)) + (sinWord != foldedSin(p));
    }
    EXPECT_EQ(pairMismatches, 0);
}

TEST(Tables, PhaseAngleQuadrantsAndDiagonals) {
    EXPECT_EQ(phaseAngle(1000, 1000), 8192);
    EXPECT_EQ(phaseAngle(-5, 0), 32768);
    EXPECT_EQ(phaseAngle(0, -5), 49152);
    EXPECT_EQ(phaseAngle(0, 5), 16384);
    EXPECT_EQ(phaseAngle(5, 0), 0);
    // a = b with a small magnitude indexes past the table end: still exactly 45 degrees.
    EXPECT_EQ(phaseAngle(1, 1), 8192);
    EXPECT_EQ(phaseAngle(-1, 1), 24576);
    EXPECT_EQ(phaseAngle(-1, -1), 40960);
    EXPECT_EQ(phaseAngle(1, -1), 57344);
    EXPECT_EQ(phaseAngle(1 << 30, 1 << 30), 8192);  // the large-magnitude branch
}

TEST(Tables, PhaseAngleTracksAtan2) {
    for (int deg = 0; deg < 360; deg += 7) {
        const double r = deg * 3.14159265358979 / 180.0;
        const int32_t x = static_cast<int32_t>(std::cos(r) * 1e6);
        const int32_t y = static_cast<int32_t>(std::sin(r) * 1e6);
        const int expected = static_cast<int>(deg / 360.0 * 65536.0);
        const int diff = static_cast<int16_t>(phaseAngle(x, y) - expected);
        EXPECT_LE(std::abs(diff), 40) << deg;
    }
}

TEST(Varicode, PublishedAndDerivedEntries) {
    EXPECT_EQ(VaricodeTable[' '], 0b1);
    EXPECT_EQ(VaricodeTable['e'], 0b11);
    EXPECT_EQ(VaricodeTable['t'], 0b101);
    EXPECT_EQ(VaricodeTable['a'], 0b1011);
    EXPECT_EQ(VaricodeTable['\n'], 0b11101);
    EXPECT_EQ(VaricodeTable['\r'], 0b11111);
    EXPECT_EQ(VaricodeTable[0], 0b1010101011);
    EXPECT_EQ(VaricodeTable[127], 0b1110110101);
    EXPECT_EQ(VaricodeTable[128], 0b1110111101);
    EXPECT_EQ(VaricodeTable[129], 0b1110111111);
    EXPECT_EQ(VaricodeTable[130], 0b1111010101);
    EXPECT_EQ(VaricodeTable[142], 0b1111111111);
    EXPECT_EQ(VaricodeTable[143], 0b10101010101);
    EXPECT_EQ(VaricodeTable[231], 0b11111111111);
    EXPECT_EQ(VaricodeTable[232], 0b101010101011);
    EXPECT_EQ(VaricodeTable[255], 0b101101011011);
}

TEST(Fsk63Code, WordsAreSeventeenBitsDistinctAndAtLeastFiveApart) {
    EXPECT_EQ(Fsk63CodeTable[0], 0x19231u);
    EXPECT_EQ(Fsk63CodeTable[259], 0x0D737u);
    int minDistance = 99;
    for (int i = 0; i < kFsk63CodeWords; ++i) {
        EXPECT_LT(Fsk63CodeTable[i], 1u << kFsk63CodeBits);
        for (int j = 0; j < i; ++j)
            minDistance =
                std::min(minDistance, std::popcount(Fsk63CodeTable[i] ^ Fsk63CodeTable[j]));
    }
    EXPECT_GE(minDistance, 5);
}

}  // namespace
}  // namespace tarnvel::modem
