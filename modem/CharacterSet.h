#pragma once
// The character set on the air: how the operator's text becomes the 8-bit character codes the
// varicode sends, and back. The station keeps text in those codes (as sent and received); only
// what the operator sees and types depends on the character set. UTF-8 is what today's
// keyboard-mode programs send; Windows-1250 and ISO-8859-1 are the older single-byte habits.
//
// Unicode text is handled as code points (char32_t), so this stays free of any toolkit.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnvel::modem {

enum class CharacterSet { Utf8, Windows1250, Latin1 };

struct CharacterSetInfo {
    CharacterSet set;
    std::string_view name;  // as stored in the settings and shown to the operator
};

inline constexpr std::array<CharacterSetInfo, 3> kCharacterSets{{
    {CharacterSet::Utf8, "UTF-8"},
    {CharacterSet::Windows1250, "Windows-1250"},
    {CharacterSet::Latin1, "ISO-8859-1"},
}};
inline constexpr CharacterSet kDefaultCharacterSet = CharacterSet::Utf8;

std::string_view characterSetName(CharacterSet set);
// The set of that name (case-insensitive); nothing for an unknown name.
std::optional<CharacterSet> characterSetNamed(std::string_view name);

// Characters the set cannot hold become '?'.
inline constexpr char kUnencodable = '?';

// Unicode text as on-air bytes.
std::string encodeText(std::u32string_view text, CharacterSet set);
// On-air bytes as Unicode text. In UTF-8, a byte that does not belong to a valid sequence is
// taken as its Latin-1 character, so nothing is lost.
std::u32string decodeText(std::string_view bytes, CharacterSet set);

// How many bytes the character starting at position takes (1 unless a valid UTF-8 sequence
// starts there); 0 at or past the end.
std::size_t characterLengthAt(std::string_view bytes, std::size_t position, CharacterSet set);
// How many bytes the last character before position takes, as the decoder split the text; 0 at
// position 0.
std::size_t characterLengthBefore(std::string_view bytes, std::size_t position, CharacterSet set);

// UTF-8 structure. A lead byte announces the length of its sequence; the continuation bytes
// that may follow it are restricted so that overlong forms, surrogates and code points beyond
// U+10FFFF are not valid.
namespace utf8 {
// The length of the sequence this byte starts (1 for ASCII), 0 when it cannot start one.
int sequenceLength(uint8_t lead);
// Whether byte may stand at index (1..3) of a sequence begun by lead.
bool continues(uint8_t lead, int index, uint8_t byte);
// The code point of a complete valid sequence.
char32_t codePoint(const uint8_t* sequence, int length);
}  // namespace utf8

}  // namespace tarnvel::modem
