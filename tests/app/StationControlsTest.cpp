// The station's controls as the windows and macros use them: commands by id, options that take
// effect at once, the data the dialogs edit, and the status snapshot the windows draw from.

#include <gtest/gtest.h>

#include "app/CommandTable.h"
#include "app/Station.h"
#include "tests/app/StationFixture.h"

namespace tarnvel::app {
namespace {

using StationControls = testing::StationFixture;
using modem::Mode;

TEST_F(StationControls, EveryStationCommandRunsAndWindowCommandsGoToTheWindow) {
    Station& s = startStation(card);
    host.fileAnswer.reset();  // every file dialog is cancelled
    for (const CommandSpec& c : commandTable()) {
        if (c.id == CommandId::Tune) continue;  // holds a modal message; tested elsewhere
        host.windowCommands.clear();
        s.runCommand(c.id);
        if (c.target == CommandTarget::Window) {
            ASSERT_EQ(host.windowCommands.size(), 1u);
            EXPECT_EQ(host.windowCommands[0], c.id);
        } else {
            EXPECT_TRUE(host.windowCommands.empty());
        }
        if (s.state() == OperatingState::Transmitting) s.goReceive();
        if (s.state() == OperatingState::Stopped) s.goReceive();
    }
    EXPECT_EQ(s.state(), OperatingState::Receiving);
}

TEST_F(StationControls, OptionsTakeEffectWithoutWaitingForATick) {
    Station& s = startStation(card);
    EXPECT_TRUE(s.status().squelch);
    s.runCommand(CommandId::Squelch);
    EXPECT_FALSE(s.status().squelch);
    EXPECT_FALSE(s.receiveChain().squelch().enabled());
    EXPECT_EQ(s.settings().sound.squelch.value(), 0);
    s.setSquelchThreshold(40);  // clamped
    EXPECT_EQ(s.status().squelchThreshold, 31);
    EXPECT_EQ(s.receiveChain().squelch().threshold(), 31);
    // The phase scope has nothing to show in PACTOR.
    ASSERT_TRUE(s.selectMode(Mode::Pactor));
    s.setOption(StationOption::PhaseScope, true);
    EXPECT_FALSE(s.option(StationOption::PhaseScope));
    s.runCommand(CommandId::WaterfallFitWidth);
    EXPECT_EQ(s.settings().view.waterfallZoom.value(), 0);
    EXPECT_FALSE(s.status().waterfallFit);
}

// The weak-signal receivers are the default; the Options item switches the main receiver, the
// channels and the stored choice together, and a hand-edited value reads as the default.
TEST_F(StationControls, SensitiveReceiverItemSwitchesReceiverChannelsAndSetting) {
    Station& s = startStation(card);
    EXPECT_TRUE(s.status().sensitiveReceiver);
    EXPECT_EQ(commandChecked(CommandId::SensitiveReceiver, s.status()), true);
    EXPECT_EQ(s.receiveChain().pskReceiverKind(), modem::PskReceiverKind::Sensitive);
    s.runCommand(CommandId::SensitiveReceiver);
    EXPECT_FALSE(s.status().sensitiveReceiver);
    EXPECT_EQ(s.settings().receiver.pskReceiver.value(), "specified");
    EXPECT_EQ(s.receiveChain().pskReceiverKind(), modem::PskReceiverKind::Specified);
    EXPECT_EQ(s.multichannel().settings().pskReceiver, modem::PskReceiverKind::Specified);
    s.settings().receiver.pskReceiver = std::string("very-sensitive");
    s.runCommand(CommandId::SensitiveReceiver);  // unknown reads as sensitive: now plain
    EXPECT_EQ(s.settings().receiver.pskReceiver.value(), "specified");
    s.runCommand(CommandId::SensitiveReceiver);
    EXPECT_EQ(s.receiveChain().pskReceiverKind(), modem::PskReceiverKind::Sensitive);
}

TEST_F(StationControls, MultichannelWindowOnlyInBpskAndNeverWhileTransmitting) {
    Station& s = startStation(card);
    s.openChannel(1500.0);
    ASSERT_EQ(s.multichannel().countInUse(), 1);
    s.setMultichannelWindow(false);
    EXPECT_FALSE(s.status().multichannelWindow);
    EXPECT_EQ(s.multichannel().countInUse(), 0);  // the channels are cleared
    s.setMultichannelWindow(true);
    EXPECT_TRUE(s.status().multichannelWindow);
    ASSERT_TRUE(s.selectMode(Mode::Qpsk31));
    s.runCommand(CommandId::MultichannelWindow);
    EXPECT_FALSE(s.status().multichannelWindow);
    s.runCommand(CommandId::MultichannelWindow);
    EXPECT_FALSE(s.status().multichannelWindow);
}

TEST_F(StationControls, ReceiveWhileReceivingDoesNotSwitchAgain) {
    Station& s = startStation(card);
    const size_t pttCalls = host.ptt.size();
    const StationMs before = clock.now();
    s.runCommand(CommandId::Receive);
    EXPECT_EQ(host.ptt.size(), pttCalls);  // no release sequence, no pause
    EXPECT_EQ(clock.now(), before);
    s.transmitText().appendText("CQ");
    s.goTransmit();
    ASSERT_EQ(s.state(), OperatingState::Transmitting);
    s.runCommand(CommandId::Receive);
    EXPECT_EQ(s.state(), OperatingState::Receiving);
}

// Esc clears only a transmission's unsent text; typing ahead while receiving is kept.
TEST_F(StationControls, EscapeKeepsTheTypeAheadWhileReceiving) {
    Station& s = startStation(card);
    s.setOption(StationOption::ClearOnEsc, true);
    s.transmitText().appendText("TYPE AHEAD");
    s.runCommand(CommandId::Escape);
    EXPECT_EQ(s.transmitText().text(), "TYPE AHEAD");
    s.goTransmit();
    s.runCommand(CommandId::Escape);
    EXPECT_EQ(s.transmitText().text(), "");
}

TEST_F(StationControls, FourbandKeepsOnlyBandsTheInterfaceCanSelect) {
    Station& s = startStation(card);
    s.settings().pages.bandIndex = 6;
    s.runCommand(CommandId::Fourband1);
    EXPECT_EQ(s.status().fourband, 1);
    EXPECT_EQ(s.status().bandIndex, 6);  // 1, 4, 6 and 8 are on a four-band interface
    s.runCommand(CommandId::Fourband2);
    EXPECT_EQ(s.status().fourband, 2);
    EXPECT_EQ(s.status().bandIndex, 4);  // a two-band interface has only 1 and 4
    EXPECT_EQ(s.bandPages().currentIndex(), 4);
    s.runCommand(CommandId::Fourband2);
    EXPECT_EQ(s.status().fourband, 0);
}

TEST_F(StationControls, BandPagesAreStoredWhenTheDialogClosesAndChooseTheScale) {
    Station& s = startStation(card);
    display::BandPages pages = s.bandPages();
    pages.page(2).frequency = "7040.5";
    pages.page(2).spectrumOption = 2;
    pages.select(2);
    s.setBandPages(pages);
    EXPECT_EQ(s.status().freqMode, 2);
    EXPECT_EQ(s.status().bandIndex, 2);
    // The pages are in the settings file.
    station.reset();
    SettingsStore reread(folder.file("Tarnvel.ini"));
    EXPECT_EQ(reread.getString("Pages", "Fq2", ""), "7040.500000");
}

TEST_F(StationControls, StationDialogStoresAnIdentificationWithTheCall) {
    Station& s = startStation(card, "");
    StationData answer;
    answer.call = "SP9ABC";
    answer.cwId = "de  sk";  // the default made while the call was empty
    host.stationDialogAnswer = answer;
    s.runCommand(CommandId::StationData);
    ASSERT_TRUE(host.edited.has_value());
    EXPECT_EQ(s.stationData().call, "SP9ABC");
    EXPECT_EQ(s.stationData().cwId, "de SP9ABC sk");
    EXPECT_EQ(s.settings().station.cwId.value(), "de SP9ABC sk");
    host.stationDialogAnswer.reset();  // Cancel changes nothing
    s.runCommand(CommandId::StationData);
    EXPECT_EQ(s.stationData().call, "SP9ABC");
}

TEST_F(StationControls, ReceiveLogAndHistoryAskForTheirFileThroughTheHost) {
    Station& s = startStation(card);
    host.fileAnswer = folder.file("rx.txt");
    s.runCommand(CommandId::OpenReceiveLog);
    ASSERT_EQ(host.fileDialogs.size(), 1u);
    EXPECT_EQ(host.fileDialogs[0],
              "Open RX Log File|Text files (*.txt)|*.txt|All files (*.*)|*.*|RxLog.txt");
    // The receive log is appended to, so choosing an existing one raises no replace question;
    // the sound history replaces its file.
    EXPECT_EQ(host.saveTargets.at(0), SaveTarget::Append);
    EXPECT_TRUE(s.status().receiveLogOpen);
    EXPECT_FALSE(commandEnabled(CommandId::OpenReceiveLog, s.status()));
    s.runCommand(CommandId::CloseReceiveLog);
    EXPECT_FALSE(s.status().receiveLogOpen);
    host.fileAnswer = folder.file("last.wav");
    ASSERT_TRUE(s.status().canSaveSoundHistory);
    s.runCommand(CommandId::SaveLastSeconds);
    EXPECT_EQ(host.fileDialogs.back(),
              "Save last 20 seconds into WAV file|WAV files (*.wav)|*.wav|All files (*.*)|*.*|"
              "History.wav");
    EXPECT_EQ(host.saveTargets.back(), SaveTarget::Replace);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(StationControls, TheCharacterSetOnTheAirIsChosenByCommandAndKept) {
    Station& s = startStation(card);
    EXPECT_EQ(s.status().characterSet, modem::CharacterSet::Utf8);
    s.runCommand(CommandId::CharacterSetWindows1250);
    EXPECT_EQ(s.status().characterSet, modem::CharacterSet::Windows1250);
    station.reset();
    SettingsStore reread(folder.file("Tarnvel.ini"));
    EXPECT_EQ(reread.getString("Misc", "CharacterSet", ""), "Windows-1250");
}

TEST_F(StationControls, StatusCarriesWhatThePanesShow) {
    Station& s = startStation(card);
    s.setFrequency(1234.5, kSetBoth, false);
    s.setInvertedQpsk(true);
    ASSERT_TRUE(s.selectMode(Mode::Qpsk31));
    const StationStatus st = s.status();
    EXPECT_EQ(st.state, OperatingState::Receiving);
    EXPECT_EQ(st.modeText, "QPSKi");
    EXPECT_DOUBLE_EQ(st.transmitHz, 1234.5);
    EXPECT_NEAR(st.receiveHz, 1234.5, 0.01);
    EXPECT_EQ(st.callbookName0, "QRZ.com");
    s.runCommand(CommandId::StepMode);
    EXPECT_EQ(s.status().mode, Mode::Bpsk31);
    s.runCommand(CommandId::StepMode);
    EXPECT_EQ(s.status().mode, Mode::Bpsk63);
}

TEST_F(StationControls, ColoursAndFontAreKeptAsTheDialogsLeaveThem) {
    Station& s = startStation(card);
    s.setColour(ColourRole::MultichannelCarrier, 0x123456);
    EXPECT_EQ(s.colour(ColourRole::MultichannelCarrier), 0x123456);
    FontDescription f;
    f.faceName = "DejaVu Sans Mono";
    f.height = -15;
    f.weight = 700;
    f.italic = true;
    s.setFont(f);
    // Written at once, not only at the end of the run.
    EXPECT_EQ(store->getString("Font", "FaceName", ""), "DejaVu Sans Mono");
    EXPECT_EQ(store->getInt("Font", "Height", 0), -15);
    const FontDescription back = s.font();
    EXPECT_EQ(back.weight, 700);
    EXPECT_TRUE(back.italic);
}

// The backgrounds follow the desktop's window colour at a first start.
TEST(StationDefaults, BackgroundsFollowTheDesktopWindowColour) {
    testing::TempFolder folder;
    SettingsStore store(folder.file("Tarnvel.ini"));
    testing::ScriptedHost host;
    ManualStationClock clock;
    audio::LoopbackSoundCard card;
    StationOptions options;
    options.defaults.windowColour = 0x00303030;
    Station s(store, card, host, clock, options);
    EXPECT_EQ(s.colour(ColourRole::MultichannelCarrier), 0x00303030);
    EXPECT_EQ(s.colour(ColourRole::ReceiveBackground), 0x00303030);
    EXPECT_EQ(s.colour(ColourRole::ReceiveText), 0x40);
}

}  // namespace
}  // namespace tarnvel::app
