#include "logbook/LogLine.h"

#include <array>
#include <charconv>
#include <climits>

namespace tarnvel::logbook {

namespace {

// Splits at the first 19 ";"; false when there are fewer.
bool splitFields(std::string_view line, std::array<std::string_view, kLogLineFields>& fields) {
    size_t from = 0;
    for (auto& field : fields) {
        const size_t semicolon = line.find(';', from);
        if (semicolon == std::string_view::npos) return false;
        field = line.substr(from, semicolon - from);
        from = semicolon + 1;
    }
    return true;
}

std::optional<int> parseNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<Hertz> parseFrequency(std::string_view text) {
    if (text.empty()) return Hertz{0};
    return parseDigits(text, kMaxFrequency);
}

void appendField(std::string& line, std::string_view text) {
    line += sanitiseField(text);
    line += ';';
}

std::string optionalDate(const std::optional<UtcSeconds>& date, UtcSeconds start) {
    return date && *date > start ? formatDate(*date) : std::string();
}

}  // namespace

std::string toUpperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

std::string sanitiseField(std::string_view text) {
    std::string clean(text);
    for (char& c : clean) {
        if (c == ';')
            c = ',';
        else if (c == '\r' || c == '\n')
            c = ' ';
    }
    return clean;
}

std::string formatLogLine(const QsoRecord& r) {
    std::string line;
    line.reserve(128);
    appendField(line, std::to_string(r.number));
    appendField(line, toUpperAscii(r.call));
    appendField(line, formatStart(r.start));
    appendField(line, r.end > r.start ? std::to_string((r.end - r.start) / 60) : std::string());
    appendField(line, optionalDate(r.dateA, r.start));
    appendField(line, optionalDate(r.dateB, r.start));
    appendField(line, std::to_string(r.frequency2 != 0 ? 0 : r.frequency1));
    appendField(line, std::to_string(r.frequency2));
    for (const std::string* text : {&r.text1, &r.mode, &r.rstSent, &r.rstReceived, &r.text5,
                                    &r.text6, &r.name, &r.qth, &r.notes, &r.text10, &r.text11})
        appendField(line, *text);
    line += '\n';
    return line;
}

std::string_view withoutCarriageReturn(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

std::optional<QsoRecord> parseLogLine(std::string_view line) {
    std::array<std::string_view, kLogLineFields> f;
    if (!splitFields(line, f)) return std::nullopt;
    QsoRecord r;
    const auto number = parseNumber(f[0]);
    const auto start = parseStart(f[2]);
    if (!number || !start) return std::nullopt;
    r.number = *number;
    r.call = std::string(f[1]);
    r.start = r.end = *start;
    if (!f[3].empty()) {
        const auto minutes = parseDigits(f[3], kMaxDurationMinutes);
        if (!minutes) return std::nullopt;
        r.end = r.start + *minutes * 60;
    }
    r.dateA = parseDate(f[4]);
    r.dateB = parseDate(f[5]);
    const auto frequency1 = parseFrequency(f[6]);
    const auto frequency2 = parseFrequency(f[7]);
    if (!frequency1 || !frequency2) return std::nullopt;
    r.frequency1 = *frequency1 != 0 ? *frequency1 : *frequency2;
    r.frequency2 = *frequency2 != 0 ? *frequency2 : *frequency1;
    std::string* texts[] = {&r.text1, &r.mode, &r.rstSent, &r.rstReceived, &r.text5, &r.text6,
                            &r.name,  &r.qth,  &r.notes,   &r.text10,      &r.text11};
    for (size_t i = 0; i < std::size(texts); ++i) *texts[i] = std::string(f[8 + i]);
    return r;
}

std::optional<UtcSeconds> parseLogStart(std::string_view line) {
    size_t from = 0;
    for (int field = 0; field < 2; ++field) {
        from = line.find(';', from);
        if (from == std::string_view::npos) return std::nullopt;
        ++from;
    }
    const size_t end = line.find(';', from);
    if (end == std::string_view::npos) return std::nullopt;
    return parseStart(line.substr(from, end - from));
}

}  // namespace tarnvel::logbook
