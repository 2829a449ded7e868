#include "logbook/QsoText.h"

#include <charconv>
#include <cstdio>
#include <ctime>

#include "logbook/LogExchange.h"
#include "logbook/SafeFile.h"

namespace tarnvel::logbook {

namespace {

std::string padded(std::string text, size_t width, bool left) {
    if (text.size() < width) text.insert(left ? text.size() : 0, width - text.size(), ' ');
    return text;
}

std::string kilohertzFixed3(Hertz frequency) {
    // Whole Hz make exact kHz with three decimals: no floating point needed.
    const bool negative = frequency < 0;
    const uint64_t hz =
        negative ? 0 - static_cast<uint64_t>(frequency) : static_cast<uint64_t>(frequency);
    char text[40];
    std::snprintf(text, sizeof text, "%s%llu.%03llu", negative ? "-" : "",
                  static_cast<unsigned long long>(hz / 1000),
                  static_cast<unsigned long long>(hz % 1000));
    return text;
}

}  // namespace

std::string logWindowStart(UtcSeconds start) {
    const CivilTime t = toCivilTime(start);
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    const int64_t days = (start - (t.hour * 3600 + t.minute * 60 + t.second)) / 86400;
    tm.tm_wday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    char text[128];
    const size_t n = std::strftime(text, sizeof text, "%x %H:%M:%S", &tm);
    return std::string(text, n);
}

std::string logWindowKilohertz(Hertz frequency) {
    return padded(kilohertzFixed3(frequency), 11, false);
}

std::array<std::string, 9> logWindowColumns(const QsoRecord& r) {
    return {logWindowStart(r.start),
            logWindowKilohertz(r.frequency()),
            r.mode,
            r.call,
            r.rstSent,
            r.rstReceived,
            r.name,
            r.qth,
            r.notes};
}

std::string textExportLine(const QsoRecord& r) {
    static constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const CivilTime t = toCivilTime(r.start);
    char start[40];
    std::snprintf(start, sizeof start, "%02d-%s-%04d %02d:%02d:%02d", t.day, kMonths[t.month - 1],
                  t.year, t.hour, t.minute, t.second);
    std::string line = start;
    line += ' ' + logWindowKilohertz(r.frequency());
    line += ' ' + padded(r.mode, 6, true);
    line += ' ' + padded(r.call, 14, true);
    line += ' ' + padded(r.rstSent, 3, true);
    line += ' ' + padded(r.rstReceived, 3, true);
    line += ' ' + padded(r.name, 10, true);
    line += ' ' + padded(r.qth, 20, true);
    line += ' ' + r.notes + '\n';
    return line;
}

LogStatus writeTextExport(const LogFile& log, const std::string& path,
                          std::span<const QsoRecord> records) {
    if (isLogWorkingFile(log, path))
        return LogStatus::failure("Cannot create file " + path + ": it is the log's own file");
    std::string text;
    for (const QsoRecord& r : records) text += textExportLine(r);
    const LogStatus written = replaceFile(path, text, std::nullopt);
    if (!written)
        return LogStatus::failure("Cannot create file " + path + " (" + written.error + ")");
    return written;
}

}  // namespace tarnvel::logbook
