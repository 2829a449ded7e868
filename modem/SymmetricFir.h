#pragma once
// A linear-phase FIR filter with an odd number of integer taps, designed from a windowed ideal
// response and run on 32-bit samples.

#include <array>
#include <cstdint>

namespace tarnvel::modem {

enum class FirType {
    LowPass,  // f1 = cut-off in cycles per sample; f2 unused
};

class SymmetricFir {
  public:
    static constexpr int kMaxHalfLength = 32;

    // Designs the coefficients c[0..halfLength] and clears the input ring. Returns false, and
    // leaves the filter as it was, for a half-length outside 1..kMaxHalfLength or a cut-off
    // outside (0, 0.5].
    bool design(int halfLength, FirType type, double f1, double f2 = 0.0);

    // Clears the input ring.
    void reset();

    // Takes one input and returns the output centred halfLength + 1 inputs back.
    int32_t step(int32_t x);

    int halfLength() const { return halfLength_; }
    // c[0] is the centre tap, c[k] the pair k taps either side of it.
    int16_t coefficient(int k) const { return coeff_[k]; }

  private:
    static constexpr int kMaxRing = 2 * kMaxHalfLength + 1;

    int halfLength_ = 0;
    int ringLength_ = 1;
    std::array<int16_t, kMaxHalfLength + 1> coeff_{};
    std::array<int32_t, kMaxRing> ring_{};
    int index_ = 0;
};

}  // namespace tarnvel::modem
