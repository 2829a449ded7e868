#pragma once
// Which set a macro key or bar button fires, and the texts the macro bar, the menus and
// the editor show for a key.

#include <string>
#include <string_view>

#include "macros/MacroSet.h"

namespace tarnvel::macros {

// The Ctrl set is active when exactly one of the two holds: Ctrl is down, or the bar's
// "^" button is latched (so Ctrl with "^" latched fires the F set).
constexpr MacroKeySet activeMacroSet(bool ctrlHeld, bool caretLatched) {
    return ctrlHeld != caretLatched ? MacroKeySet::Ctrl : MacroKeySet::F;
}

inline constexpr std::string_view kCaretButtonText = "^";
inline constexpr std::string_view kCaretButtonTooltip = "Ctrl...";
inline constexpr std::string_view kEditMacroTitle = "Edytuj macro";
inline constexpr std::string_view kFMacroMenu = "F&n macra";
inline constexpr std::string_view kCtrlMacroMenu = "C&trl-Fn macra";
inline constexpr std::string_view kLoadMacrosCommand = "&Ładuj macro";
inline constexpr std::string_view kSaveMacrosCommand = "&Zapisz macro";

// "F1" … "F12", "Ctrl-F1" … "Ctrl-F12".
std::string macroKeyName(MacroKeySet set, int key);
// "User macro (F1). Right-click to edit."
std::string macroButtonTooltip(MacroKeySet set, int key);
// "F&1\tCQ" for 1 … 9 (the digit is the item's mnemonic), "F10\tCQ" for 10 … 12; the same
// with "Ctrl-F" for the Ctrl set.
std::string macroMenuItemText(MacroKeySet set, int key, std::string_view label);
// The editor's prompt: "Label for F2:" or "Label for Ctrl-F2:".
std::string macroLabelPrompt(MacroKeySet set, int key);

}  // namespace tarnvel::macros
