// The BPSK sign search behind the matched filter: exact and on time without noise, and better
// than deciding each mixed sample by its sign when noise is present.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "modem/BpskSequenceDecider.h"

namespace tarnvel::modem {
namespace {

constexpr int kDepth = BpskSequenceDecider::kDecisionDepth;

std::vector<float> randomSigns(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::bernoulli_distribution coin(0.5);
    std::vector<float> signs(n);
    for (float& s : signs) s = coin(rng) ? 1.0f : -1.0f;
    return signs;
}

// What the matched filter gives at each instant: the symbol, `share` of each neighbour, and
// noise correlated between neighbours as the filter makes it (variance `sigma`^2, and `share`
// of it shared with each neighbour).
std::vector<float> matchedSamples(const std::vector<float>& signs, float amplitude, float share,
                                  float sigma, uint32_t seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<float> white(0.0f, sigma);
    const float a = (std::sqrt(1.0f + 2.0f * share) + std::sqrt(1.0f - 2.0f * share)) / 2.0f;
    const float b = (std::sqrt(1.0f + 2.0f * share) - std::sqrt(1.0f - 2.0f * share)) / 2.0f;
    std::vector<float> out(signs.size());
    float previousWhite = white(rng);
    for (size_t k = 0; k < signs.size(); ++k) {
        const float before = k > 0 ? signs[k - 1] : 0.0f;
        const float after = k + 1 < signs.size() ? signs[k + 1] : 0.0f;
        const float w = white(rng);
        out[k] = amplitude * (signs[k] + share * (before + after)) + a * w + b * previousWhite;
        previousWhite = w;
    }
    return out;
}

TEST(BpskSequenceDecider, GivesEverySignDecisionDepthSymbolsLateWithoutNoise) {
    for (const float amplitude : {1.0f, 3.0e5f}) {
        const std::vector<float> signs = randomSigns(400, 1);
        const std::vector<float> z = matchedSamples(signs, amplitude, 1.0f / 6.0f, 0.0f, 2);
        BpskSequenceDecider decider;
        for (size_t k = 0; k < signs.size(); ++k) {
            const float decided = decider.step(z[k], amplitude / 6.0f);
            if (k >= kDepth) {
                ASSERT_EQ(decided, signs[k - kDepth]) << k;
            }
        }
        decider.reset();
        EXPECT_EQ(decider.step(-amplitude, 0.0f), 1.0f);  // nothing decided yet after a reset
    }
}

TEST(BpskSequenceDecider, MakesFewerErrorsThanTheSignOfEachSample) {
    // A large share (the eye opens to 1 - 2 * 0.3) shows what the search recovers.
    constexpr float kShare = 0.3f;
    const std::vector<float> signs = randomSigns(20000, 3);
    const std::vector<float> z = matchedSamples(signs, 1.0f, kShare, 0.45f, 4);
    BpskSequenceDecider decider;
    int searchErrors = 0;
    int signErrors = 0;
    for (size_t k = 0; k < signs.size(); ++k) {
        const float decided = decider.step(z[k], kShare);
        if (k >= kDepth && decided != signs[k - kDepth]) ++searchErrors;
        if ((z[k] >= 0.0f ? 1.0f : -1.0f) != signs[k]) ++signErrors;
    }
    EXPECT_GT(signErrors, 200);
    EXPECT_LT(searchErrors * 2, signErrors) << searchErrors << " against " << signErrors;
}

}  // namespace
}  // namespace tarnvel::modem
