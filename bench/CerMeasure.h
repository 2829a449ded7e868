#pragma once
// What the character-error benchmarks share: the sent message, white noise at a signal-to-noise
// ratio in 2500 Hz, and the errors of a decode within the stretch that matches the message.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "cli/ModemBridge.h"

namespace tarnvel::bench {

inline constexpr double kCerRate = 11025.0;
inline constexpr double kNoiseBandwidthHz = 2500.0;
inline constexpr double kHeadroomRms = 3276.8;  // -20 dBFS

inline const std::string& sentText() {
    static const std::string text =
        "cq cq de sp9xyz sp9xyz pse k\n"
        "the quick brown fox jumps over the lazy dog 0123456789\n"
        "rig 100 w into a dipole at 12 m, wx cloudy and 4 c, tnx fer qso 73\n"
        "name is ann, qth graz, locator jn76, how copy? sp9xyz de n0call kn\n"
        "ur rst 579 579, fb signal here with slow qsb, 73 es gud dx sk\n";
    return text;
}

// The edit distance between the sent text and the best-matching stretch of the decoded text:
// what the decoder prints from noise before the signal (while it locks on) and after it is
// not counted, only the errors within the message.
// The program's own transmission of the sent text, with idle words after it so that the last
// characters (FSK63's last interleaved words) go out whole. False when it did not render.
inline bool renderSentText(const cli::ModeChoice& mode, double hz, std::vector<int16_t>& audio) {
    return cli::renderTransmission({&mode, hz, sentText() + "   ", std::nullopt}, audio).ok;
}

inline size_t messageErrors(const std::string& sent, const std::string& decoded) {
    // row[j]: the cost of sent[0..i) against a stretch of decoded ending at j.
    std::vector<size_t> row(decoded.size() + 1, 0);
    for (size_t i = 1; i <= sent.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= decoded.size(); ++j) {
            const size_t substitution = diagonal + (sent[i - 1] == decoded[j - 1] ? 0 : 1);
            diagonal = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, substitution});
        }
    }
    return *std::min_element(row.begin(), row.end());
}

// Noise of the power that gives snrDb in 2500 Hz for a signal of the audio's mean power, the
// sum clamped to 16 bits; `toHeadroom` scales the sum to -20 dBFS first.
inline std::vector<int16_t> addNoise(const std::vector<int16_t>& clean, double snrDb, unsigned seed,
                                     bool toHeadroom) {
    double power = 0.0;
    for (const int16_t s : clean) power += static_cast<double>(s) * s;
    power /= static_cast<double>(clean.size());
    const double noiseInBand = power / std::pow(10.0, snrDb / 10.0);
    const double rms = std::sqrt(noiseInBand * (kCerRate / 2.0) / kNoiseBandwidthHz);
    const double gain = toHeadroom ? kHeadroomRms / std::sqrt(power + rms * rms) : 1.0;
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, rms);
    std::vector<int16_t> out(clean.size());
    for (size_t n = 0; n < clean.size(); ++n)
        out[n] = static_cast<int16_t>(
            std::lround(std::clamp(gain * (clean[n] + noise(rng)), -32767.0, 32767.0)));
    return out;
}

// The noise added at the transmission's level. At low SNR most samples clip (two thirds at
// -8 dB for a PSK transmission at full level): the audio is hard limited, which costs about a
// decibel; withHeadroomNoise does not.
inline std::vector<int16_t> withNoise(const std::vector<int16_t>& clean, double snrDb,
                                      unsigned seed) {
    return addNoise(clean, snrDb, seed, false);
}

// The same noise draw, the sum scaled to an RMS of -20 dBFS as a receiver's input level would
// be set: the noise peaks stay far below full scale, nothing clips, and the SNR is the one
// asked for.
inline std::vector<int16_t> withHeadroomNoise(const std::vector<int16_t>& clean, double snrDb,
                                              unsigned seed) {
    return addNoise(clean, snrDb, seed, true);
}

}  // namespace tarnvel::bench
