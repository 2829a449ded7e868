#include "macros/CallbookUrl.h"

#include <cstdint>

namespace tarnvel::macros {

namespace {

bool isUnreserved(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

void appendEncodedByte(std::string& out, std::uint8_t byte) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

}  // namespace

std::string percentEncode(std::string_view text) {
    std::string encoded;
    encoded.reserve(text.size() * 3);
    for (char c : text) {
        const auto code = static_cast<std::uint8_t>(c);
        if (isUnreserved(c)) {
            encoded += c;
        } else if (code < 0x80) {
            appendEncodedByte(encoded, code);
        } else {
            appendEncodedByte(encoded, static_cast<std::uint8_t>(0xC0 | (code >> 6)));
            appendEncodedByte(encoded, static_cast<std::uint8_t>(0x80 | (code & 0x3F)));
        }
    }
    return encoded;
}

std::string fillCallbookUrl(std::string_view urlTemplate, std::string_view call) {
    std::string url(urlTemplate);
    const std::size_t at = url.find(kCallbookPlaceholder);
    if (at != std::string::npos) url.replace(at, kCallbookPlaceholder.size(), percentEncode(call));
    return url;
}

}  // namespace tarnvel::macros
