#include "app/SettingsText.h"

#include <array>
#include <charconv>
#include <limits>

namespace tarnvel::app {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view skipBlanks(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    return text.substr(i);
}

}  // namespace

std::optional<std::int32_t> parseSettingInt(std::string_view text) {
    text = skipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    std::uint64_t magnitude = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc{} || end == text.data()) return std::nullopt;
    if (magnitude > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    // Wrap in unsigned arithmetic: "-1", "4294967295" and "0xFFFFFFFF" all give -1.
    std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
    if (negative) bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
}

std::string formatSettingInt(std::int32_t value) {
    return std::to_string(value);
}

namespace {

std::string formatGeneral(double value, int significantDigits) {
    std::array<char, 64> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::general, significantDigits);
    if (error != std::errc{}) return "0";
    return std::string(buffer.data(), end);
}

}  // namespace

std::string formatSettingFloat(float value) {
    constexpr int kPrintfGeneralDigits = 6;
    return formatGeneral(value, kPrintfGeneralDigits);
}

std::string formatSettingFloatExact(double value) {
    constexpr int kExactDigits = 20;
    return formatGeneral(value, kExactDigits);
}

std::optional<double> parseSettingFloat(std::string_view text) {
    text = skipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // from_chars takes no sign of its own beyond '-', so the sign is applied here.
    if (text.empty() || text.front() == '-' || text.front() == '+') return std::nullopt;
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    // A number beyond the range of a double is as unusable as no number at all.
    if (error != std::errc{} || end == text.data()) return std::nullopt;
    return negative ? -value : value;
}

}  // namespace tarnvel::app
