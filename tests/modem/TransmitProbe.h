#pragma once
// A coherent test receiver for the transmitter's own output: it knows the carrier and symbol
// clock the modulator started from and reads the constellation point at the end of each symbol
// period, where the raised-cosine transition has settled.

#include <cmath>
#include <complex>
#include <cstdint>
#include <string>
#include <vector>

#include "modem/Varicode.h"

namespace tarnvel::modem::probe {

// Index of the last sample of each symbol period: the sample at which the clock wraps.
inline std::vector<size_t> symbolEnds(size_t samples, uint32_t symbolStep) {
    std::vector<size_t> ends;
    uint32_t clock = 0;
    for (size_t n = 0; n < samples; ++n)
        if ((clock += symbolStep) < symbolStep) ends.push_back(n);
    return ends;
}

// Points 0..3 (phases 0, -90, 180, +90 degrees) or 4 (no carrier), one per symbol period,
// correlated over the last 66 samples of the period.
inline std::vector<int> symbols(const std::vector<int16_t>& s, uint32_t symbolStep,
                                int carrierStep) {
    std::vector<int> out;
    for (size_t end : symbolEnds(s.size(), symbolStep)) {
        std::complex<double> p;
        for (size_t n = end + 1 - 66; n <= end; ++n) {
            const uint32_t phase = (static_cast<uint32_t>(n) * static_cast<uint32_t>(carrierStep));
            p += std::polar(s[n] * 2.0 / (66 * 32767.0),
                            -6.283185307179586 * (phase & 0xFFFF) / 65536);
        }
        const long quarters = std::lround(std::arg(p) / 1.5707963267948966);
        out.push_back(std::abs(p) < 0.3 ? 4 : static_cast<int>((quarters % 4 + 4) % 4));
    }
    return out;
}

// Differential BPSK bits from symbol `from` on: 1 where the phase is kept, 0 at a reversal.
inline std::string bpskBits(const std::vector<int>& sym, size_t from, size_t to) {
    std::string bits;
    for (size_t k = from; k < to && k < sym.size(); ++k) bits += sym[k] == sym[k - 1] ? '1' : '0';
    return bits;
}

// Varicode text from a bit string: each character ends at "00".
inline std::string decodeVaricode(const std::string& bits) {
    std::string text;
    std::string word;
    for (char b : bits) {
        if (b == '1' || (word.size() && word.back() == '1')) {
            word += b;
        } else if (!word.empty()) {
            word.pop_back();
            for (int c = 0; c < 256; ++c)
                if (VaricodeTable[static_cast<size_t>(c)] == std::stoul(word, nullptr, 2))
                    text += static_cast<char>(c);
            word.clear();
        }
    }
    return text;
}

// Lengths of the alternating runs of carrier and silence, from the first symbol on.
inline std::vector<int> keyingRuns(const std::vector<int>& sym) {
    std::vector<int> runs;
    for (size_t k = 0; k < sym.size(); ++k) {
        if (k == 0 || (sym[k] == 4) != (sym[k - 1] == 4)) runs.push_back(0);
        ++runs.back();
    }
    return runs;
}

}  // namespace tarnvel::modem::probe
