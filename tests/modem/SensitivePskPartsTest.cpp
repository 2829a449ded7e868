// The pieces of the sensitive PSK receiver on their own: soft-decision QPSK decoding, symbol
// timing from the signal power, and the frequency loop.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

#include "modem/PskFrequencyLoop.h"
#include "modem/SoftQpskViterbi.h"
#include "modem/SquareLawTiming.h"

namespace tarnvel::modem {
namespace {

using cf = std::complex<float>;

// The phase changes a QPSK31 transmitter makes for data bits (each bit's complement enters the
// encoder), as unit phasors: dibit 0 none, 1 -90, 2 180, 3 +90 degrees.
std::vector<cf> encodeQpsk(const std::vector<int>& bits, bool inverted) {
    std::vector<cf> changes;
    unsigned reg = 0;
    for (const int bit : bits) {
        reg = ((reg << 1) | static_cast<unsigned>(bit ^ 1)) & 31u;
        int dibit = (std::popcount(reg & 25u) & 1) * 2 + (std::popcount(reg & 23u) & 1);
        if (inverted) dibit = (4 - dibit) & 3;
        changes.push_back(
            std::polar(1.0f, -std::numbers::pi_v<float> / 2 * static_cast<float>(dibit)));
    }
    return changes;
}

std::vector<int> randomBits(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<int> bits(n);
    for (int& b : bits) b = static_cast<int>(rng() & 1u);
    return bits;
}

// Decodes and lines the output up with the input (the decoder answers 24 bits late).
std::vector<int> decode(const std::vector<cf>& changes, bool inverted) {
    SoftQpskViterbi viterbi;
    std::vector<int> out;
    for (const cf c : changes) out.push_back(viterbi.step(c, inverted));
    out.erase(out.begin(), out.begin() + SoftQpskViterbi::kDecisionDepth);
    return out;
}

TEST(SoftQpskViterbi, DecodesBothSensesAndCorrectsWeakWrongSymbols) {
    for (const bool inverted : {false, true}) {
        const std::vector<int> bits = randomBits(400, 3);
        std::vector<cf> changes = encodeQpsk(bits, inverted);
        // Every 20th symbol is replaced by a weak change in the wrong direction.
        for (size_t n = 10; n < changes.size(); n += 20) changes[n] *= cf(0.0f, -0.3f);
        const std::vector<int> out = decode(changes, inverted);
        const std::vector<int> head(bits.begin(), bits.begin() + static_cast<long>(out.size()));
        EXPECT_EQ(out, head) << "inverted " << inverted;
    }
}

TEST(SoftQpskViterbi, StartsAsIdleAndResetStartsAgain) {
    SoftQpskViterbi viterbi;
    // Before anything is known the output is idle (0 bits), whatever comes in.
    for (int n = 0; n < SoftQpskViterbi::kDecisionDepth; ++n)
        EXPECT_EQ(viterbi.step(cf(0.0f, 1.0f), false), 0);
    viterbi.reset();
    EXPECT_EQ(viterbi.step(cf(1.0f, 0.0f), false), 0);
}

TEST(SquareLawTiming, SamplesAtTheMiddleOfTheSymbolsWhereverTheyStart) {
    for (const float shift : {0.0f, 3.3f, 7.9f, 12.5f}) {
        SquareLawTiming timing;
        // BPSK reversals through a raised-cosine pulse: power peaks at the symbol middles,
        // which lie `shift` samples after each multiple of 16.
        std::vector<cf> taken;
        for (int n = 0; n < 16 * 200; ++n) {
            const float x =
                std::cos(std::numbers::pi_v<float> * (static_cast<float>(n) - shift) / 16.0f);
            cf symbol;
            if (timing.push(cf(1000.0f * x, 0.0f), symbol)) taken.push_back(symbol);
        }
        ASSERT_NEAR(static_cast<double>(taken.size()), 200.0, 1.0);
        const float off = std::remainder(timing.peakPosition() - shift, 16.0f);
        EXPECT_NEAR(off, 0.0f, 0.2f) << shift;
        // Once settled, every symbol is sampled within 1.5 % of its peak amplitude.
        for (size_t k = taken.size() - 50; k < taken.size(); ++k)
            EXPECT_GT(std::abs(taken[k]), 985.0f) << shift << " symbol " << k;
    }
}

TEST(SquareLawTiming, FollowsAJumpOfTheSymbolClockWithinAFewDozenSymbols) {
    SquareLawTiming timing;
    std::vector<float> sizes;
    // Reversals peaking at 2 samples after each multiple of 16; after 300 symbols six samples
    // are lost, so the peaks then lie at 12.
    for (int n = 0; n < 16 * 600; ++n) {
        const int at = n < 16 * 300 ? n : n + 6;
        const float x =
            std::cos(std::numbers::pi_v<float> * (static_cast<float>(at) - 2.0f) / 16.0f);
        cf symbol;
        if (timing.push(cf(1000.0f * x, 0.0f), symbol)) sizes.push_back(std::abs(symbol));
    }
    ASSERT_GT(sizes.size(), 560u);
    for (size_t k = 340; k < sizes.size(); ++k) EXPECT_GT(sizes[k], 985.0f) << "symbol " << k;
}

TEST(PskFrequencyLoop, PullsInWithinItsRangeForBothOrders) {
    struct Case {
        int order;
        float radians;  // rotation per symbol the signal has
    };
    for (const Case c : {Case{2, 1.3f}, Case{2, -1.3f}, Case{4, 0.6f}, Case{4, -0.6f}}) {
        PskFrequencyLoop loop;
        loop.setOrder(c.order);
        std::mt19937 rng(9);
        float phase = 0.0f;
        const float step = 2.0f * std::numbers::pi_v<float> / static_cast<float>(c.order);
        for (int k = 0; k < 600; ++k) {
            phase += c.radians - loop.radiansPerSymbol();
            const float data = step * static_cast<float>(rng() % static_cast<unsigned>(c.order));
            loop.update(std::polar(5.0e7f, phase + data));
        }
        EXPECT_NEAR(loop.radiansPerSymbol(), c.radians, 0.01) << c.order << " " << c.radians;
    }
}

TEST(PskFrequencyLoop, ShiftMovesTheCorrectionAndClearForgetsIt) {
    PskFrequencyLoop loop;
    loop.shift(0.25f);
    EXPECT_FLOAT_EQ(loop.radiansPerSymbol(), 0.25f);
    loop.clear();
    EXPECT_EQ(loop.radiansPerSymbol(), 0.0f);
}

}  // namespace
}  // namespace tarnvel::modem
