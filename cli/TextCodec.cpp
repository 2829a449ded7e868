#include "cli/TextCodec.h"

#include <cstdint>
#include <cstdio>
#include <optional>

namespace tarnvel::cli {
namespace {

// Decodes one UTF-8 sequence at text[i]; empty when it is not valid UTF-8.
std::optional<uint32_t> decodeUtf8(std::string_view text, size_t& i) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    const uint8_t lead = byte(i);
    if (lead < 0x80) return text[i++] & 0x7F;
    int length = 0;
    uint32_t cp = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1Fu;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0Fu;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07u;
    } else {
        return std::nullopt;
    }
    if (i + static_cast<size_t>(length) > text.size()) return std::nullopt;
    for (int k = 1; k < length; ++k) {
        const uint8_t b = byte(i + static_cast<size_t>(k));
        if ((b & 0xC0) != 0x80) return std::nullopt;
        cp = (cp << 6) | (b & 0x3Fu);
    }
    constexpr uint32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kShortest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return std::nullopt;
    i += static_cast<size_t>(length);
    return cp;
}

}  // namespace

CodedText toStationCodes(std::string_view text) {
    CodedText result;
    std::string decoded;
    bool validUtf8 = true;
    for (size_t i = 0; i < text.size() && validUtf8;) {
        const std::optional<uint32_t> cp = decodeUtf8(text, i);
        if (!cp) {
            validUtf8 = false;
        } else if (*cp > 0xFF) {
            char message[96];
            std::snprintf(message, sizeof message,
                          "character U+%04X cannot be sent (codes 0..255 only)", *cp);
            result.error = message;
            return result;
        } else {
            decoded.push_back(static_cast<char>(*cp));
        }
    }
    const std::string_view codes = validUtf8 ? std::string_view(decoded) : text;
    for (size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] == '\n' && (i == 0 || codes[i - 1] != '\r')) result.codes.push_back('\r');
        result.codes.push_back(codes[i]);
    }
    result.ok = true;
    return result;
}

std::string toUtf8(std::string_view codes) {
    std::string out;
    out.reserve(codes.size());
    for (char c : codes) {
        const auto code = static_cast<uint8_t>(c);
        if (code < 0x80) {
            out.push_back(c);
        } else {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

}  // namespace tarnvel::cli
