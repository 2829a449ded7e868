#include "logbook/LogTime.h"

#include <cstdio>

namespace tarnvel::logbook {

namespace {

constexpr int64_t kSecondsPerDay = 86400;

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date (the civil-from-days pair below is
// its inverse).
int64_t daysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, CivilTime& t) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2 ? 1 : 0));
}

int64_t floorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

}  // namespace

bool isValidCivilTime(const CivilTime& t) {
    return t.year >= kFirstLogYear && t.year <= kLastLogYear && t.month >= 1 && t.month <= 12 &&
           t.day >= 1 && t.day <= daysInMonth(t.year, t.month) && t.hour >= 0 && t.hour <= 23 &&
           t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

UtcSeconds toUtcSeconds(const CivilTime& t) {
    return daysFromCivil(t.year, t.month, t.day) * kSecondsPerDay + t.hour * 3600 + t.minute * 60 +
           t.second;
}

CivilTime toCivilTime(UtcSeconds seconds) {
    CivilTime t;
    const int64_t days = floorDiv(seconds, kSecondsPerDay);
    const int64_t rest = seconds - days * kSecondsPerDay;
    civilFromDays(days, t);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

bool isLoggableTime(UtcSeconds seconds) {
    static const UtcSeconds first = toUtcSeconds({kFirstLogYear, 1, 1, 0, 0, 0});
    static const UtcSeconds last = toUtcSeconds({kLastLogYear, 12, 31, 23, 59, 59});
    return seconds >= first && seconds <= last;
}

std::string formatStart(UtcSeconds seconds) {
    if (!isLoggableTime(seconds)) return {};
    const CivilTime t = toCivilTime(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return text;
}

std::string formatDate(UtcSeconds seconds) {
    if (!isLoggableTime(seconds)) return {};
    const CivilTime t = toCivilTime(seconds);
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", t.year, t.month, t.day);
    return text;
}

std::optional<int64_t> parseDigits(std::string_view text, int64_t max) {
    if (text.empty()) return std::nullopt;
    int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > max) return std::nullopt;
    }
    return value;
}

namespace {

std::optional<UtcSeconds> parseCivil(std::string_view text, bool withTime) {
    if (text.size() != (withTime ? 14u : 8u)) return std::nullopt;
    if (!parseDigits(text, INT64_MAX)) return std::nullopt;
    auto part = [&](size_t at, size_t n) {
        return static_cast<int>(*parseDigits(text.substr(at, n), 9999));
    };
    CivilTime t{part(0, 4), part(4, 2), part(6, 2), 0, 0, 0};
    if (withTime) {
        t.hour = part(8, 2);
        t.minute = part(10, 2);
        t.second = part(12, 2);
    }
    if (!isValidCivilTime(t)) return std::nullopt;
    return toUtcSeconds(t);
}

}  // namespace

std::optional<UtcSeconds> parseStart(std::string_view text) {
    return parseCivil(text, true);
}
std::optional<UtcSeconds> parseDate(std::string_view text) {
    return parseCivil(text, false);
}

}  // namespace tarnvel::logbook
