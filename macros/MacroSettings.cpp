#include "macros/MacroSettings.h"

#include "macros/SettingTextEscaping.h"

namespace tarnvel::macros {

namespace {

std::string keyPrefix(MacroKeySet set, int key) {
    return (set == MacroKeySet::F ? "F" : "AltF") + std::to_string(key);
}

constexpr MacroKeySet kSets[] = {MacroKeySet::F, MacroKeySet::Ctrl};

bool writeMacro(MacroSettingsStore& store, MacroKeySet set, int key, const Macro& macro) {
    const bool label = store.write(kMacroSection, macroLabelKey(set, key), macro.label);
    const bool text =
        store.write(kMacroSection, macroTextKey(set, key), escapeMacroText(macro.text));
    return label && text;
}

}  // namespace

std::string macroLabelKey(MacroKeySet set, int key) {
    return keyPrefix(set, key) + "Label";
}

std::string macroTextKey(MacroKeySet set, int key) {
    return keyPrefix(set, key) + "Text";
}

MacroSet loadMacroSet(const MacroSettingsStore& store) {
    MacroSet macros;
    for (MacroKeySet set : kSets) {
        for (int key = 1; key <= kMacroKeysPerSet; ++key) {
            const StoredMacro fallback = defaultStoredMacro(set, key);
            Macro& macro = macros.at(set, key);
            macro.label =
                store.find(kMacroSection, macroLabelKey(set, key)).value_or(fallback.label);
            macro.text = unescapeMacroText(
                store.find(kMacroSection, macroTextKey(set, key)).value_or(fallback.text));
        }
    }
    return macros;
}

bool storeEditedMacro(MacroSettingsStore& store, MacroSet& macros, MacroKeySet set, int key,
                      const Macro& edited) {
    Macro& macro = macros.at(set, key);
    macro.label = edited.label;
    macro.text = unescapeMacroText(escapeMacroText(edited.text));
    return writeMacro(store, set, key, macro);
}

bool storeMacroSet(MacroSettingsStore& store, const MacroSet& macros) {
    bool allWritten = true;
    for (MacroKeySet set : kSets) {
        for (int key = 1; key <= kMacroKeysPerSet; ++key) {
            allWritten = writeMacro(store, set, key, macros.at(set, key)) && allWritten;
        }
    }
    return allWritten;
}

}  // namespace tarnvel::macros
