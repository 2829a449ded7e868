#pragma once
// A coherent test receiver for the transmitter's own output: it knows the carrier and symbol
// clock the modulator started from, and reads the constellation point at the end of every
// symbol period, where the raised-cosine transition has settled.

#include <cmath>
#include <complex>
#include <cstdint>
#include <string>
#include <vector>

#include "modem/Varicode.h"

namespace tarnvel::modem::probe {

struct SymbolSpan {
    size_t first;  // first sample the symbol governs
    size_t last;   // last sample of its period
};

// Symbol periods as the clock (starting at 0) cuts them: a period ends with the sample at
// which the 32-bit clock wraps.
inline std::vector<SymbolSpan> symbolSpans(size_t samples, uint32_t symbolStep) {
    std::vector<SymbolSpan> spans;
    uint32_t clock = 0;
    size_t first = 0;
    for (size_t n = 0; n < samples; ++n) {
        const uint32_t old = clock;
        clock += symbolStep;
        if (clock < old) {
            spans.push_back({first, n});
            first = n + 1;
        }
    }
    return spans;
}

// Baseband point (1.0 = full carrier) over the last `window` samples of each symbol period.
inline std::vector<std::complex<double>> symbolPoints(const std::vector<int16_t>& s,
                                                      uint32_t symbolStep, int carrierStep,
                                                      size_t window = 66) {
    constexpr double kTwoPi = 6.283185307179586;
    std::vector<std::complex<double>> points;
    for (const SymbolSpan& span : symbolSpans(s.size(), symbolStep)) {
        double i = 0.0;
        double q = 0.0;
        const size_t from = span.last + 1 >= window ? span.last + 1 - window : 0;
        for (size_t n = from; n <= span.last; ++n) {
            const double phase =
                kTwoPi *
                static_cast<double>(
                    (static_cast<uint32_t>(n) * static_cast<uint32_t>(carrierStep)) & 0xFFFFu) /
                65536.0;
            i += s[n] * std::cos(phase);
            q += s[n] * std::sin(phase);
        }
        const double scale = 2.0 / (32767.0 * static_cast<double>(span.last + 1 - from));
        points.emplace_back(i * scale, q * scale);
    }
    return points;
}

// Nearest constellation point: 0..3 at phases 0, -90, 180, +90 degrees, 4 = no carrier.
inline int classify(std::complex<double> p) {
    if (std::abs(p) < 0.3) return 4;
    const double quarters = -std::arg(p) / (3.141592653589793 / 2.0);
    return ((static_cast<int>(std::lround(quarters)) % 4) + 4) % 4;
}

inline std::vector<int> symbols(const std::vector<int16_t>& s, uint32_t symbolStep,
                                int carrierStep) {
    std::vector<int> out;
    for (auto p : symbolPoints(s, symbolStep, carrierStep)) out.push_back(classify(p));
    return out;
}

// Differential BPSK bits: 1 where the phase is kept, 0 at a reversal, from symbol `from` on.
inline std::string bpskBits(const std::vector<int>& sym, size_t from, size_t to) {
    std::string bits;
    for (size_t k = from; k < to && k < sym.size(); ++k)
        bits.push_back(sym[k] == sym[k - 1] ? '1' : '0');
    return bits;
}

// Varicode text from a bit string: characters end at "00".
inline std::string decodeVaricode(const std::string& bits) {
    std::string text;
    std::string word;
    int zeros = 0;
    for (char b : bits) {
        if (b == '1') {
            zeros = 0;
            word.push_back('1');
            continue;
        }
        ++zeros;
        if (word.empty()) continue;
        if (zeros == 1) {
            word.push_back('0');
        } else if (zeros == 2) {
            word.pop_back();  // the first 0 of the gap
            const auto code = static_cast<uint16_t>(std::stoul(word, nullptr, 2));
            for (int c = 0; c < 256; ++c)
                if (VaricodeTable[static_cast<size_t>(c)] == code)
                    text.push_back(static_cast<char>(c));
            word.clear();
        }
    }
    return text;
}

// Lengths of the runs of carrier (true) and silence (false) in a symbol sequence.
struct Run {
    bool on;
    int length;
};
inline std::vector<Run> keyingRuns(const std::vector<int>& sym, size_t from) {
    std::vector<Run> runs;
    for (size_t k = from; k < sym.size(); ++k) {
        const bool on = sym[k] != 4;
        if (runs.empty() || runs.back().on != on)
            runs.push_back({on, 1});
        else
            ++runs.back().length;
    }
    return runs;
}

}  // namespace tarnvel::modem::probe
