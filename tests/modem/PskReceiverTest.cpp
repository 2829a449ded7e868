#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "Recorders.h"
#include "modem/PskReceiver.h"
#include "modem/VaricodeDecoder.h"

namespace tarnvel::modem {
namespace {

// Opens the receiver's state to the tests, and counts decimated samples the way a derived
// receiver with its own decimated step sees them.
class ProbeReceiver : public PskReceiver {
  public:
    using PskReceiver::clockCorrection;
    using PskReceiver::combIndex;
    using PskReceiver::combLength;
    using PskReceiver::decimPhase;
    using PskReceiver::decimStep;
    using PskReceiver::firI;
    using PskReceiver::ncoPhase;
    using PskReceiver::ncoStep;
    using PskReceiver::prevI;
    using PskReceiver::prevQ;
    using PskReceiver::symbolPhase;
    using PskReceiver::symbolsSinceTransition;
    using PskReceiver::symbolStep;
    using PskReceiver::trackSymbolClock;
    using PskReceiver::transitionSeen;

    explicit ProbeReceiver(bool ownStep = false) { ownDecimatedStep = ownStep; }
    int decimatedSamples = 0;
    std::vector<std::pair<int32_t, int32_t>> filtered;  // I and Q of every decimated sample

  protected:
    // The PSK step rebuilt from its parts, as a derived receiver would.
    void onDecimatedSample() override {
        ++decimatedSamples;
        int32_t i = 0;
        int32_t q = 0;
        filterDecimated(i, q);
        filtered.emplace_back(i, q);
        level = levelBits(i, q);
        trackSymbolClock(i, q);
    }
};

using testing::SymbolRecorder;

std::vector<int16_t> tone(double hz, int count, double amplitude = 10000.0) {
    std::vector<int16_t> s(count);
    for (int n = 0; n < count; ++n)
        s[n] = static_cast<int16_t>(amplitude * std::cos(2.0 * M_PI * hz * n / 11025.0));
    return s;
}

TEST(PskReceiver, IncrementsAtTheNominalRate) {
    ProbeReceiver rx;
    EXPECT_EQ(rx.ncoStep, 4161);  // 700 Hz
    EXPECT_EQ(rx.combLength, 22);
    EXPECT_EQ(rx.decimStep, 2972);
    EXPECT_EQ(rx.symbolStep, 4096);
    rx.setBaudRate(kPsk63Baud);
    EXPECT_EQ(rx.decimStep, 5944);
    EXPECT_EQ(rx.symbolStep, 4096);
    rx.setCarrierFrequency(1000.0);
    EXPECT_EQ(rx.ncoStep, 5944);
}

TEST(PskReceiver, DecimatesToFiveHundredOrAThousandPerSecond) {
    for (double baud : {kPsk31Baud, kPsk63Baud}) {
        ProbeReceiver rx(true);
        rx.setBaudRate(baud);
        SymbolRecorder rec;
        rx.attachDecoder(&rec);
        const std::vector<int16_t> s = tone(700.0, 11025 * 4);
        rx.processSamples(s.data(), static_cast<int>(s.size()));
        EXPECT_NEAR(rx.decimatedSamples, 4 * 500 * baud / kPsk31Baud, 1) << baud;
        // 16 decimated samples per symbol at both rates: an unmodulated carrier has no
        // transitions to pull the clock, so the count is exact.
        EXPECT_NEAR(static_cast<double>(rec.symbols.size()), 4 * baud, 1) << baud;
    }
}

TEST(PskReceiver, ZeroCarrierOrSampleRateStopsTheOscillatorAndKeepsTheClocks) {
    ProbeReceiver rx;
    rx.setCarrierFrequency(0.0);
    EXPECT_EQ(rx.ncoStep, 0);
    const std::vector<int16_t> s = tone(700.0, 1000);
    rx.processSamples(s.data(), 1000);
    EXPECT_EQ(rx.ncoPhase, 0);

    rx.setCarrierFrequency(700.0);
    rx.setSampleRate(0.0);
    EXPECT_EQ(rx.ncoStep, 0);
    EXPECT_EQ(rx.decimStep, 2972);
    EXPECT_EQ(rx.symbolStep, 4096);
    EXPECT_GE(rx.combLength, 1);  // the comb still indexes inside its rings
    rx.setBaudRate(kPsk63Baud);
    EXPECT_EQ(rx.decimStep, 2972);
    rx.setSampleRate(11025.0);
    EXPECT_EQ(rx.ncoStep, 4161);
    EXPECT_EQ(rx.decimStep, 5944);
}

TEST(PskReceiver, HighRatesClampTheCombAndKeepTheDecimatedRate) {
    ProbeReceiver rx(true);
    rx.setSampleRate(48000.0);
    EXPECT_EQ(rx.combLength, kCombRingSize);
    EXPECT_EQ(rx.decimStep, 682);  // 500 * 65536 / 48000
    std::vector<int16_t> s = tone(700.0, 48000);
    // tone() assumes 11025; the frequency does not matter here, only the sample count.
    rx.processSamples(s.data(), static_cast<int>(s.size()));
    EXPECT_NEAR(rx.decimatedSamples, 500, 1);
}

TEST(PskReceiver, ResetClearsFilterAndClocksButKeepsFirRingsAndSteps) {
    ProbeReceiver rx;
    VaricodeDecoder dec;
    rx.attachDecoder(&dec);
    const std::vector<int16_t> s = tone(700.0, 5000);
    rx.processSamples(s.data(), 5000);
    const auto firBefore = rx.firI;
    dec.shiftRegister = 0b101;
    dec.zeroRun = 7;
    rx.resetState();
    EXPECT_EQ(rx.ncoPhase, 0);
    EXPECT_EQ(rx.decimPhase, 0);
    EXPECT_EQ(rx.symbolPhase, 0);
    EXPECT_EQ(rx.combIndex, 0);
    EXPECT_EQ(rx.firI, firBefore);
    EXPECT_EQ(rx.ncoStep, 4161);
    EXPECT_EQ(dec.shiftRegister, 0);
    EXPECT_EQ(dec.zeroRun, 7);  // only the bit collector is cleared
}

TEST(PskReceiver, TransitionAtTheWrapHoldsTheSymbolBack) {
    ProbeReceiver rx;
    SymbolRecorder rec;
    rx.attachDecoder(&rec);
    rx.prevI = 100;
    rx.prevQ = 0;
    rx.symbolPhase = 62000;                // + 4096 would wrap
    rx.trackSymbolClock(-100 * 65536, 0);  // a reversal
    EXPECT_TRUE(rec.symbols.empty());
    EXPECT_EQ(rx.symbolPhase, ((3 * 66096 + 32767) >> 2) & 0xFFFF);
    EXPECT_EQ(rx.transitionSeen, 1);
    // Without a transition the same clock wraps and samples a symbol.
    rx.transitionSeen = 0;
    rx.symbolPhase = 62000;
    rx.trackSymbolClock(100 * 65536, 0);
    ASSERT_EQ(rec.symbols.size(), 1u);
    EXPECT_EQ(rec.symbols[0].levelCode, kLevelCodeOffset);
    EXPECT_EQ(rx.prevI, 100);
}

TEST(PskReceiver, FirstTransitionMovesPhaseNotCorrection) {
    ProbeReceiver rx;
    rx.prevI = 100;
    rx.clockCorrection = 40;
    rx.symbolsSinceTransition = 0;
    rx.symbolPhase = 20000;
    rx.trackSymbolClock(-100 * 65536, 0);
    EXPECT_EQ(rx.clockCorrection, 40);
    EXPECT_EQ(rx.symbolPhase, (3 * (20000 + 4096 + 40) + 32767) >> 2);
    // A later transition adjusts the correction, and never beyond +-128.
    rx.transitionSeen = 0;
    rx.symbolsSinceTransition = 1;
    rx.clockCorrection = 128;
    rx.symbolPhase = 0;
    rx.prevI = 100;
    rx.trackSymbolClock(-100 * 65536, 0);
    EXPECT_EQ(rx.clockCorrection, 128);  // (31 * 128 + 445) >> 5 = 137, clamped
    rx.transitionSeen = 0;
    rx.clockCorrection = -128;
    rx.symbolPhase = 60000;  // e falls far behind p: a large negative pull
    rx.prevI = 100;
    rx.trackSymbolClock(-100 * 65536, 0);
    EXPECT_EQ(rx.clockCorrection, -128);
}

// The front end written out the long way: moving sums over the last combLength values and the
// FIR over the last 64 decimated values.
TEST(PskReceiver, FrontEndMatchesDirectSums) {
    ProbeReceiver rx(true);
    rx.setCarrierFrequency(1234.5);
    std::vector<int16_t> s(6000);
    uint32_t lcg = 99;
    for (size_t n = 0; n < s.size(); ++n) {
        lcg = lcg * 1664525u + 1013904223u;
        s[n] = static_cast<int16_t>(8000 * std::sin(n * 0.7) + static_cast<int16_t>(lcg >> 16) / 8);
    }
    rx.processSamples(s.data(), static_cast<int>(s.size()));

    const int L = 22;
    std::vector<int64_t> mi, mq, s1i, s1q, s2i, s2q;
    std::vector<int64_t> decI, decQ;
    std::vector<std::pair<int32_t, int32_t>> expected;
    uint16_t phase = 0;
    uint32_t decim = 0;
    const uint16_t step = static_cast<uint16_t>(1234.5 / 11025.0 * 65536.0);
    auto lastSum = [](const std::vector<int64_t>& v, int n) {
        int64_t sum = 0;
        for (int k = 0; k < n && k < static_cast<int>(v.size()); ++k) sum += v[v.size() - 1 - k];
        return sum;
    };
    for (int16_t x : s) {
        phase = static_cast<uint16_t>(phase + step);
        mi.push_back(int64_t{x} * cos16(phase) / 65536);
        mq.push_back(int64_t{x} * sin16(phase) / 65536);
        s1i.push_back(lastSum(mi, L));
        s1q.push_back(lastSum(mq, L));
        s2i.push_back(lastSum(s1i, L));
        s2q.push_back(lastSum(s1q, L));
        decim += 2972;
        if (decim > 0xFFFF) {
            decim &= 0xFFFF;
            decI.push_back(s2i.back() / 256);
            decQ.push_back(s2q.back() / 256);
            int64_t fi = 0, fq = 0;
            for (int j = 0; j < 64; ++j) {
                const int back = 63 - j;  // tap 0 multiplies the oldest of the last 64
                const int idx = static_cast<int>(decI.size()) - 1 - back;
                if (idx < 0) continue;
                fi += kBpskFirTaps[j] * decI[idx];
                fq += kBpskFirTaps[j] * decQ[idx];
            }
            expected.emplace_back(static_cast<int32_t>(fi), static_cast<int32_t>(fq));
        }
    }
    ASSERT_EQ(rx.filtered.size(), expected.size());
    for (size_t k = 0; k < expected.size(); ++k) {
        ASSERT_EQ(rx.filtered[k], expected[k]) << k;
    }
}

TEST(PskReceiver, BlockSplitDoesNotChangeTheResult) {
    const std::vector<int16_t> s = tone(703.0, 20000);
    ProbeReceiver whole;
    ProbeReceiver split;
    SymbolRecorder a;
    SymbolRecorder b;
    whole.attachDecoder(&a);
    split.attachDecoder(&b);
    whole.processSamples(s.data(), 20000);
    for (int pos = 0; pos < 20000; pos += 337)
        split.processSamples(s.data() + pos, std::min(337, 20000 - pos));
    ASSERT_EQ(a.symbols.size(), b.symbols.size());
    for (size_t k = 0; k < a.symbols.size(); ++k) {
        EXPECT_EQ(a.symbols[k].i, b.symbols[k].i);
        EXPECT_EQ(a.symbols[k].q, b.symbols[k].q);
    }
}

}  // namespace
}  // namespace tarnvel::modem
