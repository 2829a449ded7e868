#pragma once
// A test-only PSK31/PSK63/QPSK31 signal source, written independently of the transmitter in
// double precision: varicode with two 0 bits before each character, differential phase
// (a 0 bit reverses the phase in BPSK; QPSK feeds the complement of each bit to the rate-1/2,
// K=5 convolutional code and advances the phase by its dibit), raised-cosine transitions from
// one constellation point to the next, and optional seeded white noise at a given SNR in 2500 Hz.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "modem/Varicode.h"

namespace tarnvel::modem::testing {

struct PskSignalOptions {
    double sampleRate = 11025.0;
    double carrierHz = 1000.0;
    double baud = 31.25;
    double amplitude = 8000.0;
    bool qpsk = false;
    bool invertedQpsk = false;
    int preambleSymbols = 40;   // idle (all 0 bits) before the text
    int postambleSymbols = 48;  // idle after it, long enough to flush the QPSK decoder
    double snrDb = INFINITY;    // signal to noise in 2500 Hz; infinity: no noise
    double driftHzPerSecond = 0.0;  // the carrier moves by this much each second
    uint32_t seed = 1;
};

// The data bits of a text: "00" then the code of each character, first bit first.
inline std::vector<int> varicodeBits(std::string_view text) {
    std::vector<int> bits;
    for (unsigned char c : text) {
        bits.push_back(0);
        bits.push_back(0);
        const uint16_t code = VaricodeTable[c];
        for (int n = varicodeLength(code) - 1; n >= 0; --n) bits.push_back((code >> n) & 1);
    }
    return bits;
}

// Phase indices (quarter turns) of successive symbols; each index names the point
// I + jQ = exp(-j * pi/2 * index).
inline std::vector<int> pskPhases(const std::vector<int>& bits, const PskSignalOptions& o) {
    std::vector<int> phases;
    int phase = 0;
    unsigned reg = 0;
    for (int bit : bits) {
        if (!o.qpsk) {
            if (bit == 0) phase = (phase + 2) & 3;
        } else {
            reg = ((reg << 1) | static_cast<unsigned>(bit ^ 1)) & 31u;
            const int dibit = (std::popcount(reg & 25u) & 1) * 2 + (std::popcount(reg & 23u) & 1);
            phase = (o.invertedQpsk ? phase - dibit : phase + dibit) & 3;
        }
        phases.push_back(phase);
    }
    return phases;
}

inline std::vector<int16_t> makePskSignal(std::string_view text, const PskSignalOptions& o) {
    std::vector<int> bits(static_cast<size_t>(o.preambleSymbols), 0);
    const std::vector<int> textBits = varicodeBits(text);
    bits.insert(bits.end(), textBits.begin(), textBits.end());
    bits.insert(bits.end(), static_cast<size_t>(o.postambleSymbols), 0);
    const std::vector<int> phases = pskPhases(bits, o);

    const double samplesPerSymbol = o.sampleRate / o.baud;
    const size_t total = static_cast<size_t>(std::ceil(samplesPerSymbol * phases.size()));
    std::vector<double> clean(total);
    double power = 0.0;
    for (size_t n = 0; n < total; ++n) {
        const double pos = n / samplesPerSymbol;
        const size_t k = std::min(static_cast<size_t>(pos), phases.size() - 1);
        const double frac = pos - static_cast<double>(k);
        const int cur = phases[k];
        const int prev = k == 0 ? cur : phases[k - 1];
        const double wPrev = 0.5 * (1.0 + std::cos(M_PI * frac));
        const double wCur = 1.0 - wPrev;
        const double iEnv = wPrev * std::cos(-M_PI / 2 * prev) + wCur * std::cos(-M_PI / 2 * cur);
        const double qEnv = wPrev * std::sin(-M_PI / 2 * prev) + wCur * std::sin(-M_PI / 2 * cur);
        const double t = n / o.sampleRate;
        const double w = 2.0 * M_PI * (o.carrierHz * t + 0.5 * o.driftHzPerSecond * t * t);
        clean[n] = o.amplitude * (iEnv * std::cos(w) + qEnv * std::sin(w));
        power += clean[n] * clean[n];
    }
    power /= static_cast<double>(total);

    // White noise over 0..fs/2 with the wanted power inside 2500 Hz.
    double sigma = 0.0;
    if (std::isfinite(o.snrDb))
        sigma = std::sqrt(power / std::pow(10.0, o.snrDb / 10.0) * (o.sampleRate / 2.0) / 2500.0);
    std::mt19937 rng(o.seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<int16_t> out(total);
    for (size_t n = 0; n < total; ++n) {
        const double x = clean[n] + (sigma > 0.0 ? sigma * noise(rng) : 0.0);
        out[n] = static_cast<int16_t>(std::clamp(std::lround(x), -32768L, 32767L));
    }
    return out;
}

// Edit distance between two texts, for character error rates.
inline size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diag = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diag + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diag = up;
        }
    }
    return row[b.size()];
}

// Edit distance from `expected` to the closest stretch of `decoded`: what the receiver made of
// the preamble and the tail is not counted.
inline size_t stretchDistance(std::string_view decoded, std::string_view expected) {
    std::vector<size_t> prev(decoded.size() + 1, 0), cur(decoded.size() + 1, 0);
    for (size_t i = 1; i <= expected.size(); ++i) {
        cur[0] = i;
        for (size_t j = 1; j <= decoded.size(); ++j)
            cur[j] = std::min(
                {prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + (expected[i - 1] != decoded[j - 1])});
        std::swap(prev, cur);
    }
    return *std::min_element(prev.begin(), prev.end());
}

inline double characterErrorRate(std::string_view expected, std::string_view decoded) {
    return static_cast<double>(editDistance(expected, decoded)) /
           static_cast<double>(std::max<size_t>(expected.size(), 1));
}

}  // namespace tarnvel::modem::testing
