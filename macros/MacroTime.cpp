#include "macros/MacroTime.h"

#include <array>
#include <cstdio>
#include <ctime>

namespace tarnvel::macros {

namespace {

constexpr std::array<const char*, 12> kMonthAbbreviations{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::tm brokenDown(std::chrono::system_clock::time_point when, bool utc) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm parts{};
    if (utc) {
        ::gmtime_r(&seconds, &parts);
    } else {
        ::localtime_r(&seconds, &parts);
    }
    return parts;
}

std::string localeFormat(const std::tm& parts, const char* format) {
    std::array<char, 128> buffer{};
    const std::size_t length = std::strftime(buffer.data(), buffer.size(), format, &parts);
    return std::string(buffer.data(), length);
}

}  // namespace

std::string formatMacroTime(std::chrono::system_clock::time_point when, bool utc) {
    const std::tm parts = brokenDown(when, utc);
    if (!utc) return localeFormat(parts, "%X");
    std::array<char, 32> buffer{};
    const int length = std::snprintf(buffer.data(), buffer.size(), "%02d:%02d:%02dz", parts.tm_hour,
                                     parts.tm_min, parts.tm_sec);
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

std::string formatMacroDate(std::chrono::system_clock::time_point when, bool utc) {
    const std::tm parts = brokenDown(when, utc);
    if (!utc) return localeFormat(parts, "%x");
    std::array<char, 48> buffer{};
    const int length = std::snprintf(buffer.data(), buffer.size(), "%d %s %d", parts.tm_mday,
                                     kMonthAbbreviations[static_cast<std::size_t>(parts.tm_mon)],
                                     parts.tm_year + 1900);
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

}  // namespace tarnvel::macros
