// The station's macros: firing them on the loopback sound card, their actions through the
// station, their storage in the settings store and in macro files.

#include "app/StationMacros.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "app/SettingsStore.h"
#include "app/Station.h"
#include "app/StationLog.h"
#include "audio/LoopbackSoundCard.h"
#include "macros/MacroFile.h"
#include "tests/app/ScriptedHost.h"
#include "tests/app/TempFolder.h"

namespace tarnvel::app {
namespace {

using macros::Macro;
using macros::MacroKeySet;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

// The scripted host with the dialogs the macros use.
class MacroHost final : public testing::ScriptedHost {
  public:
    std::optional<std::string> prompt(std::string_view text, std::string_view initial) override {
        prompts.push_back(std::string(text) + "|" + std::string(initial));
        return promptAnswer;
    }
    std::optional<std::string> chooseOpenFile(std::string_view title, std::string_view filter,
                                              std::string_view initial) override {
        fileDialogs.push_back(std::string(title) + "|" + std::string(filter) + "|" +
                              std::string(initial));
        return fileAnswer;
    }
    bool openUrl(std::string_view url) override {
        urls.push_back(std::string(url));
        return true;
    }
    void focusTransmitWindow() override { ++transmitFocus; }
    void closeThresholdWindow() override { ++thresholdCloses; }
    void externalCommandChanged(std::string_view command) override {
        externalCommands.push_back(std::string(command));
    }

    std::vector<std::string> prompts;
    std::optional<std::string> promptAnswer;
    std::vector<std::string> urls;
    int transmitFocus = 0;
    int thresholdCloses = 0;
    std::vector<std::string> externalCommands;
};

class StationMacrosTest : public ::testing::Test {
  protected:
    void SetUp() override { makeStore(); }
    void makeStore() { store = std::make_unique<SettingsStore>(folder.file("Tarnvel.ini")); }

    Station& startStation(const std::string& call = "SP9XYZ") {
        store->writeString("Station", "Call", call);
        station = std::make_unique<Station>(*store, card, host, clock);
        station->start();
        clock.advance(Station::kTimerPeriodMs);
        station->runDueTicks();
        return *station;
    }
    // The run ends and a new one starts on the same settings file.
    Station& restart() {
        station.reset();
        makeStore();
        station = std::make_unique<Station>(*store, card, host, clock);
        station->start();
        return *station;
    }
    StationMacros& macros() { return station->macros(); }

