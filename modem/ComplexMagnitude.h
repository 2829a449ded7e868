#pragma once
// The size of a complex number as the square root of its norm: the library's std::abs goes
// through hypot, which guards against overflow at several times the cost. The norm only
// overflows beyond 1.8e19, where the guarded path takes over.

#include <cmath>
#include <complex>

namespace tarnvel::modem {

inline float magnitude(std::complex<float> z) {
    const float norm = std::norm(z);
    return std::isfinite(norm) ? std::sqrt(norm) : std::abs(z);
}

}  // namespace tarnvel::modem
