#pragma once
// Mapping between audio frequency, spectrum bin and waterfall column, and the frequency scale
// strip above the waterfall.
//
// At the natural scale one column is one bin (sample rate / 2048 Hz); a zoomed view draws a bin
// pixelsPerBin columns wide (bin k at x = round(k x pixelsPerBin)). In "FreqMode" 2 (radio
// frequency, lower sideband) the columns are mirrored: bin k sits at x = width - x(k), so bin 0
// lands on x = width, one past the last column.

#include <array>
#include <cstdint>
#include <string>

namespace tarnvel::display {

// "FreqMode" values.
inline constexpr int kFreqModeAudio = 0;
inline constexpr int kFreqModeUpperSideband = 1;
inline constexpr int kFreqModeLowerSideband = 2;

inline constexpr int kScaleStripHeight = 20;
inline constexpr int kScaleTickCount = 55;  // one tick per 100 Hz up to 5.5 kHz

struct ScaleTick {
    int x = 0;
    int top = 0;  // the tick runs from top to kScaleTickBottom
    bool labelled = false;
    std::string label;  // centred in (x - 50, 0, x + 50, 10)
};
inline constexpr int kScaleTickBottom = 19;

class FrequencyScale {
  public:
    FrequencyScale(int freqMode, int clientWidth, double sampleRate, double pixelsPerBin = 1.0)
        : freqMode_(freqMode),
          width_(clientWidth),
          sampleRate_(sampleRate),
          pixelsPerBin_(pixelsPerBin > 0.0 ? pixelsPerBin : 1.0) {}

    bool mirrored() const { return freqMode_ == kFreqModeLowerSideband; }
    int width() const { return width_; }
    double pixelsPerBin() const { return pixelsPerBin_; }

    int frequencyToX(double frequency) const;
    // The bin nearest to what column x shows; at the natural scale x itself (mirrored:
    // width - x), so that x -> bin -> x returns x.
    int xToBin(int x) const;
    int binToX(int bin) const;
    double xToFrequency(int x) const;

    // The 55 ticks of the scale strip, one per 100 Hz of audio. dialKHz is the dial frequency
    // of the current band page (0 in "FreqMode" 0); labels name whole audio Hertz in
    // "FreqMode" 0 and whole radio kilohertz otherwise.
    std::array<ScaleTick, kScaleTickCount> ticks(double dialKHz) const;

  private:
    int freqMode_;
    int width_;
    double sampleRate_;
    double pixelsPerBin_;
};

}  // namespace tarnvel::display
