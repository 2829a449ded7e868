#include "modem/SoftQpskViterbi.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace tarnvel::modem {

SoftQpskViterbi::SoftQpskViterbi() {
    // The encoder's register: the newest input bit at bit 0; its dibit from two parities.
    for (unsigned r = 0; r < 2 * kStates; ++r)
        dibits_[r] = (std::popcount(r & 25u) & 1) * 2 + (std::popcount(r & 23u) & 1);
    reset();
}

void SoftQpskViterbi::reset() {
    metrics_.fill(0.0f);
    // The idle signal is all ones at the encoder's input; a start in noise then decodes as idle.
    histories_.fill(~0u);
    agreements_.fill(0.0f);
    windowSymbols_ = 0;
    quality_ = 0;
    qualityUpdated_ = false;
}

int SoftQpskViterbi::qualityOf(float meanAgreement) {
    const float scaled = (meanAgreement - kAgreementFloor) / (1.0f - kAgreementFloor);
    if (!(scaled > 0.0f)) return 0;  // NaN too
    return static_cast<int>(std::lround(std::min(scaled, 1.0f) * kBestQuality));
}

void SoftQpskViterbi::closeQualityWindow(int best) {
    quality_ = qualityOf(agreements_[static_cast<size_t>(best)] / kQualityWindow);
    agreements_.fill(0.0f);
    windowSymbols_ = 0;
    qualityUpdated_ = true;
}

int SoftQpskViterbi::step(std::complex<float> change, bool inverted) {
    // Agreement with each dibit: 0 no change, 1 -90 degrees, 2 half a turn, 3 +90 degrees.
    const float quarter = inverted ? -change.imag() : change.imag();
    const std::array<float, 4> score = {change.real(), -quarter, -change.real(), quarter};
    // A score over the change's size is the cosine; a change of nothing agrees with nothing.
    const float size = std::abs(change);
    const float perSize = size > 0.0f ? 1.0f / size : 0.0f;

    std::array<float, kStates> metrics{};
    std::array<uint32_t, kStates> histories{};
    std::array<float, kStates> agreements{};
    for (int t = 0; t < kStates; ++t) {
        // The two branches into state t differ in the oldest register bit.
        const int a = t;
        const int b = t + kStates;
        const float ma =
            metrics_[static_cast<size_t>(a >> 1)] + score[static_cast<size_t>(dibits_[a])];
        const float mb =
            metrics_[static_cast<size_t>(b >> 1)] + score[static_cast<size_t>(dibits_[b])];
        const int from = ma > mb ? a : b;
        metrics[static_cast<size_t>(t)] = std::max(ma, mb);
        histories[static_cast<size_t>(t)] =
            (histories_[static_cast<size_t>(from >> 1)] << 1) | static_cast<uint32_t>(from & 1);
        agreements[static_cast<size_t>(t)] = agreements_[static_cast<size_t>(from >> 1)] +
                                             score[static_cast<size_t>(dibits_[from])] * perSize;
    }
    // Keep the metrics near zero; only their differences count.
    const auto best = std::max_element(metrics.begin(), metrics.end());
    const float top = *best;
    for (float& m : metrics) m -= top;
    metrics_ = metrics;
    histories_ = histories;
    agreements_ = agreements;
    const auto bestState = static_cast<int>(best - metrics.begin());
    qualityUpdated_ = false;
    if (++windowSymbols_ >= kQualityWindow) closeQualityWindow(bestState);
    const uint32_t path = histories_[static_cast<size_t>(bestState)];
    // The encoder got the complement of each data bit.
    return ((path >> kDecisionDepth) & 1u) != 0 ? 0 : 1;
}

}  // namespace tarnvel::modem
