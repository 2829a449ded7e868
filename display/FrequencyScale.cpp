#include "display/FrequencyScale.h"

#include <cmath>
#include <cstdio>

namespace tarnvel::display {

namespace {

constexpr double kFftLength = 2048.0;
constexpr int kTickSpacingHz = 100;
constexpr int kLongTickHz = 500;
constexpr int kLabelHz = 1000;
constexpr int kShortTickTop = 16;
constexpr int kLongTickTop = 13;

std::string formatInt(int64_t v) {
    char text[24];
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(v));
    return text;
}

}  // namespace

int FrequencyScale::frequencyToX(double frequency) const {
    const int x = static_cast<int>(frequency * kFftLength / sampleRate_ * pixelsPerBin_ + 0.5);
    return mirrored() ? width_ - x : x;
}

int FrequencyScale::xToBin(int x) const {
    const int fromLeft = mirrored() ? width_ - x : x;
    if (pixelsPerBin_ == 1.0) return fromLeft;
    return static_cast<int>(std::floor(fromLeft / pixelsPerBin_ + 0.5));
}

int FrequencyScale::binToX(int bin) const {
    const int x =
        pixelsPerBin_ == 1.0 ? bin : static_cast<int>(std::floor(bin * pixelsPerBin_ + 0.5));
    return mirrored() ? width_ - x : x;
}

double FrequencyScale::xToFrequency(int x) const {
    return xToBin(x) * sampleRate_ / kFftLength;
}

std::array<ScaleTick, kScaleTickCount> FrequencyScale::ticks(double dialKHz) const {
    // The dial in Hertz, rounded to 100 Hz. 64 bits: a microwave dial in kHz overflows 32.
    const int64_t dial = static_cast<int64_t>(dialKHz * 10.0 + 0.5) * 100;
    std::array<ScaleTick, kScaleTickCount> out;
    for (int h = 1; h <= kScaleTickCount; ++h) {
        ScaleTick& t = out[static_cast<size_t>(h - 1)];
        const int audio = kTickSpacingHz * h;
        const int64_t radio = dial + (mirrored() ? -audio : audio);
        t.x = frequencyToX(audio);
        t.top = radio % kLongTickHz == 0 ? kLongTickTop : kShortTickTop;
        t.labelled = radio % kLabelHz == 0;
        if (!t.labelled) continue;
        if (freqMode_ == kFreqModeAudio)
            t.label = formatInt(audio);
        else
            t.label = formatInt(radio / 1000);
    }
    return out;
}

}  // namespace tarnvel::display
