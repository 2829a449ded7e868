#include "macros/MacroKeys.h"

namespace tarnvel::macros {

namespace {

constexpr int kLastMnemonicKey = 9;

std::string_view keyPrefix(MacroKeySet set) {
    return set == MacroKeySet::F ? "F" : "Ctrl-F";
}

}  // namespace

std::string macroKeyName(MacroKeySet set, int key) {
    return std::string(keyPrefix(set)) + std::to_string(key);
}

std::string macroButtonTooltip(MacroKeySet set, int key) {
    return "User macro (" + macroKeyName(set, key) + "). Right-click to edit.";
}

std::string macroMenuItemText(MacroKeySet set, int key, std::string_view label) {
    const std::string mnemonic = key <= kLastMnemonicKey ? "&" : "";
    return std::string(keyPrefix(set)) + mnemonic + std::to_string(key) + "\t" + std::string(label);
}

std::string macroLabelPrompt(MacroKeySet set, int key) {
    return "Label for " + macroKeyName(set, key) + ":";
}

}  // namespace tarnvel::macros
