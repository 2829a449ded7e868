#include "macros/MacroSet.h"

#include "macros/SettingTextEscaping.h"

namespace tarnvel::macros {

namespace {

constexpr std::array<StoredMacro, kMacroKeysPerSet> kDefaultF{{
    {"Lookup", "<LOOKUP>"},
    {"CQ", "<TX><CR><LF>CQ CQ CQ DE <MYCALL> <MYCALL> <MYCALL> pse K<CR><LF><RXANDCLEAR>"},
    {"Call 3",
     "<TX><CR><LF><CALL> <CALL> <CALL> DE <MYCALL> <MYCALL> <MYCALL> K<CR><LF><RXANDCLEAR>"},
    {"Call", "<TX><CR><LF><CALL> DE <MYCALL><CR><LF>"},
    {"BTU", "BTU <CALL> DE <MYCALL> K<CR><LF><RXANDCLEAR>"},
    {"Signoff", "73 <CALL> DE <MYCALL> SK<CR><LF><RXANDCLEAR>"},
    {"File", "<FILE>"},
    {"Brag", "The equipment is as follows:<CR><LF>"},
    {"T/R", "<TXTOGGLE>"},
    {"Squelch", "<THRESHOLD>"},
    {"Clear", "<CLEARRX><CHANNELSCLEAR>"},
    {"Multi", "<CHANNELSTOGGLE>"},
}};

constexpr std::array<StoredMacro, kMacroKeysPerSet> kDefaultCtrl{{
    {"80m", "<BAND:80m>"},
    {"20m", "<BAND:20m>"},
    {"15m", "<BAND:15m>"},
    {"10m", "<BAND:10m>"},
    {"", ""},
    {"", ""},
    {"", ""},
    {"", ""},
    {"Time", "<TIME>"},
    {"Date", "<DATE>"},
    {"CW ID", "<CWID>"},
    {"", ""},
}};

}  // namespace

StoredMacro defaultStoredMacro(MacroKeySet set, int key) {
    const auto& table = set == MacroKeySet::F ? kDefaultF : kDefaultCtrl;
    return table.at(static_cast<std::size_t>(key - 1));
}

MacroSet MacroSet::defaults() {
    MacroSet macros;
    for (MacroKeySet set : {MacroKeySet::F, MacroKeySet::Ctrl}) {
        for (int key = 1; key <= kMacroKeysPerSet; ++key) {
            const StoredMacro stored = defaultStoredMacro(set, key);
            macros.at(set, key) = Macro{stored.label, unescapeMacroText(stored.text)};
        }
    }
    return macros;
}

}  // namespace tarnvel::macros
