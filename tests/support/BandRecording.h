#pragma once
// A band recording for the multichannel decoder: eight BPSK31 transmissions (or one
// transmission in another mode for the squelch measurements) made by the
// program's own transmitter, each starting at its own time on its own frequency and at its own
// signal-to-noise ratio (measured in 2500 Hz), mixed with white Gaussian noise. Each text
// starts with the sender's call sign, as an over does.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "cli/ModemBridge.h"
#include "cli/Options.h"

namespace tarnvel::testing {

struct BandSignal {
    std::string call;
    double frequency = 1000.0;
    double startSeconds = 0.0;
    double snrDb = 0.0;
    std::string text() const {
        return call + " de " + call + " cq cq test of the band, pse k\n";
    }
};

inline constexpr double kBandRate = 11025.0;
inline constexpr double kBandNoiseRms = 600.0;

// Eight signals 200 Hz apart, starting 2 s apart, at 0 dB and more.
inline std::vector<BandSignal> eightSignals() {
    const char* calls[] = {"sp9abc", "dl2xyz", "g4fgh", "ok1jkl",
                           "ha5mno", "oe3pqr", "f6stu", "i2vwx"};
    const double snr[] = {0.0, 20.0, 3.0, 10.0, 0.0, 6.0, 15.0, 3.0};
    std::vector<BandSignal> signals;
    for (int i = 0; i < 8; ++i)
        signals.push_back({calls[i], 600.0 + 200.0 * i, 1.0 + 2.0 * i, snr[i]});
    return signals;
}

// Noise power in 2500 Hz for white noise of the given RMS over the whole band.
inline double noiseIn2500Hz(double rms) {
    return rms * rms * 2500.0 / (kBandRate / 2.0);
}

// The mix, `seconds` long. Empty when a transmission did not render.
inline std::vector<int16_t> mixBand(const std::vector<BandSignal>& signals, double seconds,
                                    unsigned seed, const char* modeName = "bpsk31") {
    const double noiseRms = kBandNoiseRms;
    std::vector<double> mix(static_cast<size_t>(seconds * kBandRate), 0.0);
    const cli::ModeChoice& mode = *cli::findMode(modeName);
    for (const BandSignal& s : signals) {
        std::vector<int16_t> clean;
        if (!cli::renderTransmission({&mode, s.frequency, s.text(), std::nullopt}, clean).ok)
            return {};
        double power = 0.0;
        for (const int16_t v : clean) power += static_cast<double>(v) * v;
        power /= static_cast<double>(std::max<size_t>(clean.size(), 1));
        const double gain =
            std::sqrt(noiseIn2500Hz(noiseRms) * std::pow(10.0, s.snrDb / 10.0) / power);
        const size_t start = static_cast<size_t>(s.startSeconds * kBandRate);
        for (size_t n = 0; n < clean.size() && start + n < mix.size(); ++n)
            mix[start + n] += gain * clean[n];
    }
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, noiseRms);
    std::vector<int16_t> out(mix.size());
    for (size_t n = 0; n < mix.size(); ++n)
        out[n] = static_cast<int16_t>(
            std::lround(std::clamp(mix[n] + noise(rng), -32767.0, 32767.0)));
    return out;
}

inline size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t substitution = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
            diagonal = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, substitution});
        }
    }
    return row[b.size()];
}

// Leading and trailing spaces and line ends removed.
inline std::string trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(" \n\r");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \n\r") - first + 1);
}

}  // namespace tarnvel::testing
