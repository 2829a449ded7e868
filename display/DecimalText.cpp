#include "display/DecimalText.h"

#include <array>
#include <charconv>
#include <cmath>

namespace tarnvel::display {

std::string formatDecimal(double value, int decimals) {
    if (!std::isfinite(value)) return "0";
    std::array<char, 512> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed, decimals);
    if (error != std::errc{}) return "0";
    return std::string(buffer.data(), end);
}

double parseDecimal(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    std::string number;
    size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) number += text[i++];
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            number += c;
        } else if ((c == '.' || c == ',') && !point) {
            point = true;
            number += '.';
        } else {
            break;
        }
    }
    const char* first = number.data();
    if (!number.empty() && number.front() == '+') ++first;  // from_chars takes only '-'
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(first, number.data() + number.size(), value, std::chars_format::fixed);
    if (error != std::errc{} || !std::isfinite(value)) return 0.0;
    (void)end;
    return value;
}

}  // namespace tarnvel::display
