#pragma once
// Spectrum histories with a chosen level per bin, for the display tests.

#include <cmath>
#include <functional>

#include "display/SpectrumHistory.h"

namespace tarnvel::display::testing {

// Fills all eight history rows so that level(bin) equals levelDb(bin).
inline void fillHistory(SpectrumHistory& h, const std::function<double(int)>& levelDb) {
    SpectrumRow row{};
    for (int k = 0; k < kSpectrumBins; ++k)
        row[static_cast<size_t>(k)] = static_cast<float>((levelDb(k) + 90.0) / 20.0);
    for (int i = 0; i < kHistoryRows; ++i) h.addRow(row);
}

// A smooth symmetric signal centred on a fractional bin over a flat floor.
inline std::function<double(int)> signalAt(double centre, double peakAmplitude) {
    return [=](int k) {
        const double d = (k - centre) / 2.0;
        return 20.0 * std::log10(peakAmplitude * std::exp(-d * d) + 20.0) - 90.0;
    };
}

}  // namespace tarnvel::display::testing