    TempFolder folder;
    std::unique_ptr<SettingsStore> store;
    MacroHost host;
    ManualStationClock clock;
    audio::LoopbackSoundCard card;
    std::unique_ptr<Station> station;
};

// With no stored macros F2 calls CQ three times with the station's call on the sound card and
// returns to receive after it; the transmit window is cleared at the end.
TEST_F(StationMacrosTest, F2CallsCqWithTheStationsCallAndReturnsToReceive) {
    Station& s = startStation("SP9XYZ");
    s.setImdMeasuring(true);  // the loopback input hears the transmission
    macros().fire(MacroKeySet::F, 2);
    ASSERT_EQ(s.state(), OperatingState::Transmitting);
    EXPECT_EQ(host.ptt.back(), true);
    EXPECT_GT(host.transmitFocus, 0);
    ASSERT_TRUE(s.runUntil([&] { return s.state() == OperatingState::Receiving; }, 60000));
    EXPECT_EQ(s.transmissionsCompleted(), 1);
    EXPECT_EQ(host.ptt.back(), false);
    EXPECT_NE(host.shown.find("CQ CQ CQ DE SP9XYZ SP9XYZ SP9XYZ pse K"), std::string::npos)
        << host.shown;
    EXPECT_EQ(host.shown.find("<MYCALL>"), std::string::npos);
    EXPECT_TRUE(s.transmitText().text().empty()) << "<RXANDCLEAR> clears the window";
}

// Without a call sign the transmitter is refused during the expansion, and the text still
// waits in the transmit window.
TEST_F(StationMacrosTest, TxWithoutACallSignIsRefusedAndTheTextStillAppended) {
    Station& s = startStation("");
    macros().send("<TX>hello<RX>");
    EXPECT_EQ(s.state(), OperatingState::Receiving);
    EXPECT_TRUE(host.hasMessage(kNoCallMessage));
    EXPECT_EQ(s.transmitText().text(), "hello\xAE\r\n");
}

TEST_F(StationMacrosTest, FieldsComeFromTheStationAndTheQsoAndRstIsAskedOnce) {
    Station& s = startStation("SP9XYZ");
    s.settings().station.name = "Jan";
    s.settings().station.qth = "Krakow";
    logbook::QsoInProgress& qso = s.logbook().qso();
    qso.setField(logbook::QsoField::Call, "DL1ABC");
    qso.setField(logbook::QsoField::Name, "Hans");
    qso.setField(logbook::QsoField::Qth, "<TX> Berlin");  // from the air: stays text
    qso.setField(logbook::QsoField::RstReceived, "579");
    host.promptAnswer = "589";
    EXPECT_EQ(macros().expand("<CALL> de <MYCALL> <MYNAME> <MYQTH> <NAME> <QTH> <RST> <MYRST>"),
              "DL1ABC de SP9XYZ Jan Krakow Hans <TX> Berlin 589 579");
    EXPECT_EQ(s.state(), OperatingState::Receiving);
    ASSERT_EQ(host.prompts.size(), 1u);
    EXPECT_EQ(host.prompts[0], "RST to send|599");
    EXPECT_EQ(qso.field(logbook::QsoField::RstSent), "589");
    EXPECT_EQ(macros().expand("<RST>"), "589");
    EXPECT_EQ(host.prompts.size(), 1u) << "a filled RST asks nothing";
}

TEST_F(StationMacrosTest, ActionsRunThroughTheStation) {
    Station& s = startStation();
    s.settings().sound.squelch = 1;
    s.settings().sound.afc = 1;
    macros().expand("<SQUELCHOFF><AFC><SNAPON>");
    EXPECT_FALSE(s.option(StationOption::Squelch));
    EXPECT_FALSE(s.option(StationOption::Afc));
    EXPECT_TRUE(s.option(StationOption::Snap));
    EXPECT_EQ(host.thresholdCloses, 3);

    macros().expand("<LOCKTX>");
    EXPECT_TRUE(s.transmitLocked());
    macros().expand("<LOCKTX>");
    EXPECT_TRUE(s.transmitLocked()) << "locking a locked transmitter leaves it locked";
    macros().expand("<UNLOCKTX>");
    EXPECT_FALSE(s.transmitLocked());

    macros().expand("<BPSK63>");
    EXPECT_EQ(s.mode(), Mode::Bpsk63);
    macros().expand("<LOGBAR><THRESHOLD><BAND>");
    EXPECT_EQ(host.windowCommands,
              (std::vector<CommandId>{CommandId::LogBar, CommandId::SquelchThreshold,
                                      CommandId::BandPages}));

    s.transmitText().appendText("old");
    EXPECT_EQ(macros().expand("<CLEARTX>new"), "new");
    EXPECT_TRUE(s.transmitText().text().empty());

    macros().expand("<QSOCMDDDE:Save>");
    EXPECT_EQ(macros().externalCommand(), "Save");
    EXPECT_EQ(host.externalCommands, std::vector<std::string>{"Save"});
}

// "<BPSK63><TX>": the transmitter starts in the old mode and the mode changes right after.
TEST_F(StationMacrosTest, ModeChangesAfterTxInTableOrder) {
    Station& s = startStation();
    macros().send("<BPSK63><TX>x<RX>");
    EXPECT_EQ(s.state(), OperatingState::Transmitting);
    EXPECT_EQ(s.mode(), Mode::Bpsk63);
    ASSERT_TRUE(s.runUntil([&] { return s.state() == OperatingState::Receiving; }, 60000));
}

TEST_F(StationMacrosTest, BandIsSelectedByPageNameOnly) {
    Station& s = startStation();
    ASSERT_EQ(s.bandPages().currentIndex(), 4);
    EXPECT_EQ(macros().expand("a<BAND:80m>b"), "ab");
    EXPECT_EQ(s.bandPages().currentIndex(), 1);
    EXPECT_EQ(s.settings().pages.bandIndex, 1);
    EXPECT_EQ(macros().expand("<BAND:80M>"), "");
    EXPECT_EQ(s.bandPages().currentIndex(), 1) << "names are matched exactly";
}

TEST_F(StationMacrosTest, LookupOpensTheSelectedCallbookWithTheCallEncoded) {
    Station& s = startStation();
    macros().expand("<LOOKUP>");
    EXPECT_TRUE(host.urls.empty()) << "no call, no look-up";
    s.logbook().qso().setField(logbook::QsoField::Call, "SP9/DL1ABC");
    s.setCallbookType(1);
    macros().expand("<LOOKUP>");
    ASSERT_EQ(host.urls.size(), 1u);
    EXPECT_EQ(host.urls[0], "https://www.hamqth.com/SP9%2FDL1ABC");
}

TEST_F(StationMacrosTest, F1WithoutAMacroOpensTheHelp) {
    startStation();
    macros().edit(MacroKeySet::F, 1, Macro{"Lookup", ""});
    macros().fire(MacroKeySet::F, 1);
    EXPECT_EQ(host.windowCommands, std::vector<CommandId>{CommandId::HelpContents});
    macros().fire(MacroKeySet::Ctrl, 5);  // an empty Ctrl macro appends nothing
    EXPECT_TRUE(station->transmitText().text().empty());
}

TEST_F(StationMacrosTest, SendTextFileInsertsTheChosenFileUnexpanded) {
    Station& s = startStation();
    writeFile(folder.file("brag.txt"), "rig <MYCALL>\r\n20\xB0" "C\n");
    host.fileAnswer = folder.file("brag.txt");
    s.runCommand(CommandId::SendTextFile);
    ASSERT_EQ(host.fileDialogs.size(), 1u);
    EXPECT_EQ(host.fileDialogs[0],
              "Send File|Text files (*.txt)|*.txt|All files (*.*)|*.*|*.txt");
    EXPECT_EQ(s.transmitText().text(), "rig <MYCALL>\n20degC\n");

    host.fileAnswer = folder.file("missing.txt");
    s.runCommand(CommandId::SendTextFile);
    EXPECT_TRUE(host.hasMessage("Cannot open " + folder.file("missing.txt")));
    EXPECT_EQ(host.messages.back().caption, "Warning!");
}

// Edits are written at once and read back by the next run; a text with a line break survives.
TEST_F(StationMacrosTest, EditsSurviveARestart) {
    startStation();
    macros().edit(MacroKeySet::F, 3, Macro{"Hello", "GE <CALL>\r\nOM "});
    macros().edit(MacroKeySet::Ctrl, 12, Macro{"QRT", "<RX>"});
    EXPECT_EQ(store->getString("Text", "F3Text", ""), "GE <CALL><CR><LF>OM<SP>");
    Station& s = restart();
    EXPECT_EQ(s.macros().macro(MacroKeySet::F, 3), (Macro{"Hello", "GE <CALL>\r\nOM "}));
    EXPECT_EQ(s.macros().macro(MacroKeySet::Ctrl, 12), (Macro{"QRT", "<RX>"}));
    EXPECT_EQ(s.macros().macro(MacroKeySet::F, 2).label, "CQ") << "the others keep defaults";
}

TEST_F(StationMacrosTest, MacroFilesSaveAndLoadThroughTheStation) {
    Station& s = startStation();
    macros().edit(MacroKeySet::F, 5, Macro{"Test", "line 1\r\nline 2"});
    host.fileAnswer = folder.file("mine");
    s.runCommand(CommandId::SaveMacros);
    ASSERT_EQ(host.fileDialogs.size(), 1u);
    EXPECT_EQ(host.fileDialogs[0], "Save macros|Macro files (*.mac)|*.mac|All files (*.*)|*.*|*.mac");
    const std::string saved = readFile(folder.file("mine.mac"));
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 48);
    EXPECT_NE(saved.find("Test\nline 1<CR><LF>line 2\n"), std::string::npos);

