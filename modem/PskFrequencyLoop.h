#pragma once
// A narrow frequency-locked loop on the symbol samples of a PSK signal. The phase change from
// one symbol to the next, raised to the power of the constellation's order (2 for BPSK, 4 for
// QPSK), loses its data and keeps M times the rotation a frequency error causes; averaged over
// many symbols and weighted by its strength, it steers the correction slowly, so that noise on
// single symbols barely moves it. It pulls in within a quarter of the baud rate for BPSK and an
// eighth for QPSK (where the raised rotation stays inside half a turn), and its correction
// stays within that range.
//
// On noise alone the raised changes point anywhere and their average is short compared with
// their mean size; the loop then holds still instead of wandering off, so that a signal that
// starts at the tuned frequency is still within reach.

#include <complex>
#include <numbers>

namespace tarnvel::modem {

class PskFrequencyLoop {
  public:
    void reset();
    // 2 for BPSK, 4 for QPSK.
    void setOrder(int order);
    // Takes one symbol sample already corrected by radiansPerSymbol(); updates the correction.
    void update(std::complex<float> symbol);
    // The rotation per symbol to take out of the signal.
    float radiansPerSymbol() const { return correction_; }
    // The largest correction, in radians per symbol: half a turn of the raised rotation.
    float range() const { return std::numbers::pi_v<float> / static_cast<float>(order_); }
    // Shifts the correction when the mixer in front moves (a retune by the AFC).
    void shift(float radiansPerSymbol) { correction_ += radiansPerSymbol; }
    void clear();

  private:
    // Averaging of the raised phase changes (per symbol), and the loop's gain on the
    // average: together a critically damped loop with a time constant of about 32 symbols.
    static constexpr float kAverageWeight = 1.0f / 16.0f;
    static constexpr float kLoopGain = 1.0f / 64.0f;
    // Coherence (average over mean size) below which the loop holds, and above which it runs
    // at full gain; noise alone averages about 0.18 over 16 symbols.
    static constexpr float kHoldCoherence = 0.3f;
    static constexpr float kFullCoherence = 0.5f;

    std::complex<float> previous_{};
    std::complex<float> average_{};
    float meanSize_ = 0.0f;
    float correction_ = 0.0f;
    int order_ = 2;
};

}  // namespace tarnvel::modem
