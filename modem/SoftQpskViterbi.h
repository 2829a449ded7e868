#pragma once
// Soft-decision Viterbi decoding of QPSK31's rate-1/2, constraint-length-5 code. Each branch
// is scored by how well the symbol's phase change, with its strength, agrees with the
// branch's dibit (a correlation), instead of by the distance between two hard dibits; a
// symbol lost in noise then weighs little and a clear one much. The bit is taken from the best
// path 24 bits back.
//
// It also measures the squelch's quality from its own decisions: along each survivor it adds
// up how well every phase change agrees with the dibit that survivor decided (the cosine of
// the angle between them), and every 30 symbols the best survivor's mean agreement becomes a
// figure of 0..31. The symbols' scatter alone says a weak signal is noise long before the
// decoder stops copying it; agreement with the decoded path follows what it copies (a QPSK31
// signal at -10 dB in 2500 Hz agrees 0.93 on average, at -12 dB 0.88). Noise agrees too, as
// far as the path can bend to follow it (0.67 on average, rarely above 0.8), so the scale
// starts above that. Every change counts alike whatever its size: weighted by size, noise's
// few large changes would pass for a signal, and a strong over's last symbols would hold the
// figure up long after it ended.

#include <array>
#include <complex>
#include <cstdint>

namespace tarnvel::modem {

class SoftQpskViterbi {
  public:
    static constexpr int kStates = 16;
    static constexpr int kDecisionDepth = 24;
    static constexpr int kQualityWindow = 30;  // symbols, as the QPSK decoder's own figure
    static constexpr int kBestQuality = 31;
    // The mean agreement that reads 0 (squelch 25 then shuts on noise 99 % of the time); 1,
    // every change exactly on its dibit, reads 31.
    static constexpr float kAgreementFloor = 0.78f;

    SoftQpskViterbi();
    void reset();
    // One phase change (this symbol times the conjugate of the previous one); returns the
    // decided data bit. `inverted`: the QPSKi sense, +90 and -90 degrees swapped.
    int step(std::complex<float> change, bool inverted);

    // The figure of the last full window (0 before the first), and whether the last step
    // completed a window.
    int quality() const { return quality_; }
    bool qualityUpdated() const { return qualityUpdated_; }
    // The figure for a mean agreement (-1..1).
    static int qualityOf(float meanAgreement);

  private:
    void closeQualityWindow(int best);

    std::array<int, 2 * kStates> dibits_{};
    std::array<float, kStates> metrics_{};
    std::array<uint32_t, kStates> histories_{};
    std::array<float, kStates> agreements_{};  // in this window, along each survivor
    int windowSymbols_ = 0;
    int quality_ = 0;
    bool qualityUpdated_ = false;
};

}  // namespace tarnvel::modem
