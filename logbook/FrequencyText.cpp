#include "logbook/FrequencyText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "logbook/LogLine.h"

namespace tarnvel::logbook {

namespace {

std::string fixed(double value, int decimals) {
    char text[64];
    const auto [end, error] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return error == std::errc() ? std::string(text, end) : std::string();
}

}  // namespace

int clampLogPrecision(int precision) {
    return std::clamp(precision, kMinLogPrecision, kMaxLogPrecision);
}

std::string megahertzDisplay(double kilohertz, int logPrecision) {
    return fixed(kilohertz / 1000.0, clampLogPrecision(logPrecision));
}

std::string kilohertzDisplay(double kilohertz) {
    return fixed(kilohertz, 1);
}

std::string megahertzText(Hertz frequency) {
    const bool negative = frequency < 0;
    const uint64_t hz =
        negative ? 0 - static_cast<uint64_t>(frequency) : static_cast<uint64_t>(frequency);
    char text[40];
    std::snprintf(text, sizeof text, "%s%llu.%06llu", negative ? "-" : "",
                  static_cast<unsigned long long>(hz / 1'000'000),
                  static_cast<unsigned long long>(hz % 1'000'000));
    return text;
}

std::optional<Hertz> parseMegahertz(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    std::string number(text);
    for (char& c : number)
        if (c == ',') c = '.';
    double megahertz = 0;
    const auto [end, error] =
        std::from_chars(number.data(), number.data() + number.size(), megahertz);
    if (number.empty() || error != std::errc() || end != number.data() + number.size())
        return std::nullopt;
    if (!std::isfinite(megahertz) || megahertz < 0 ||
        megahertz * 1e6 >= static_cast<double>(kMaxFrequency))
        return std::nullopt;
    return static_cast<Hertz>(megahertz * 1e6 + 0.5);
}

Hertz hertzOfKilohertz(double kilohertz) {
    if (!std::isfinite(kilohertz) || kilohertz <= 0) return 0;
    return static_cast<Hertz>(std::llround(std::min(kilohertz * 1000.0, 1e15)));
}

}  // namespace tarnvel::logbook
