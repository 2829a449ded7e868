#pragma once
// Up to five fixed frequencies marked with a red dot in every new waterfall row (a calling
// frequency, a net). Section "Markers", keys "0" .. "4", stored as text.

#include <array>
#include <string>

#include "display/WaterfallModel.h"

namespace tarnvel::display {

class SpectrumMarkers {
  public:
    using Frequencies = std::array<float, kSpectrumMarkerCount>;

    const Frequencies& frequencies() const { return hz_; }
    float frequency(int i) const { return hz_[static_cast<size_t>(i)]; }
    void setFrequency(int i, float hz) { hz_[static_cast<size_t>(i)] = hz; }
    // A marker at 0 Hz or below is not drawn.
    bool drawn(int i) const { return frequency(i) > 0.0f; }

    static std::string key(int i) { return std::to_string(i); }
    // Plain decimal conversion: text that is not a number reads as 0 (no marker).
    static float parse(const std::string& text);
    static std::string format(float hz);  // "%0.2f"

  private:
    Frequencies hz_{};
};

}  // namespace tarnvel::display
