#pragma once
// Macro files ("*.mac"): exactly 48 lines, each ended by a line feed. For i = 1 … 12 the F
// label i and the F text i, then for i = 1 … 12 the Ctrl label i and the Ctrl text i;
// texts escaped, labels as they are. No header, no version.

#include <string>
#include <string_view>

#include "macros/MacroSet.h"

namespace tarnvel::macros {

inline constexpr int kMacroFileLines = 4 * kMacroKeysPerSet;
// A macro file is a few kilobytes; anything far larger is not one.
inline constexpr std::size_t kMaxMacroFileBytes = 1024 * 1024;

inline constexpr std::string_view kCannotOpenMacroFile = "Cannot open ";
inline constexpr std::string_view kErrorReadingMacroFile = "Error reading ";
inline constexpr std::string_view kCannotCreateMacroFile = "Cannot create ";

// The file dialogs of the load and save commands.
inline constexpr std::string_view kLoadMacrosTitle = "Load macros";
inline constexpr std::string_view kSaveMacrosTitle = "Save macros";
inline constexpr std::string_view kMacroFileExtension = "mac";
inline constexpr std::string_view kMacroFileDefault = "*.mac";
inline constexpr std::string_view kMacroFileFilter =
    "Macro files (*.mac)|*.mac|All files (*.*)|*.*||";

struct MacroFileResult {
    bool ok = false;
    std::string message;  // the operator's message when not ok
};

// The file's text for a set: 48 lines. A line break in a label would shift every later
// line, so it is written as a space.
std::string formatMacroFile(const MacroSet& macros);

// Reads the lines in file order into macros, each replacing its macro at once (a CR
// before a line feed is dropped). A file that cannot be opened (or is not a regular file)
// changes nothing: "Cannot open " + name. A file of fewer lines keeps what was read and
// reports "Error reading " + name, as does one too large to be a macro file (nothing
// read then).
MacroFileResult loadMacroFile(const std::string& name, MacroSet& macros);

// Writes the file through a temporary file beside it, renamed over it only when every
// byte reached the disk; on any failure the old file is untouched and the message is
// "Cannot create " + name.
MacroFileResult saveMacroFile(const std::string& name, const MacroSet& macros);

}  // namespace tarnvel::macros
