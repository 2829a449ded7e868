#pragma once
// The operator's two sets of twelve macros: the F set on F1 … F12 and the Ctrl set on
// Ctrl+F1 … Ctrl+F12, each macro a short label and a text in the macro language. Texts are
// held as they are used (line breaks as CR and LF).

#include <array>
#include <cstddef>
#include <string>

namespace tarnvel::macros {

enum class MacroKeySet { F, Ctrl };

inline constexpr int kMacroKeysPerSet = 12;

struct Macro {
    std::string label;
    std::string text;
    bool operator==(const Macro&) const = default;
};

class MacroSet {
  public:
    // Every label and text empty.
    MacroSet() = default;
    // The macros a new station starts with.
    static MacroSet defaults();

    // key is 1 … 12.
    Macro& at(MacroKeySet set, int key) { return macros_.at(index(set, key)); }
    const Macro& at(MacroKeySet set, int key) const { return macros_.at(index(set, key)); }

    bool operator==(const MacroSet&) const = default;

  private:
    static std::size_t index(MacroKeySet set, int key) {
        const std::size_t base = set == MacroKeySet::F ? 0 : kMacroKeysPerSet;
        return base + static_cast<std::size_t>(key - 1);
    }

    std::array<Macro, 2 * kMacroKeysPerSet> macros_{};
};

// The default of one macro, as the settings store would hold it (texts escaped).
struct StoredMacro {
    const char* label;
    const char* text;
};
StoredMacro defaultStoredMacro(MacroKeySet set, int key);

}  // namespace tarnvel::macros
