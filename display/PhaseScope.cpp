#include "display/PhaseScope.h"

#include <algorithm>
#include <cstdlib>

#include "modem/Tables.h"

namespace tarnvel::display {

namespace {

constexpr int32_t kMaxMagnitude = 800;
// Full-scale sine (32767) x radius >> 8, times a magnitude of up to 800, brought back to
// about the radius.
constexpr int64_t kPointScale = 102400;

// Thresholds in percent of the off-axis to on-axis ratio.
constexpr int kBpskGreenBelow = 85;
constexpr int kBpskYellowBelow = 215;
constexpr int kQpskGreenBelow = 37;
constexpr int kQpskYellowBelow = 71;
constexpr int kNoAxisRatio = 1000;

uint32_t colourFor(int ratio, int greenBelow, int yellowBelow) {
    if (ratio < greenBelow) return kScopeGreen;
    if (ratio < yellowBelow) return kScopeYellow;
    return kScopeRed;
}

}  // namespace

void PhaseScope::showPhase(int16_t /*channel*/, int32_t phase, int32_t level) {
    const auto phase16 = static_cast<uint32_t>(phase) >> 16;
    const int64_t magnitude = std::clamp(level, int32_t{0}, kMaxMagnitude);
    const int64_t s = modem::sin16(phase16);
    const int64_t c = modem::cos16(phase16);
    PhasePoint& p = points_[static_cast<size_t>(next_)];
    p.x = static_cast<int>(magnitude * ((s * radius_) >> 8) / kPointScale);
    p.y = static_cast<int>(magnitude * ((-(c * radius_)) >> 8) / kPointScale);
    next_ = (next_ + 1) % kPhaseScopePoints;
}

int PhaseScope::layout(int clientHeight, int phaseScopeSize) {
    int side = std::min(clientHeight, phaseScopeSize);
    if (side % 2 == 0) ++side;
    radius_ = side / 2 - 1;
    return side;
}

uint32_t PhaseScope::lineColour(modem::Mode mode, PhasePoint p) {
    const int ax = std::abs(p.x);
    const int ay = std::abs(p.y);
    if (modem::isBpsk(mode)) {
        // A clean reversal lies on the vertical axis.
        const int ratio = ay == 0 ? kNoAxisRatio : 100 * ax / ay;
        return colourFor(ratio, kBpskGreenBelow, kBpskYellowBelow);
    }
    if (modem::modeInfo(mode).coding == modem::ModeCoding::Qpsk) {
        // Any of the four axis directions is clean: compare the smaller component.
        int ratio = 0;
        if (ax < ay)
            ratio = 100 * ax / ay;
        else if (ax != 0)
            ratio = 100 * ay / ax;
        return colourFor(ratio, kQpskGreenBelow, kQpskYellowBelow);
    }
    // FSK and PACTOR report their tone along the horizontal axis.
    const int ratio = ax == 0 ? kNoAxisRatio : 100 * ay / ax;
    return colourFor(ratio, kBpskGreenBelow, kBpskYellowBelow);
}

}  // namespace tarnvel::display
