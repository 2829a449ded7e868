#include "modem/CharacterSet.h"

#include <algorithm>
#include <cctype>

namespace tarnvel::modem {
namespace {

// Windows-1250 bytes 128..255 as Unicode. The five bytes the code page leaves undefined
// (0x81, 0x83, 0x88, 0x90, 0x98) keep their Latin-1 value, so they survive a round trip.
constexpr std::array<char16_t, 128> kWindows1250High{
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

constexpr char32_t kLastCodePoint = 0x10FFFF;

bool isSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c > kLastCodePoint || isSurrogate(c)) {
        out += kUnencodable;
    } else if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char windows1250Byte(char32_t c) {
    if (c < 0x80) return static_cast<char>(c);
    const auto* found = std::find(kWindows1250High.begin(), kWindows1250High.end(), c);
    if (found == kWindows1250High.end()) return kUnencodable;
    return static_cast<char>(0x80 + (found - kWindows1250High.begin()));
}

char32_t singleByteCharacter(uint8_t b, CharacterSet set) {
    if (set == CharacterSet::Windows1250 && b >= 0x80) return kWindows1250High[b - 0x80];
    return b;
}

// The length of the valid UTF-8 sequence at position, or 0 when none starts there.
std::size_t validSequenceAt(std::string_view bytes, std::size_t position) {
    const auto lead = static_cast<uint8_t>(bytes[position]);
    const int length = utf8::sequenceLength(lead);
    if (length == 0 || position + static_cast<std::size_t>(length) > bytes.size()) return 0;
    for (int i = 1; i < length; ++i)
        if (!utf8::continues(lead, i, static_cast<uint8_t>(bytes[position + i]))) return 0;
    return static_cast<std::size_t>(length);
}

}  // namespace

namespace utf8 {

int sequenceLength(uint8_t lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;  // a continuation byte, or a lead that only overlong or too large forms use
}

bool continues(uint8_t lead, int index, uint8_t byte) {
    uint8_t low = 0x80, high = 0xBF;
    if (index == 1) {
        if (lead == 0xE0) low = 0xA0;       // shorter forms exist
        if (lead == 0xED) high = 0x9F;      // surrogates
        if (lead == 0xF0) low = 0x90;       // shorter forms exist
        if (lead == 0xF4) high = 0x8F;      // beyond U+10FFFF
    }
    return byte >= low && byte <= high;
}

char32_t codePoint(const uint8_t* sequence, int length) {
    static constexpr uint8_t kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t c = sequence[0] & kLeadBits[length];
    for (int i = 1; i < length; ++i) c = (c << 6) | (sequence[i] & 0x3F);
    return c;
}

}  // namespace utf8

std::string_view characterSetName(CharacterSet set) {
    for (const auto& info : kCharacterSets)
        if (info.set == set) return info.name;
    return kCharacterSets.front().name;
}

std::optional<CharacterSet> characterSetNamed(std::string_view name) {
    const auto sameLetters = [](std::string_view a, std::string_view b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::tolower(static_cast<unsigned char>(x)) ==
                          std::tolower(static_cast<unsigned char>(y));
               });
    };
    for (const auto& info : kCharacterSets)
        if (sameLetters(info.name, name)) return info.set;
    return std::nullopt;
}

std::string encodeText(std::u32string_view text, CharacterSet set) {
    std::string bytes;
    bytes.reserve(text.size());
    for (const char32_t c : text) {
        switch (set) {
            case CharacterSet::Utf8:
                appendUtf8(bytes, c);
                break;
            case CharacterSet::Windows1250:
                bytes += windows1250Byte(c);
                break;
            case CharacterSet::Latin1:
                bytes += c <= 0xFF ? static_cast<char>(c) : kUnencodable;
                break;
        }
    }
    return bytes;
}

std::u32string decodeText(std::string_view bytes, CharacterSet set) {
    std::u32string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = characterLengthAt(bytes, i, set);
        if (length > 1) {
            text += utf8::codePoint(reinterpret_cast<const uint8_t*>(bytes.data() + i),
                                    static_cast<int>(length));
        } else {
            text += singleByteCharacter(static_cast<uint8_t>(bytes[i]), set);
        }
        i += length;
    }
    return text;
}

std::size_t characterLengthAt(std::string_view bytes, std::size_t position, CharacterSet set) {
    if (position >= bytes.size()) return 0;
    if (set != CharacterSet::Utf8) return 1;
    return std::max<std::size_t>(1, validSequenceAt(bytes, position));
}

// A lead byte always starts afresh in the decoder (it can never continue a sequence), so the
// last character is a whole valid sequence ending at position when one does, else one byte.
std::size_t characterLengthBefore(std::string_view bytes, std::size_t position,
                                  CharacterSet set) {
    position = std::min(position, bytes.size());
    if (position == 0) return 0;
    if (set != CharacterSet::Utf8) return 1;
    for (std::size_t length = 2; length <= 4 && length <= position; ++length)
        if (validSequenceAt(bytes.substr(0, position), position - length) == length) return length;
    return 1;
}

}  // namespace tarnvel::modem
