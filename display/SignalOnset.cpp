#include "display/SignalOnset.h"

#include <algorithm>
#include <cmath>

namespace tarnvel::display {

namespace {

constexpr double kFftLength = 2048.0;
// Half width of a BPSK31 signal's peak (the two tones of the idle are 15.6 Hz from the
// centre), and where the noise beside it is measured: past the skirts of the text's
// spectrum and short of a neighbour 100 Hz away. BPSK63 doubles every distance.
constexpr double kPeakReachHz = 16.0;
constexpr double kNoiseFromHz = 43.0;
constexpr double kNoiseToHz = 86.0;

int hzToBins(double hz, double sampleRate) {
    return std::max(1, static_cast<int>(std::lround(hz * kFftLength / sampleRate)));
}

}  // namespace

SignalOnset::SignalOnset() : rows_(static_cast<size_t>(kRows) * kSpectrumBins, 0.0f) {}

void SignalOnset::addRow(const SpectrumRow& analyserOutput) {
    newest_ = (newest_ + 1) % kRows;
    float* row = rows_.data() + static_cast<size_t>(newest_) * kSpectrumBins;
    // Scale 0.5 output is log10 of the amplitude: 20 x it is decibels of power.
    for (int k = 0; k < kSpectrumBins; ++k)
        row[k] = 20.0f * analyserOutput[static_cast<size_t>(k)];
    stored_ = std::min(stored_ + 1, kRows);
}

void SignalOnset::clear() {
    newest_ = -1;
    stored_ = 0;
}

float SignalOnset::at(int back, int bin) const {
    const int row = ((newest_ - back) % kRows + kRows) % kRows;
    const int b = std::clamp(bin, 1, kSpectrumBins - 1);
    return rows_[static_cast<size_t>(row) * kSpectrumBins + static_cast<size_t>(b)];
}

double SignalOnset::rowSignalToNoise(int back, double frequency, modem::Mode mode,
                                     double sampleRate) const {
    if (back < 0 || back >= stored_ || !(sampleRate > 0.0) || !std::isfinite(frequency))
        return 0.0;
    const double a = modem::isFastPsk(mode) ? 2.0 : 1.0;
    const int centre = static_cast<int>(std::lround(frequency * kFftLength / sampleRate));
    const int reach = hzToBins(kPeakReachHz * a, sampleRate);
    const int from = hzToBins(kNoiseFromHz * a, sampleRate);
    const int to = std::max(from, hzToBins(kNoiseToHz * a, sampleRate));
    float peak = at(back, centre);
    for (int j = -reach; j <= reach; ++j) peak = std::max(peak, at(back, centre + j));
    // A neighbouring signal raises one side only: the quieter side is the noise.
    double below = 0.0;
    double above = 0.0;
    for (int j = from; j <= to; ++j) {
        below += at(back, centre - j);
        above += at(back, centre + j);
    }
    return peak - std::min(below, above) / (to - from + 1);
}

std::optional<int> SignalOnset::rowsSinceStart(double frequency, modem::Mode mode,
                                               double sampleRate) const {
    if (stored_ == 0) return std::nullopt;
    const auto quiet = [&](int back) {
        return rowSignalToNoise(back, frequency, mode, sampleRate) < kQuietDb;
    };
    if (quiet(0)) return std::nullopt;
    int run = 0;
    for (int back = 1; back < stored_; ++back) {
        run = quiet(back) ? run + 1 : 0;
        // The signal's first row is the one after the newer row of the quiet pair.
        if (run == kQuietRun) return back - kQuietRun + 1;
    }
    return stored_;
}

}  // namespace tarnvel::display
