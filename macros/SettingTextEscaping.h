#pragma once
// Macro texts hold line breaks, and the settings store and macro files hold one line per
// value, so texts are written with line breaks and edge spaces as "<CR>", "<LF>" and
// "<SP>" (the settings store's own escaping of string values, which uses these functions
// too) and read back without them.

#include <string>
#include <string_view>

namespace tarnvel::macros {

inline constexpr std::string_view kEscapedCarriageReturn = "<CR>";
inline constexpr std::string_view kEscapedLineFeed = "<LF>";
inline constexpr std::string_view kEscapedSpace = "<SP>";

// Every CR becomes "<CR>", every LF "<LF>"; then one trailing and one leading space
// become "<SP>" (only the outermost one at each end: an inner space survives the trimming
// of a stored value).
std::string escapeMacroText(std::string_view text);

// Every "<CR>", "<LF>" and "<SP>" becomes CR, LF or a space.
std::string unescapeMacroText(std::string_view text);

}  // namespace tarnvel::macros
