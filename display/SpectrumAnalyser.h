#pragma once
// Turns one 2048-sample block into a row of 1024 logarithmic power values.
//
// Bin k (1..1023) is centred on k x sample rate / 2048 Hz. Its value is
//   L = log10(|X_k|^2 + 28145.8) - 4.4494132
// so that a bin with no energy reads close to 0; bin 0 (the DC term) is never computed and
// stays 0. The floor constant keeps the logarithm finite and sets 0 dB of the waterfall at an
// amplitude of about 167.8 in the unnormalised transform.

#include <array>

#include "display/SpectrumCollector.h"
#include "display/SpectrumWindow.h"

namespace tarnvel::display {

inline constexpr int kSpectrumBins = kSpectrumBlockSize / 2;  // 0 Hz up to half the rate

using SpectrumRow = std::array<float, kSpectrumBins>;

class SpectrumAnalyser {
  public:
    // Builds the transform plan once; nothing is allocated per row afterwards. The transform
    // library's planner is not thread-safe: construct analysers on one thread.
    SpectrumAnalyser();
    ~SpectrumAnalyser();
    SpectrumAnalyser(const SpectrumAnalyser&) = delete;
    SpectrumAnalyser& operator=(const SpectrumAnalyser&) = delete;

    // Transforms the 2048 values of input and writes output[k] = scale x power(k) for
    // k = firstBin..lastBin (clamped to 0..1023). With averagingCount of 2 or more each bin's
    // power moves 1/averagingCount of the way from its previous value to the new one.
    // The input is left unchanged.
    void compute(const float* input, int firstBin, int lastBin, float scale, int averagingCount,
                 float* output);

    // The waterfall's use: window the block in place, then a whole row with scale 0.5 (log10 of
    // the amplitude) and no averaging.
    void analyseBlock(float* block, SpectrumWindow window, SpectrumRow& row);

    // The stored power of bin k (0..1023), before scaling.
    float power(int bin) const { return power_[static_cast<size_t>(bin)]; }
    int averagingCount() const { return averagingCount_; }
    bool averaging() const { return averaging_; }

  private:
    struct Plan;
    Plan* plan_;
    std::array<float, kSpectrumBins> power_{};
    int averagingCount_ = 1;
    bool averaging_ = false;
};

}  // namespace tarnvel::display
