#pragma once
// Times of the log: UTC seconds since 1970, written as "%Y%m%d%H%M%S" (start) and "%Y%m%d"
// (dates). Only years 1900 to 9999 are accepted, so every start is 14 digits and reads back
// as the same moment.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnvel::logbook {

using UtcSeconds = int64_t;

inline constexpr int kFirstLogYear = 1900;
inline constexpr int kLastLogYear = 9999;

struct CivilTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

bool isValidCivilTime(const CivilTime& t);
UtcSeconds toUtcSeconds(const CivilTime& t);
CivilTime toCivilTime(UtcSeconds seconds);
bool isLoggableTime(UtcSeconds seconds);

// "YYYYMMDDhhmmss" and "YYYYMMDD"; an unloggable time gives an empty text.
std::string formatStart(UtcSeconds seconds);
std::string formatDate(UtcSeconds seconds);

// Exactly 14 (start) or 8 (date) digits forming a valid moment in the loggable years.
std::optional<UtcSeconds> parseStart(std::string_view text);
std::optional<UtcSeconds> parseDate(std::string_view text);

// Parses an unsigned decimal number made of digits only, at most max.
std::optional<int64_t> parseDigits(std::string_view text, int64_t max);

}  // namespace tarnvel::logbook
