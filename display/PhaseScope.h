#pragma once
// The small phase scope in the corner of the waterfall: the last 16 symbol vectors.
//
// Receivers report each symbol's phase change and level; the scope keeps the tip of each as a
// point and draws a line from the centre to it, coloured by how far it lies from where a clean
// signal of the mode puts it (on the vertical axis for BPSK, on an axis for QPSK).

#include <array>
#include <cstdint>

#include "modem/Mode.h"

namespace tarnvel::display {

inline constexpr int kPhaseScopePoints = 16;
inline constexpr int kInitialPhaseScopeRadius = 20;

struct PhasePoint {
    int x = 0;
    int y = 0;
};

// Colours as 0x00BBGGRR.
inline constexpr uint32_t kScopeGreen = 0x0000FF00;
inline constexpr uint32_t kScopeYellow = 0x0000FFFF;
inline constexpr uint32_t kScopeRed = 0x000000FF;

class PhaseScope {
  public:
    // One symbol from a receiver: the 16-bit phase rides in the upper half of phase, level is
    // clamped to 0..800. The channel is not used: the scope shows whatever receiver feeds it.
    void showPhase(int16_t channel, int32_t phase, int32_t level);

    // Side of the scope square for a view height and the "PhaseScopeSize" setting (odd, so the
    // centre falls on a pixel); sets the radius used for the next points.
    int layout(int clientHeight, int phaseScopeSize);

    int radius() const { return radius_; }
    int nextSlot() const { return next_; }
    const std::array<PhasePoint, kPhaseScopePoints>& points() const { return points_; }

    // Line colour of a point in an operating mode.
    static uint32_t lineColour(modem::Mode mode, PhasePoint p);

  private:
    std::array<PhasePoint, kPhaseScopePoints> points_{};
    int next_ = 0;
    int radius_ = kInitialPhaseScopeRadius;
};

}  // namespace tarnvel::display
