#include "modem/ImdMeter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tarnvel::modem {

namespace {

constexpr double kFftLength = 2048.0;
// The measurement reaches 70 Hz (140 in BPSK63) either side: keep it inside the spectrum.
constexpr int kFirstBin = 50;
constexpr int kLastBin = 975;
constexpr int32_t kIdleZeroRun = 20;
constexpr int kHoldTicks = 3;
// Products less than this far above the noise only bound the IMD.
constexpr float kBoundMarginDb = 3.0f;
constexpr float kNoiseIndicatorOffset = 40.0f;

int truncated(double v) {
    return static_cast<int>(v);
}

int binsFor(double hertz, double sampleRate, double rounding) {
    return truncated(hertz * kFftLength / sampleRate + rounding);
}

// Whole-dB level of the weaker of the two bins at distance d: both sides must carry it.
int weakerSide(const SpectrumLevels& levels, int bin, int d) {
    return std::min(truncated(levels.level(bin - d)), truncated(levels.level(bin + d)));
}

}  // namespace

void ImdMeter::measure(const SpectrumLevels& levels, int r, Mode mode, double sampleRate) {
    if (r < kFirstBin || r > kLastBin) {
        signalLevel_ = 0.0f;
        signalToNoise_ = 0.0f;
        if (!shown_) imd_ = 0.0f;
        return;
    }
    const double e = isFastPsk(mode) ? 2.0 : 1.0;  // twice the reach at twice the baud

    auto tones = static_cast<float>(levels.level(r));
    const int toneReach = binsFor(16.0 * e, sampleRate, 0.5);
    for (int g = 1; g <= toneReach; ++g) {
        const int l = weakerSide(levels, r, g);
        if (tones <= static_cast<float>(l)) tones = static_cast<float>(l);
    }

    const int noiseFrom = binsFor(60.0 * e, sampleRate, 0.0);
    const int noiseTo = binsFor(70.0 * e, sampleRate, 0.5);
    double noiseSum = 0.0;
    for (int j = noiseFrom; j <= noiseTo; ++j)
        noiseSum += levels.level(r - j) + levels.level(r + j);
    const auto noise = static_cast<float>(noiseSum / ((noiseTo - noiseFrom + 1) * 2));

    const int productsFrom = binsFor(43.0 * e, sampleRate, 0.5);
    const int productsTo = binsFor(55.0 * e, sampleRate, 0.0);
    auto products = static_cast<float>(levels.level(r - productsFrom));
    for (int j = productsFrom; j <= productsTo; ++j) {
        const int l = weakerSide(levels, r, j);
        if (products <= static_cast<float>(l)) products = static_cast<float>(l);
    }

    const float value = tones - products + 0.5f;
    signalToNoise_ = tones - noise;
    signalLevel_ = tones;
    if (!shown_) imd_ = std::max(value, 0.0f);
    indicatorSnr_ = truncated(tones - noise);
    indicatorNoise_ = truncated(noise + kNoiseIndicatorOffset);
}

void ImdMeter::timerTick(int32_t zeroRun) {
    if (zeroRun > kIdleZeroRun) imdHold_ = kHoldTicks;
    if (imdHold_ > 0) --imdHold_;
}

std::string ImdMeter::paneText(bool alwaysShow) const {
    if (imdHold_ <= 0 && !alwaysShow && !shown_) return "IMD:";
    // Rounded as the format rounds, then + 0 turns -0 into 0: an IMD of 0.5 dB or less
    // reads "0 dB", not "-0 dB".
    const double shownValue = std::nearbyint(-static_cast<double>(imd_)) + 0.0;
    const bool known = signalToNoise_ - imd_ >= kBoundMarginDb || shown_;
    char text[48];
    std::snprintf(text, sizeof text, known ? "IMD: %4.0f dB" : "IMD: <%4.0f dB", shownValue);
    return text;
}

std::string ImdMeter::macroText() const {
    return shown_ ? paneText(false) : std::string(kNotMeasuredText);
}

}  // namespace tarnvel::modem
