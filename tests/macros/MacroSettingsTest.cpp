#include "macros/MacroSettings.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "macros/SettingTextEscaping.h"

namespace tarnvel::macros {
namespace {

class MapStore : public MacroSettingsStore {
  public:
    std::map<std::pair<std::string, std::string>, std::string> values;
    bool failWrites = false;
    int writes = 0;

    std::optional<std::string> find(std::string_view section, std::string_view key) const override {
        const auto found = values.find({std::string(section), std::string(key)});
        if (found == values.end()) return std::nullopt;
        return found->second;
    }
    bool write(std::string_view section, std::string_view key, std::string_view value) override {
        ++writes;
        if (failWrites) return false;
        values[{std::string(section), std::string(key)}] = std::string(value);
        return true;
    }
    std::string at(const std::string& key) const { return values.at({"Text", key}); }
};

TEST(MacroSettings, KeysNameTheCtrlSetAlt) {
    EXPECT_EQ(macroLabelKey(MacroKeySet::F, 1), "F1Label");
    EXPECT_EQ(macroTextKey(MacroKeySet::F, 12), "F12Text");
    EXPECT_EQ(macroLabelKey(MacroKeySet::Ctrl, 3), "AltF3Label");
    EXPECT_EQ(macroTextKey(MacroKeySet::Ctrl, 10), "AltF10Text");
}

TEST(MacroSettings, MissingKeysTakeTheirDefaults) {
    MapStore store;
    store.values[{"Text", "F2Label"}] = "My CQ";
    store.values[{"Text", "AltF5Text"}] = "QRZ?<CR><LF>";
    store.values[{"Other", "F3Label"}] = "wrong section";
    const MacroSet macros = loadMacroSet(store);

    EXPECT_EQ(macros.at(MacroKeySet::F, 2).label, "My CQ");
    EXPECT_EQ(macros.at(MacroKeySet::F, 2).text,
              "<TX>\r\nCQ CQ CQ DE <MYCALL> <MYCALL> <MYCALL> pse K\r\n<RXANDCLEAR>");
    EXPECT_EQ(macros.at(MacroKeySet::F, 3).label, "Call 3");
    EXPECT_EQ(macros.at(MacroKeySet::Ctrl, 5), (Macro{"", "QRZ?\r\n"}));
    EXPECT_EQ(macros.at(MacroKeySet::Ctrl, 9), (Macro{"Time", "<TIME>"}));
    EXPECT_EQ(macros.at(MacroKeySet::Ctrl, 12), (Macro{"", ""}));
    EXPECT_EQ(loadMacroSet(MapStore{}), MacroSet::defaults());
}

TEST(MacroSettings, AnEditIsWrittenAtOnceWithTheTextEscaped) {
    MapStore store;
    MacroSet macros = MacroSet::defaults();
    ASSERT_TRUE(
        storeEditedMacro(store, macros, MacroKeySet::Ctrl, 6, {" QSL ", " tnx\r\nfer <CR>"}));
    EXPECT_EQ(store.at("AltF6Label"), " QSL ");  // labels as they are
    EXPECT_EQ(store.at("AltF6Text"), "<SP>tnx<CR><LF>fer <CR>");
    EXPECT_EQ(store.values.size(), 2u);
    // In memory the text is what the store gives back.
    EXPECT_EQ(macros.at(MacroKeySet::Ctrl, 6), (Macro{" QSL ", " tnx\r\nfer \r"}));
    EXPECT_EQ(loadMacroSet(store).at(MacroKeySet::Ctrl, 6), macros.at(MacroKeySet::Ctrl, 6));

    store.failWrites = true;
    EXPECT_FALSE(storeEditedMacro(store, macros, MacroKeySet::F, 1, {"x", "y"}));
    EXPECT_EQ(macros.at(MacroKeySet::F, 1), (Macro{"x", "y"}));
}

TEST(MacroSettings, ALoadedSetIsStoredWholeAndReadsBackTheSame) {
    MapStore store;
    MacroSet macros = MacroSet::defaults();
    macros.at(MacroKeySet::F, 8).text = "Rig: 100 W\r\nAnt: dipole ";
    ASSERT_TRUE(storeMacroSet(store, macros));
    EXPECT_EQ(store.values.size(), 48u);
    EXPECT_EQ(store.at("F8Text"), "Rig: 100 W<CR><LF>Ant: dipole<SP>");
    EXPECT_EQ(store.at("AltF1Text"), "<BAND:80m>");
    EXPECT_EQ(loadMacroSet(store), macros);

    store.failWrites = true;
    EXPECT_FALSE(storeMacroSet(store, macros));
    EXPECT_EQ(store.writes, 48 + 48);  // one failure does not stop the other writes
}

TEST(MacroSettings, EscapingMatchesTheSettingsStore) {
    EXPECT_EQ(escapeMacroText("a\r\nb"), "a<CR><LF>b");
    EXPECT_EQ(escapeMacroText(" a b "), "<SP>a b<SP>");
    EXPECT_EQ(escapeMacroText("  "), "<SP><SP>");
    EXPECT_EQ(escapeMacroText(" "), "<SP>");
    EXPECT_EQ(escapeMacroText(""), "");
    EXPECT_EQ(unescapeMacroText("<SP>a<CR><LF><SP><sp><CR"), " a\r\n <sp><CR");
    for (const std::string text : {"x", " x", "x ", " ", "\r\n\r\n", "<TX> \n  y  "}) {
        EXPECT_EQ(unescapeMacroText(escapeMacroText(text)), text);
    }
}

}  // namespace
}  // namespace tarnvel::macros
