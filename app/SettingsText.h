#pragma once

// Text forms of setting values: the escaping of string settings, the integer
// parse of the store and the locale-independent float formatting.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "macros/SettingTextEscaping.h"

namespace tarnvel::app {

// Line breaks and edge spaces cannot survive a one-line, trimmed "key=value" entry,
// so string settings replace them by these markers before they are written. Macro texts
// are stored the same way, so the one escaping lives with them, below the station.
using macros::kEscapedCarriageReturn;
using macros::kEscapedLineFeed;
using macros::kEscapedSpace;

// Every CR becomes "<CR>", every LF "<LF>"; then a trailing and a leading space
// become "<SP>" (only the outermost one at each end: an inner space survives the
// trimming of the stored value).
inline std::string escapeSettingText(std::string_view text) {
    return macros::escapeMacroText(text);
}

// Every "<CR>", "<LF>" and "<SP>" anywhere in the text becomes CR, LF or a space.
inline std::string unescapeSettingText(std::string_view text) {
    return macros::unescapeMacroText(text);
}

// The integer of a stored value: leading blanks, an optional sign, then decimal
// digits or "0x" and hexadecimal digits; text after the number is ignored.
// Magnitudes up to 0xFFFFFFFF wrap to 32 bits (colours written as unsigned read
// back unchanged). No digits at all, or a larger magnitude, gives nothing, so the
// caller falls back to its default instead of a made-up 0.
std::optional<std::int32_t> parseSettingInt(std::string_view text);

// Decimal form of an integer, as written to the store.
std::string formatSettingInt(std::int32_t value);

// "%g" (six significant digits) in the C locale: the file reads the same whatever
// the desktop's locale, where printf would write a decimal comma.
std::string formatSettingFloat(float value);

// Up to 20 significant digits: the text form of a default that reads back exactly.
std::string formatSettingFloatExact(double value);

// The number at the start of a stored value, as atof reads it (leading blanks,
// optional sign, decimal or exponent form, "inf", "nan"), but always with a decimal
// point. A value with no number (or one beyond the range of a double) gives
// nothing, so the caller keeps its default.
std::optional<double> parseSettingFloat(std::string_view text);

}  // namespace tarnvel::app
