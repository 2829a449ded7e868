#include "modem/SymmetricFir.h"

#include <cmath>

#include "modem/Tables.h"

namespace tarnvel::modem {

namespace {
constexpr double kTwoPi = 6.283185307;
constexpr double kCoefficientScale = 32767.0;
}  // namespace

bool SymmetricFir::design(int halfLength, FirType type, double f1, double /*f2*/) {
    if (halfLength < 1 || halfLength > kMaxHalfLength) return false;
    if (type != FirType::LowPass || !(f1 > 0.0 && f1 <= 0.5)) return false;
    halfLength_ = halfLength;
    ringLength_ = 2 * halfLength + 1;
    coeff_.fill(0);
    // Ideal low-pass response shaped by a sinc (Lanczos) window that reaches zero at the ends.
    coeff_[0] = static_cast<int16_t>(2.0 * f1 * kCoefficientScale);
    for (int k = 1; k <= halfLength; ++k) {
        const double ideal = std::sin(kTwoPi * f1 * k) / (k * kTablePi);
        const double x = k * kTablePi / halfLength;
        const double window = std::sin(x) / x;
        coeff_[k] = static_cast<int16_t>(ideal * window * kCoefficientScale);
    }
    reset();
    return true;
}

void SymmetricFir::reset() {
    ring_.fill(0);
    index_ = 0;
}

int32_t SymmetricFir::step(int32_t x) {
    const int n = ringLength_;
    const int p = index_;
    int64_t sum = int64_t{coeff_[0]} * ring_[p];
    for (int k = 1; k <= halfLength_; ++k) {
        int up = p + k;
        if (up >= n) up -= n;
        int down = p - k;
        if (down < 0) down += n;
        sum += int64_t{coeff_[k]} * (int64_t{ring_[up]} + ring_[down]);
    }
    index_ = (index_ + 1) % n;
    // The newest input goes where the oldest was: halfLength places ahead of the next centre.
    int store = index_ - halfLength_ - 1;
    if (store < 0) store += n;
    ring_[store] = x;
    return static_cast<int32_t>(sum / 65536);
}

}  // namespace tarnvel::modem
