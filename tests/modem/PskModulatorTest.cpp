#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "TransmitProbe.h"
#include "modem/PskModulator.h"

namespace tarnvel::modem {
namespace {

TEST(PskModulator, StepsFollowRatesAndFrequency) {
    PskModulator m;
    EXPECT_EQ(m.carrierStep(), 5944);
    EXPECT_EQ(m.symbolStep(), 12173943u);
    m.configure(31.25, 62.5);
    EXPECT_EQ(m.symbolStep(), 24347887u);
    m.setSampleRate(0.0);  // ignored rather than divided by
    EXPECT_EQ(m.symbolStep(), 24347887u);
    m.setSampleRate(8000.0);
    EXPECT_EQ(m.carrierStep(), 8192);
    EXPECT_EQ(m.symbolStep(), 33554432u);
}

TEST(PskModulator, SymbolClockWrapsEvery352Point8SamplesOnAverage) {
    PskModulator m;
    std::vector<size_t> wraps;
    int due = 0;
    for (size_t n = 0; n < 1000000; ++n) {
        m.nextSample(due);
        if (due) wraps.push_back(n);
    }
    const double average =
        static_cast<double>(wraps.back() - wraps.front()) / static_cast<double>(wraps.size() - 1);
    EXPECT_NEAR(average, 352.8, 0.01);
    for (size_t k = 1; k < wraps.size(); ++k)
        EXPECT_TRUE(wraps[k] - wraps[k - 1] == 352 || wraps[k] - wraps[k - 1] == 353);
}

TEST(PskModulator, SteadyCarrierPeaksAt32766AndReversalPassesThroughZero) {
    PskModulator m;
    m.pushSymbol(kSymbolPhase0);
    m.pushSymbol(kSymbolPhase0);
    std::vector<int16_t> s(4000);
    int due = 0;
    for (auto& v : s) v = m.nextSample(due);
    EXPECT_EQ(*std::max_element(s.begin(), s.end()), 32766);
    EXPECT_EQ(*std::min_element(s.begin(), s.end()), -32766);

    m.reset();  // clock at 0: the next 352 samples are one whole period
    m.pushSymbol(kSymbolPhase0);
    m.pushSymbol(kSymbolPhase180);
    int start = 0;
    int mid = 0;
    for (int n = 0; n < 352; ++n) {
        const int v = std::abs(int{m.nextSample(due)});
        if (n < 12) start = std::max(start, v);
        if (n >= 174 && n < 180) mid = std::max(mid, v);
    }
    EXPECT_GT(start, 32000);
    EXPECT_LT(mid, 1000);
}

TEST(PskModulator, EachSymbolIsItsConstellationPoint) {
    PskModulator m;
    // Values are kept modulo 12, and points above 4 send no carrier either.
    const std::vector<int> sent = {0, 1, 2, 3, 4, 3, 0, 2, 14, 4, 7, 1, -12};
    std::vector<int16_t> s;
    int due = 1;
    for (int sym : sent) {
        m.pushSymbol(sym);
        do s.push_back(m.nextSample(due));
        while (!due);
    }
    const std::vector<int> expected = {0, 1, 2, 3, 4, 3, 0, 2, 2, 4, 4, 1, 0};
    EXPECT_EQ(probe::symbols(s, m.symbolStep(), m.carrierStep()), expected);
}

}  // namespace
}  // namespace tarnvel::modem