    macros().edit(MacroKeySet::F, 5, Macro{"Other", "x"});
    host.fileAnswer = folder.file("mine.mac");
    s.runCommand(CommandId::LoadMacros);
    EXPECT_EQ(host.fileDialogs.back(),
              "Load macros|Macro files (*.mac)|*.mac|All files (*.*)|*.*|*.mac");
    EXPECT_EQ(macros().macro(MacroKeySet::F, 5), (Macro{"Test", "line 1\r\nline 2"}));
    EXPECT_TRUE(host.messages.empty());
    Station& again = restart();
    EXPECT_EQ(again.macros().macro(MacroKeySet::F, 5).label, "Test") << "a load is stored";
}

// A file one line short: all labels and 23 texts are used in this run, "Error reading" is
// shown, and nothing of it is stored.
TEST_F(StationMacrosTest, AShortFileIsUsedButNotStored) {
    startStation();
    macros::MacroSet set = macros::MacroSet::defaults();
    set.at(MacroKeySet::F, 1) = Macro{"One", "1"};
    set.at(MacroKeySet::Ctrl, 12) = Macro{"Last", "last text"};
    std::string text = macros::formatMacroFile(set);
    text.erase(text.rfind("last text"));  // 47 lines
    writeFile(folder.file("short.mac"), text);
    EXPECT_FALSE(macros().loadFrom(folder.file("short.mac")));
    EXPECT_TRUE(host.hasMessage("Error reading " + folder.file("short.mac")));
    EXPECT_EQ(macros().macro(MacroKeySet::F, 1), (Macro{"One", "1"}));
    EXPECT_EQ(macros().macro(MacroKeySet::Ctrl, 12).label, "Last");
    EXPECT_EQ(macros().macro(MacroKeySet::Ctrl, 12).text, "");
    Station& again = restart();
    EXPECT_EQ(again.macros().macro(MacroKeySet::F, 1).label, "Lookup");

    EXPECT_FALSE(again.macros().saveTo(folder.file("no/such/folder/x.mac")));
    EXPECT_TRUE(host.hasMessage("Cannot create " + folder.file("no/such/folder/x.mac")));
}

}  // namespace
}  // namespace tarnvel::app
