#pragma once
// Helpers shared by the sound card tests: a continuous test tone and a frequency measurement.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>
#include <span>
#include <vector>

namespace tarnvel::audio::test {

// A sine of constant phase increment, continuous across buffers.
class Tone {
  public:
    Tone(double frequency, double rate, double amplitude)
        : step_(2.0 * std::numbers::pi * frequency / rate), amplitude_(amplitude) {}

    void fill(std::span<int16_t> out) {
        for (int16_t& s : out) {
            s = static_cast<int16_t>(std::lround(amplitude_ * std::sin(phase_)));
            phase_ = std::fmod(phase_ + step_, 2.0 * std::numbers::pi);
        }
    }

  private:
    double step_;
    double amplitude_;
    double phase_ = 0.0;
};

// The frequency of a clean tone from its rising zero crossings, interpolated between samples;
// 0 when there are fewer than two crossings.
inline double measureFrequency(std::span<const int16_t> s, double rate) {
    double first = -1.0;
    double last = -1.0;
    int crossings = 0;
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i - 1] < 0 && s[i] >= 0) {
            const double t =
                static_cast<double>(i - 1) + static_cast<double>(s[i - 1]) / (s[i - 1] - s[i]);
            if (first < 0) first = t;
            last = t;
            ++crossings;
        }
    }
    if (crossings < 2) return 0.0;
    return (crossings - 1) * rate / (last - first);
}

inline double rms(std::span<const int16_t> s) {
    double sum = 0.0;
    for (int16_t v : s) sum += static_cast<double>(v) * v;
    return s.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(s.size()));
}

}  // namespace tarnvel::audio::test
