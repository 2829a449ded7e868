#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "PskTestSignal.h"
#include "modem/CharacterSink.h"
#include "modem/QpskDecoder.h"

namespace tarnvel::modem {
namespace {

class QpskDecoderTest : public ::testing::Test {
  protected:
    void SetUp() override { dec.sink = &sink; }
    // One symbol at a phase in quarter turns of the received baseband (+1 = +90 degrees).
    void symbolAt(double quarterTurns, double radius = 1 << 28) {
        const double a = quarterTurns * M_PI / 2;
        dec.onSymbol(static_cast<int32_t>(radius * std::cos(a)),
                     static_cast<int32_t>(radius * std::sin(a)), 40);
    }
    // The symbols of a text as the transmitter sends them; its phase index p is the point
    // exp(-j * pi/2 * p).
    void sendText(const std::string& t, bool inverted, int idleBefore = 40, int idleAfter = 40) {
        std::vector<int> b(static_cast<size_t>(idleBefore), 0);
        const std::vector<int> tb = testing::varicodeBits(t);
        b.insert(b.end(), tb.begin(), tb.end());
        b.insert(b.end(), static_cast<size_t>(idleAfter), 0);
        testing::PskSignalOptions o;
        o.qpsk = true;
        o.invertedQpsk = inverted;
        for (int p : testing::pskPhases(b, o)) symbolAt(-p);
    }
    std::string text;
    CharacterSink sink{&text, nullptr};
    QpskDecoder dec;
};

TEST_F(QpskDecoderTest, CodeTableOfTheConvolutionalCode) {
    const auto t = buildQpskCodeTable();
    EXPECT_EQ(t[0], 0);
    EXPECT_EQ(t[1], 3);   // 00001: both taps
    EXPECT_EQ(t[2], 1);   // 00010: only 10111
    EXPECT_EQ(t[8], 2);   // 01000: only 11001
    EXPECT_EQ(t[31], 2);  // 11111: parity(11001) = 1, parity(10111) = 0
    EXPECT_EQ(dec.CodeTable, t);
}

// The signal source maps dibits to phase steps independently of the decoder, so both senses
// of every quarter turn are checked here.
TEST_F(QpskDecoderTest, DecodesTextNormalAndInverted) {
    sendText("CQ de N0CALL k\n", false);
    EXPECT_EQ(text, "CQ de N0CALL k\n");
    text.clear();
    dec.reset();
    dec.inverted = 1;
    sendText("QPSKi 599\n", true);
    EXPECT_EQ(text, "QPSKi 599\n");
}

TEST_F(QpskDecoderTest, TiesGoToTheHigherBranch) {
    // State 0 is reached from state 0 (branch 0, dibit 0) and state 8 (branch 16, dibit 3).
    // Received dibit 0 costs 0 and 2 on those branches; the path metrics even them out.
    for (int s = 0; s < kQpskStates; ++s) dec.survivors[s] = {0, static_cast<uint32_t>(s) << 8};
    dec.survivors[0].pathMetric = 2;
    dec.viterbiStep(0);
    EXPECT_EQ(dec.survivors[0].history, (8u << 8) << 1);
    EXPECT_EQ(dec.survivors[0].pathMetric, 2);
    // One less on the lower branch and it wins.
    for (int s = 0; s < kQpskStates; ++s) dec.survivors[s] = {0, static_cast<uint32_t>(s) << 8};
    dec.survivors[0].pathMetric = 1;
    dec.viterbiStep(0);
    EXPECT_EQ(dec.survivors[0].history, 0u);
    EXPECT_EQ(dec.survivors[0].pathMetric, 1);
}

TEST_F(QpskDecoderTest, NoisyStartDecodesAsIdleThenSteadyCarrierAsOnes) {
    // The start-up histories have every bit from 4 up set, so the first 16 decisions are 0.
    for (int k = 0; k < 16; ++k) {
        symbolAt((k * 7) % 4);
        EXPECT_EQ(dec.zeroRun, k + 1);
    }
    dec.reset();
    for (int k = 0; k < 100; ++k) symbolAt(0.5);
    EXPECT_EQ(dec.zeroRun, 0);
    EXPECT_EQ(text, "");
}

TEST_F(QpskDecoderTest, QualityWindowIsThirtySymbols) {
    for (int k = 0; k < 29; ++k) symbolAt(k);  // quarter-turn changes are perfect QPSK
    EXPECT_EQ(dec.quality, 0);
    EXPECT_EQ(dec.qualityCount, 29);
    symbolAt(29);
    EXPECT_EQ(dec.quality, 31);
    EXPECT_EQ(dec.qualityCount, 0);
    // 36 degrees away from the QPSK points: far too much for a clean signal.
    for (int k = 0; k < 30; ++k) symbolAt(30 + k * 0.4);
    EXPECT_LT(dec.quality, 10);
}

TEST_F(QpskDecoderTest, DriftFollowsAResidualRotation) {
    // 10 degrees per symbol on top of the data: drift settles at 200 * 256/3 times the
    // change in 1/262144 turns.
    std::vector<int> b(300, 0);
    testing::PskSignalOptions o;
    o.qpsk = true;
    const std::vector<int> phases = testing::pskPhases(b, o);
    for (size_t k = 0; k < phases.size(); ++k) symbolAt(-phases[k] + k * (10.0 / 90.0));
    const double change = 10.0 / 360.0 * 262144.0;
    EXPECT_NEAR(dec.drift, 200.0 * 256.0 / 3.0 * change, 0.05 * 200.0 * 256.0 / 3.0 * change);
}

TEST_F(QpskDecoderTest, ResetRestartsTheDecoderButKeepsFigures) {
    sendText("abc", false);
    dec.quality = 17;
    dec.reset();
    EXPECT_EQ(dec.shiftRegister, 0);
    EXPECT_EQ(dec.prevI, 0);
    EXPECT_EQ(dec.prevQ, 0);
    EXPECT_EQ(dec.quality, 17);
    QpskDecoder fresh;
    for (int s = 0; s < kQpskStates; ++s) {
        EXPECT_EQ(dec.survivors[s].pathMetric, fresh.survivors[s].pathMetric);
        EXPECT_EQ(dec.survivors[s].history, 0xFFFFFFF0u + s);
    }
}

}  // namespace
}  // namespace tarnvel::modem
