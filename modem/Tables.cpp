#include "modem/Tables.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace tarnvel::modem {

const SineTable& sineTable() {
    static const SineTable table = [] {
        SineTable t{};
        for (int i = 0; i < kSineTableSize; ++i)
            t[i] = static_cast<int32_t>(std::sin(i * kTablePi / 32768.0) * 32767.0);
        return t;
    }();
    return table;
}

const TurnSineTable& turnSineTable() {
    static const TurnSineTable table = [] {
        const SineTable& quarter = sineTable();
        // The quarter wave mirrored into the second quarter and negated for the second half.
        auto sine = [&quarter](uint32_t p) -> int32_t {
            if (p <= 16384) return quarter[p];
            if (p <= 32768) return quarter[32768 - p];
            if (p <= 49152) return -quarter[p - 32768];
            return -quarter[65536 - p];
        };
        TurnSineTable t{};
        for (int p = 0; p < kTurnSineTableSize; ++p)
            t[p] = static_cast<int16_t>(sine(static_cast<uint32_t>(p) & 0xFFFFu));
        return t;
    }();
    return table;
}

const CosSinTable& cosSinTable() {
    static const CosSinTable table = [] {
        const TurnSineTable& sine = turnSineTable();
        CosSinTable t{};
        for (uint32_t p = 0; p < 65536; ++p)
            t[p] = static_cast<uint16_t>(sine[p + 16384]) |
                   (static_cast<uint32_t>(static_cast<uint16_t>(sine[p])) << 16);
        return t;
    }();
    return table;
}

const RaisedCosineTable& raisedCosineTable() {
    static const RaisedCosineTable table = [] {
        RaisedCosineTable t{};
        for (int i = 0; i < kSineTableSize; ++i)
            t[i] = (1.0 - std::cos(i * kTablePi / 32768.0)) * 0.5;
        return t;
    }();
    return table;
}

const WindowTable& windowTable() {
    static const WindowTable table = [] {
        WindowTable t{};
        for (int i = 0; i < kWindowTableSize; ++i) {
            const double b = 2.0 * i * kTablePi / 2048.0 + kTablePi;
            t[i] = 0.3635819 + 0.4891775 * std::cos(b) + 0.1365995 * std::cos(2 * b) +
                   0.0106411 * std::cos(3 * b);
        }
        return t;
    }();
    return table;
}

const PhaseAngleTable& phaseAngleTable() {
    static const PhaseAngleTable table = [] {
        PhaseAngleTable t{};
        for (int i = 0; i < kPhaseAngleTableSize; ++i)
            t[i] = static_cast<uint16_t>(std::atan2(i, 256.0) / 0.785398163375 * 8192.0);
        return t;
    }();
    return table;
}

uint16_t phaseAngle(int32_t x, int32_t y) {
    if (x == 0) return y < 0 ? 49152 : 16384;
    if (y == 0) return x < 0 ? 32768 : 0;

    int64_t a = std::llabs(x);
    int64_t b = std::llabs(y);
    const bool swapped = b < a;
    if (swapped) std::swap(a, b);

    const int32_t base = swapped ? (x < 1 ? 32768 : 0) : (y < 1 ? 49152 : 16384);
    int64_t k = b < 8388608 ? (a * 256 + 128) / b : (a + 128) / (b / 256);
    // When a equals b the index reaches past 256 (up to 384 for a = b = 1); the table
    // ends at 45 degrees, which is exactly what every such vector points at.
    if (k > 256) k = 256;
    const int32_t f = phaseAngleTable()[static_cast<size_t>(k)];

    const bool add = (x < 1) ^ (y < 1) ^ swapped;
    return static_cast<uint16_t>(add ? base + f : base - f);
}

}  // namespace tarnvel::modem
