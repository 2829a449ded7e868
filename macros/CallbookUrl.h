#pragma once
// The look-up address of a call sign. The template is the operator's text: its first "%s"
// is replaced as it stands (the template is never a format string, so any other "%" is
// kept), and the call is percent-encoded so that it cannot add a path, a query or a
// scheme of its own.

#include <string>
#include <string_view>

namespace tarnvel::macros {

inline constexpr std::string_view kCallbookPlaceholder = "%s";

// Unreserved URL characters stay; every other byte becomes "%XX" (characters of the
// station's 8-bit codes above 127 as their UTF-8 bytes).
std::string percentEncode(std::string_view text);

// The template with its first "%s" replaced by the encoded call; a template without one
// is returned unchanged.
std::string fillCallbookUrl(std::string_view urlTemplate, std::string_view call);

}  // namespace tarnvel::macros
