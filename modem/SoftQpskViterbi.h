#pragma once
// Soft-decision Viterbi decoding of QPSK31's rate-1/2, constraint-length-5 code. Each branch
// is scored by how well the symbol's phase change, with its strength, agrees with the
// branch's dibit (a correlation), instead of by the distance between two hard dibits; a
// symbol lost in noise then weighs little and a clear one much. The bit is taken from the best
// path 24 bits back.

#include <array>
#include <complex>
#include <cstdint>

namespace tarnvel::modem {

class SoftQpskViterbi {
  public:
    static constexpr int kStates = 16;
    static constexpr int kDecisionDepth = 24;

    SoftQpskViterbi();
    void reset();
    // One phase change (this symbol times the conjugate of the previous one); returns the
    // decided data bit. `inverted`: the QPSKi sense, +90 and -90 degrees swapped.
    int step(std::complex<float> change, bool inverted);

  private:
    std::array<int, 2 * kStates> dibits_{};
    std::array<float, kStates> metrics_{};
    std::array<uint32_t, kStates> histories_{};
};

}  // namespace tarnvel::modem
