#include "modem/PskFrequencyLoop.h"

#include "modem/ComplexMagnitude.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tarnvel::modem {

void PskFrequencyLoop::reset() {
    previous_ = {};
    average_ = {};
    meanSize_ = 0.0f;
    correction_ = 0.0f;
}

void PskFrequencyLoop::clear() {
    reset();
}

void PskFrequencyLoop::setOrder(int order) {
    if (order == order_) return;
    order_ = order == 4 ? 4 : 2;
    average_ = {};
}

void PskFrequencyLoop::update(std::complex<float> symbol) {
    const std::complex<float> change = symbol * std::conj(previous_);
    previous_ = symbol;
    const float size = magnitude(change);
    if (!(size > 0.0f)) return;
    // The unit change raised to the M-th power, weighted by the change's strength (the
    // strength of a symbol pair can reach 1e15, so its powers would overflow).
    std::complex<float> raised = change / size;
    raised *= raised;
    if (order_ == 4) raised *= raised;
    raised *= size;
    average_ += kAverageWeight * (raised - average_);
    meanSize_ += kAverageWeight * (size - meanSize_);
    const float coherence = magnitude(average_) / meanSize_;
    const float gain =
        std::clamp((coherence - kHoldCoherence) / (kFullCoherence - kHoldCoherence), 0.0f, 1.0f);
    const float range = std::numbers::pi_v<float> / static_cast<float>(order_);
    correction_ =
        std::clamp(correction_ + gain * kLoopGain * std::arg(average_) / static_cast<float>(order_),
                   -range, range);
}

}  // namespace tarnvel::modem
