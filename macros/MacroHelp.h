#pragma once
// The tag list the macro editor shows beside the text, and what its "<<" button does with
// the selected line.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnvel::macros {

// Between the groups of the help list.
inline constexpr std::string_view kHelpSeparator = "-------------------------------";

// One line per listed tag ("<MYCALL> - your callsign"), in seven groups.
const std::vector<std::string>& macroHelpLines();

// What "<<" does with a help line: the tag to type at the caret and, when the label is
// still empty, the label to give the macro (the tag without its angle brackets).
struct HelpInsertion {
    std::string tag;
    std::optional<std::string> label;
};
// Nothing for a separator (or any line that does not begin with a tag).
std::optional<HelpInsertion> helpLineInsertion(std::string_view helpLine,
                                               std::string_view currentLabel);

}  // namespace tarnvel::macros
