#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "TransmitProbe.h"
#include "modem/PskModulator.h"

namespace tarnvel::modem {
namespace {

std::vector<int16_t> run(PskModulator& m, size_t n) {
    std::vector<int16_t> out(n);
    int due = 0;
    for (auto& s : out) {
        s = m.nextSample(due);
    }
    return out;
}

TEST(PskModulator, StepsAtNominalRate) {
    PskModulator m;
    EXPECT_EQ(m.carrierStep(), 5944);
    EXPECT_EQ(m.symbolStep(), 12173943u);
    m.configure(31.25, 62.5);
    EXPECT_EQ(m.symbolStep(), 24347887u);
    EXPECT_EQ(m.carrierStep(), 5944);
    // A zero rate keeps the previous steps instead of dividing by it.
    m.setSampleRate(0.0);
    EXPECT_EQ(m.symbolStep(), 24347887u);
    m.setSampleRate(8000.0);
    EXPECT_EQ(m.carrierStep(), 8192);
    EXPECT_EQ(m.symbolStep(), 33554432u);
}

TEST(PskModulator, SymbolClockWrapsEvery352Point8SamplesOnAverage) {
    PskModulator m;
    // Over a long run the wraps come every 2^32 / 12173943 = 352.8 samples, never resynchronised.
    std::vector<int16_t> s(1000000);
    std::vector<size_t> wrapsAt;
    int due = 0;
    for (size_t n = 0; n < s.size(); ++n) {
        s[n] = m.nextSample(due);
        if (due) wrapsAt.push_back(n);
    }
    ASSERT_GT(wrapsAt.size(), 2000u);
    const double average = static_cast<double>(wrapsAt.back() - wrapsAt.front()) /
                           static_cast<double>(wrapsAt.size() - 1);
    EXPECT_NEAR(average, 352.8, 0.01);
    // Every period is 352 or 353 samples long.
    const auto spans = probe::symbolSpans(100000, m.symbolStep());
    for (size_t k = 1; k < spans.size(); ++k) {
        const size_t len = spans[k].last - spans[k].first + 1;
        EXPECT_TRUE(len == 352 || len == 353) << len;
    }
}

TEST(PskModulator, SteadyCarrierPeaksAt32766) {
    PskModulator m;
    m.pushSymbol(kSymbolPhase0);
    m.pushSymbol(kSymbolPhase0);
    const auto s = run(m, 4000);
    EXPECT_EQ(*std::max_element(s.begin(), s.end()), 32766);
    EXPECT_EQ(*std::min_element(s.begin(), s.end()), -32766);
}

TEST(PskModulator, CarrierRisesFromSilenceOverOneSymbol) {
    PskModulator m;
    m.pushSymbol(kSymbolPhase0);  // from silence (both points 4 after reset)
    const auto s = run(m, 352);
    auto peakNear = [&](size_t at) {
        int peak = 0;
        for (size_t n = at; n < at + 12; ++n) peak = std::max(peak, std::abs(int{s[n]}));
        return peak;
    };
    EXPECT_LT(peakNear(0), 200);
    EXPECT_NEAR(peakNear(170), 16383, 1500);  // half amplitude half-way
    EXPECT_GT(peakNear(340), 32000);
}

TEST(PskModulator, ReversalPassesThroughZeroMidSymbol) {
    PskModulator m;
    m.pushSymbol(kSymbolPhase0);
    m.pushSymbol(kSymbolPhase180);
    const auto s = run(m, 352);  // the clock starts at 0: one whole period
    int start = 0;
    int mid = 0;
    for (size_t n = 0; n < 12; ++n) start = std::max(start, std::abs(int{s[n]}));
    for (size_t n = 174; n < 180; ++n) mid = std::max(mid, std::abs(int{s[n]}));
    EXPECT_GT(start, 32000);
    EXPECT_LT(mid, 1000);
}

TEST(PskModulator, EachSymbolIsItsConstellationPoint) {
    PskModulator m;
    const int sequence[] = {0, 1, 2, 3, 4, 3, 0, 2, 4, 4, 1};
    std::vector<int16_t> s;
    int due = 1;
    for (int sym : sequence) {
        m.pushSymbol(sym);
        do s.push_back(m.nextSample(due));
        while (!due);
    }
    const auto got = probe::symbols(s, m.symbolStep(), m.carrierStep());
    EXPECT_EQ(got, std::vector<int>(std::begin(sequence), std::end(sequence)));
}

TEST(PskModulator, SymbolsAreStoredModulo12) {
    PskModulator m;
    m.pushSymbol(14);
    EXPECT_EQ(m.curSymbol(), 2);
    m.pushSymbol(-1);
    EXPECT_EQ(m.prevSymbol(), 2);
    EXPECT_EQ(m.curSymbol(), 11);
    // Points beyond 4 send no carrier.
    m.pushSymbol(7);
    run(m, 400);
    const auto s = run(m, 400);
    EXPECT_TRUE(std::all_of(s.begin(), s.end(), [](int16_t v) { return v == 0; }));
}

TEST(PskModulator, ResetRestartsClockAndPhaseOnly) {
    PskModulator m;
    m.setCarrierFrequency(1500.0);
    run(m, 1234);
    m.reset();
    EXPECT_EQ(m.symbolClock(), 0u);
    EXPECT_EQ(m.carrierPhase(), 0);
    EXPECT_EQ(m.prevSymbol(), 4);
    EXPECT_EQ(m.curSymbol(), 4);
    EXPECT_EQ(m.carrierStep(), 8916);
}

}  // namespace
}  // namespace tarnvel::modem
