#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "PskTestSignal.h"
#include "Recorders.h"
#include "modem/CharacterSink.h"
#include "modem/VaricodeDecoder.h"

namespace tarnvel::modem {
namespace {

class VaricodeDecoderTest : public ::testing::Test {
  protected:
    void SetUp() override { dec.sink = &sink; }
    void bits(std::initializer_list<int> b) {
        for (int x : b) dec.onBit(x);
    }
    void word(uint32_t code, int length) {
        for (int n = length - 1; n >= 0; --n) dec.onBit((code >> n) & 1);
    }
    // One symbol at an absolute phase (radians).
    void symbolAt(double phase, double radius = 1 << 28) {
        dec.onSymbol(static_cast<int32_t>(radius * std::cos(phase)),
                     static_cast<int32_t>(radius * std::sin(phase)), 40);
    }
    std::string text;
    CharacterSink sink{&text, nullptr};
    VaricodeDecoder dec;
};

TEST_F(VaricodeDecoderTest, UnknownAndOverlongWords) {
    word(0b1010101011, 10);  // code of character 0
    bits({0, 0});
    word(0b101101011101, 12);  // a 12-bit pattern no character uses
    bits({0, 0});
    ASSERT_EQ(text.size(), 2u);
    EXPECT_EQ(text[0], '\0');
    EXPECT_EQ(text[1], '\0');
    word(0b101101011011, 12);  // character 255
    bits({0, 0});
    ASSERT_EQ(text.size(), 3u);
    EXPECT_EQ(static_cast<unsigned char>(text[2]), 255);
    word(0b1010101010101, 13);  // 13 bits: too long for the table
    bits({0, 0});
    word(0x7FFF, 15);  // fifteen 1 bits: w = 8191 once the top bit is lost
    bits({0, 0});
    EXPECT_EQ(text.size(), 3u);
}

// Every table entry comes back, so the codes are distinct, valid and at most 12 bits long.
TEST_F(VaricodeDecoderTest, EveryCharacterRoundTripsEndingOnTheSecondZero) {
    for (int c = 0; c < 256; ++c) {
        word(VaricodeTable[c], varicodeLength(VaricodeTable[c]));
        bits({0});
        ASSERT_EQ(text.size(), static_cast<size_t>(c)) << c;
        bits({0, 0, 0});  // extra zeros change nothing
    }
    ASSERT_EQ(text.size(), 256u);
    for (int c = 0; c < 256; ++c) EXPECT_EQ(static_cast<unsigned char>(text[c]), c);
}

TEST_F(VaricodeDecoderTest, ZeroRunCountsOnlyConsecutiveZeros) {
    bits({0, 0, 0});
    EXPECT_EQ(dec.zeroRun, 3);
    bits({1});  // even a 1 inside a character
    EXPECT_EQ(dec.zeroRun, 0);
    bits({0});
    EXPECT_EQ(dec.zeroRun, 1);
    dec.reset();  // reset clears the collector, not the run
    EXPECT_EQ(dec.zeroRun, 1);
    EXPECT_EQ(dec.shiftRegister, 0);
}

TEST_F(VaricodeDecoderTest, IdleReversalsGiveZerosAndFullQuality) {
    for (int k = 0; k < 60; ++k) symbolAt(k % 2 ? 0.0 : M_PI);
    EXPECT_GE(dec.zeroRun, 55);
    EXPECT_EQ(text, "");
    EXPECT_EQ(dec.quality, 31);
    EXPECT_GT(dec.bpskLock, 200);
}

TEST_F(VaricodeDecoderTest, SteadyCarrierGivesZeroQuality) {
    for (int k = 0; k < 19; ++k) symbolAt(0.3);
    EXPECT_EQ(dec.qualityCount, 19);
    symbolAt(0.3);
    EXPECT_EQ(dec.quality, 0);
    EXPECT_EQ(dec.zeroRun, 0);
    for (int k = 0; k < 30; ++k) symbolAt(0.3);
    EXPECT_EQ(dec.bpskLock, 0);  // no reversals for more than 20 symbols
}

TEST_F(VaricodeDecoderTest, QualityFallsWithPhaseScatter) {
    // Reversals with +-40 degrees of scatter: far from 0 or 180 degrees.
    double phase = 0.0;
    for (int k = 0; k < 40; ++k) {
        phase += M_PI + ((k % 2) ? 0.7 : -0.7);
        symbolAt(phase);
    }
    EXPECT_LT(dec.quality, 20);
    EXPECT_GT(dec.quality, 0);
}

TEST_F(VaricodeDecoderTest, DecodesTextWithAFrequencyOffset) {
    // 20 degrees of rotation per symbol: the drift follows it and the text still decodes.
    const double rotation = 20.0 * M_PI / 180.0;
    std::vector<int> b(200, 0);
    const std::vector<int> t = testing::varicodeBits("Hello 73");
    b.insert(b.end(), t.begin(), t.end());
    b.insert(b.end(), 4, 0);
    double phase = 0.0;
    for (int bit : b) {
        phase += rotation + (bit == 0 ? M_PI : 0.0);
        symbolAt(phase);
    }
    EXPECT_EQ(text, "Hello 73");
    // Steady-state drift is two thirds of the per-symbol rotation in 32-bit turns.
    const double expectedDrift = 2.0 / 3.0 * rotation / (2 * M_PI) * 4294967296.0;
    EXPECT_NEAR(dec.drift, expectedDrift, expectedDrift * 0.1);
}

TEST_F(VaricodeDecoderTest, ScopeGetsPhaseChangeAndLevelFloor) {
    testing::ScopeRecorder scope;
    dec.scope = &scope;
    dec.channelId = 5;
    symbolAt(0.0);
    symbolAt(M_PI / 2);
    symbolAt(M_PI / 2, 100.0);  // weak: the level stops at 10
    ASSERT_EQ(scope.calls.size(), 3u);
    EXPECT_EQ(scope.calls[1].channel, 5);
    EXPECT_NEAR(scope.calls[1].delta, 1 << 30, 1 << 20);  // +90 degrees
    EXPECT_EQ(scope.calls[1].level, (static_cast<int>(std::log10(std::pow(2.0, 56))) - 7) * 100);
    EXPECT_EQ(scope.calls[2].level, 10);
}

TEST(CharacterSink, AltTextTurnsControlsIntoSingleSpaces) {
    std::string text;
    std::string alt;
    CharacterSink sink(&text, &alt);
    for (char c : std::string("ab\n\r  c\td")) sink.putChar(0, c);
    sink.putChar(0, 0x141);  // only the low byte reaches the receive text
    EXPECT_EQ(text, std::string("ab\n\r  c\tdA"));
    EXPECT_EQ(alt, "ab c dA");
    CharacterSink main(&text, nullptr);
    main.putChar(0, '\n');
    EXPECT_EQ(text.back(), '\n');
}

}  // namespace
}  // namespace tarnvel::modem
