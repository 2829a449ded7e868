#include "modem/SquareLawTiming.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tarnvel::modem {

namespace {

constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;
constexpr float kSymbolSpan = static_cast<float>(SquareLawTiming::kSamplesPerSymbol);

// x wrapped into [-span/2, span/2).
float wrapToHalfSymbol(float x) {
    return x - kSymbolSpan * std::floor(x / kSymbolSpan + 0.5f);
}

}  // namespace

SquareLawTiming::SquareLawTiming() {
    for (int n = 0; n < kSamplesPerSymbol; ++n)
        basis_[static_cast<size_t>(n)] = std::polar(1.0f, -kTwoPi * n / kSymbolSpan);
}

void SquareLawTiming::reset() {
    tone_ = {};
    shortTone_ = {};
    disagreeing_ = 0;
    previous_ = {};
    untilSymbol_ = kSymbolSpan;
    lastFraction_ = 0.0f;
    samplesSeen_ = 0.0f;
    counter_ = 0;
}

float SquareLawTiming::peakOf(std::complex<float> tone) {
    const float peak = -std::arg(tone) * kSymbolSpan / kTwoPi;
    return peak < 0.0f ? peak + kSymbolSpan : peak;
}

float SquareLawTiming::peakPosition() const {
    return peakOf(tone_);
}

void SquareLawTiming::followJump() {
    const float apart = wrapToHalfSymbol(peakOf(shortTone_) - peakOf(tone_));
    disagreeing_ = std::abs(apart) > kJumpSamples ? disagreeing_ + 1 : 0;
    if (disagreeing_ < kJumpSymbols) return;
    tone_ = shortTone_;
    samplesSeen_ = std::min(samplesSeen_, kShortAverageSymbols * kSymbolSpan);
    disagreeing_ = 0;
}

bool SquareLawTiming::push(std::complex<float> sample, std::complex<float>& symbol) {
    constexpr float kLongestAverage = kAverageSymbols * kSymbolSpan;
    if (samplesSeen_ < kLongestAverage) samplesSeen_ += 1.0f;
    const float power = std::norm(sample);
    const std::complex<float> term = power * basis_[static_cast<size_t>(counter_)];
    // Weights as reciprocals: a complex number over a float divides twice.
    tone_ += (term - tone_) * (1.0f / samplesSeen_);
    constexpr float kShortAverage = kShortAverageSymbols * kSymbolSpan;
    shortTone_ += (term - shortTone_) * (1.0f / std::min(samplesSeen_, kShortAverage));

    bool taken = false;
    untilSymbol_ -= 1.0f;
    if (untilSymbol_ <= 0.0f) {
        // The instant lies -untilSymbol_ samples before this one (less than one sample).
        const float back = -untilSymbol_;
        symbol = sample * (1.0f - back) + previous_ * back;
        lastFraction_ = back;
        followJump();
        const float instant = static_cast<float>(counter_) - back;
        const float error = wrapToHalfSymbol(peakPosition() - instant);
        untilSymbol_ += kSymbolSpan + std::clamp(kClockGain * error, -kMaxStep, kMaxStep);
        taken = true;
    }
    previous_ = sample;
    counter_ = (counter_ + 1) % kSamplesPerSymbol;
    return taken;
}

}  // namespace tarnvel::modem
