#pragma once
// Lookup tables built once at start-up and the fixed-point primitives that read them.
//
// Phases are 16-bit turns (65536 = one turn). The constant 3.1415926535 is used exactly as
// written, not full-precision pi, so that every table entry matches the reference values.

#include <array>
#include <cstdint>

namespace tarnvel::modem {

inline constexpr double kTablePi = 3.1415926535;
inline constexpr int kSineTableSize = 16385;      // a quarter wave, index 0..16384
inline constexpr int kPhaseAngleTableSize = 257;  // atan over 0..45 degrees
inline constexpr int kWindowTableSize = 2049;

using SineTable = std::array<int32_t, kSineTableSize>;
using RaisedCosineTable = std::array<double, kSineTableSize>;
using WindowTable = std::array<double, kWindowTableSize>;
using PhaseAngleTable = std::array<uint16_t, kPhaseAngleTableSize>;

// The tables, built on first use (thread-safe) and never changed afterwards.
const SineTable& sineTable();
const RaisedCosineTable& raisedCosineTable();  // Hann weights of the spectrum analyser
const WindowTable& windowTable();              // Blackman-Nuttall weights
const PhaseAngleTable& phaseAngleTable();

// The sine over a turn and a quarter, one entry per 16-bit phase: entry p is the sine of p and
// entry p + 16384 its cosine, so that the per-sample paths read both without branches. Built
// from the quarter wave by its symmetries, so every value equals the quarter wave's.
inline constexpr int kTurnSineTableSize = 65536 + 16384;
using TurnSineTable = std::array<int16_t, kTurnSineTableSize>;
const TurnSineTable& turnSineTable();

// Cosine (low 16 bits) and sine (high 16 bits) of each 16-bit phase in one entry, for front ends
// that read both every sample: one load from one cache line instead of two.
using CosSinTable = std::array<uint32_t, 65536>;
const CosSinTable& cosSinTable();

namespace detail {
// Raw pointer to the turn table, for the per-sample paths (read it once outside a loop).
inline const int16_t* turnSineData() {
    static const int16_t* data = turnSineTable().data();
    return data;
}
inline const uint32_t* cosSinData() {
    static const uint32_t* data = cosSinTable().data();
    return data;
}
}  // namespace detail

// Sine of a 16-bit phase, -32767..32767.
inline int32_t sin16(uint32_t phase) {
    return detail::turnSineData()[phase & 0xFFFFu];
}

// Cosine of a 16-bit phase, -32767..32767.
inline int32_t cos16(uint32_t phase) {
    return detail::turnSineData()[(phase & 0xFFFFu) + 16384];
}

// Angle of the vector (x, y) in 16-bit turns: 0 = +x axis, 16384 = +y axis.
uint16_t phaseAngle(int32_t x, int32_t y);

}  // namespace tarnvel::modem
