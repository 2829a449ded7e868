#pragma once
// The last eight spectrum rows, and the level measurements made from them.
//
// Each stored value is 20 x (analyser output) - 90: decibels above the analyser floor, minus
// 90. Averaging eight rows (about 1.5 s at 11025 samples/s) steadies the snap, the signal
// search and the IMD figure against single noisy rows.

#include <array>

#include "display/SpectrumAnalyser.h"
#include "modem/Mode.h"
#include "modem/SpectrumLevels.h"

namespace tarnvel::display {

inline constexpr int kHistoryRows = 8;

class SpectrumHistory final : public modem::SpectrumLevels {
  public:
    // Stores one analyser row (scale 0.5 output) over the oldest row.
    void addRow(const SpectrumRow& analyserOutput);

    // Mean of the eight rows at a bin. A bin outside 0..1023 reads the nearest edge bin, so a
    // measurement window that reaches past the edge never reads outside the history.
    double level(int bin) const override;

    // Linear amplitude at a fractional bin, interpolated between the two neighbouring bins.
    double amplitude(double x) const;

    // Index of the oldest row's first value in the ring (a multiple of 1024).
    int writePosition() const { return writePosition_; }
    float value(int index) const { return values_[static_cast<size_t>(index)]; }

  private:
    std::array<float, kHistoryRows * kSpectrumBins> values_{};
    int writePosition_ = 0;
};

// Frequency of the signal centre near a clicked bin, in Hertz. Returns the bin's own
// frequency when snapping is off, in PACTOR, near the band edges (below bin 50, from bin 976)
// or when nothing stands 6 dB above the noise next to it.
double snapFrequency(const SpectrumHistory& history, modem::Mode mode, int bin, bool snapEnabled,
                     double sampleRate);

// Peak level at a bin against the noise a little further out, in decibels.
double signalToNoise(const SpectrumHistory& history, modem::Mode mode, int bin, double sampleRate);

// Bin nearest to a frequency: floor(f x 2048 / sample rate + 0.5).
int frequencyToBin(double frequency, double sampleRate);

}  // namespace tarnvel::display
