#include "logbook/FrequencyText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tarnvel::logbook {

namespace {

std::string fixed(double value, int decimals) {
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return error == std::errc() ? std::string(text, end) : std::string();
}

}  // namespace

int clampLogPrecision(int precision) { return std::clamp(precision, kMinLogPrecision, kMaxLogPrecision); }

std::string megahertzDisplay(double kilohertz, int logPrecision) {
    return fixed(kilohertz / 1000.0, clampLogPrecision(logPrecision));
}

std::string kilohertzDisplay(double kilohertz) { return fixed(kilohertz, 1); }

Hertz hertzOfKilohertz(double kilohertz) {
    if (!std::isfinite(kilohertz) || kilohertz <= 0) return 0;
    return static_cast<Hertz>(std::llround(std::min(kilohertz * 1000.0, 1e15)));
}

}  // namespace tarnvel::logbook
