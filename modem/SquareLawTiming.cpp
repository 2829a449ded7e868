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
    toneWeight_ = shortWeight_ = 1.0f;
    counter_ = 0;
}

void SquareLawTiming::countSample(float seen) {
    samplesSeen_ = seen;
    toneWeight_ = 1.0f / samplesSeen_;
    shortWeight_ = 1.0f / std::min(samplesSeen_, kShortAverageSymbols * kSymbolSpan);
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
    countSample(std::min(samplesSeen_, kShortAverageSymbols * kSymbolSpan));
    disagreeing_ = 0;
}

std::complex<float> SquareLawTiming::takeSymbol(std::complex<float> sample) {
    // The instant lies -untilSymbol_ samples before this one (less than one sample).
    const float back = -untilSymbol_;
    lastFraction_ = back;
    followJump();
    const float instant = static_cast<float>(counter_) - back;
    const float error = wrapToHalfSymbol(peakPosition() - instant);
    untilSymbol_ += kSymbolSpan + std::clamp(kClockGain * error, -kMaxStep, kMaxStep);
    return sample * (1.0f - back) + previous_ * back;
}

}  // namespace tarnvel::modem
