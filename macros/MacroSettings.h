#pragma once
// The macros in the settings store, section "Text": labels under "F%iLabel" and
// "AltF%iLabel" as they are, texts under "F%iText" and "AltF%iText" escaped. The station
// gives its store to these functions through the small interface below.

#include <optional>
#include <string>
#include <string_view>

#include "macros/MacroSet.h"

namespace tarnvel::macros {

inline constexpr std::string_view kMacroSection = "Text";

class MacroSettingsStore {
  public:
    virtual ~MacroSettingsStore() = default;
    // The stored text of a key, nothing when it is missing.
    virtual std::optional<std::string> find(std::string_view section,
                                            std::string_view key) const = 0;
    // False when the value could not be written.
    virtual bool write(std::string_view section, std::string_view key, std::string_view value) = 0;
};

// "F%iLabel" / "AltF%iLabel" and "F%iText" / "AltF%iText" (the Ctrl set is stored as "Alt").
std::string macroLabelKey(MacroKeySet set, int key);
std::string macroTextKey(MacroKeySet set, int key);

// Every macro from the store; a missing key gives that key's default.
MacroSet loadMacroSet(const MacroSettingsStore& store);

// The editor's OK: the label is written as it is, the text escaped; the macro in memory
// then holds the text as it reads back from the store. False when a write failed (the
// macro in memory is replaced all the same).
bool storeEditedMacro(MacroSettingsStore& store, MacroSet& macros, MacroKeySet set, int key,
                      const Macro& edited);

// All 48 keys, as after loading a macro file. False when a write failed.
bool storeMacroSet(MacroSettingsStore& store, const MacroSet& macros);

}  // namespace tarnvel::macros
