// The command table's rules, checked against the status the station reports, without a window.

#include <gtest/gtest.h>

#include <set>

#include "app/CommandTable.h"

using namespace tarnvel::app;
using tarnvel::modem::Mode;

namespace {

StationStatus receiving(Mode mode = Mode::Bpsk31) {
    StationStatus s;
    s.state = OperatingState::Receiving;
    s.mode = mode;
    return s;
}

}  // namespace

TEST(CommandTable, EveryIdHasOneRowAndEveryMenuCommandAText) {
    std::set<CommandId> seen;
    for (const CommandSpec& c : commandTable()) {
        EXPECT_TRUE(seen.insert(c.id).second) << "a second row for one id";
        EXPECT_EQ(commandSpec(c.id).id, c.id);
        if (c.menu != Menu::None) {
            EXPECT_FALSE(commandText(c.id, StationStatus{}).empty());
        }
        if (c.menu == Menu::None) {
            EXPECT_TRUE(!c.keys.empty() || !c.paneText.empty() || c.id == CommandId::ToggleImdShown ||
                        c.id == CommandId::StepMode)
                << "a command nobody can reach";
        }
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(CommandId::StepMode) + 1);
}

TEST(CommandTable, TransmitIsRefusedInPactorAndWhenStoppedReceiveNever) {
    StationStatus s = receiving();
    EXPECT_TRUE(commandEnabled(CommandId::Transmit, s));
    EXPECT_EQ(commandChecked(CommandId::Receive, s), true);
    s.mode = Mode::Pactor;
    EXPECT_FALSE(commandEnabled(CommandId::Transmit, s));
    s = receiving();
    s.state = OperatingState::Stopped;
    EXPECT_FALSE(commandEnabled(CommandId::Transmit, s));
    EXPECT_TRUE(commandEnabled(CommandId::Receive, s));
    EXPECT_EQ(commandChecked(CommandId::SoundOff, s), true);
    s.state = OperatingState::Transmitting;
    EXPECT_TRUE(commandEnabled(CommandId::Transmit, s));
    EXPECT_EQ(commandChecked(CommandId::Transmit, s), true);
    EXPECT_FALSE(commandEnabled(CommandId::SoundOff, s));
    EXPECT_FALSE(commandEnabled(CommandId::Tune, s));
}

TEST(CommandTable, ModeCommandsAreOffWhileTransmittingAndCheckTheirMode) {
    StationStatus s = receiving(Mode::Qpsk31);
    for (const CommandSpec& c : commandTable()) {
        const auto mode = commandMode(c.id);
        if (!mode) continue;
        EXPECT_EQ(modeCommand(*mode), c.id);
        EXPECT_TRUE(commandEnabled(c.id, s));
        EXPECT_EQ(commandChecked(c.id, s), *mode == Mode::Qpsk31);
        EXPECT_EQ(commandText(c.id, s), tarnvel::modem::modeInfo(*mode).menuText);
    }
    s.state = OperatingState::Transmitting;
    EXPECT_FALSE(commandEnabled(CommandId::ModeBpsk31, s));
    EXPECT_FALSE(commandEnabled(CommandId::StepMode, s));
    // Stored modes no command selects have no command.
    EXPECT_FALSE(modeCommand(Mode::Fsk31B));
    EXPECT_FALSE(modeCommand(Mode::Rtty));
}

TEST(CommandTable, InversionMultichannelAndPhaseScopeFollowTheMode) {
    for (const Mode m : {Mode::Bpsk31, Mode::Bpsk63, Mode::Pactor})
        EXPECT_FALSE(commandEnabled(CommandId::InvertQpsk, receiving(m)));
    for (const Mode m : {Mode::Qpsk31, Mode::Fsk31, Mode::Fsk63})
        EXPECT_TRUE(commandEnabled(CommandId::InvertQpsk, receiving(m)));
    EXPECT_TRUE(commandEnabled(CommandId::MultichannelWindow, receiving(Mode::Bpsk63)));
    for (const Mode m : {Mode::Qpsk31, Mode::Fsk31, Mode::Fsk63, Mode::Pactor})
        EXPECT_FALSE(commandEnabled(CommandId::MultichannelWindow, receiving(m)));
    StationStatus tx = receiving();
    tx.state = OperatingState::Transmitting;
    EXPECT_FALSE(commandEnabled(CommandId::MultichannelWindow, tx));
    EXPECT_FALSE(commandEnabled(CommandId::PhaseScope, receiving(Mode::Pactor)));
}

TEST(CommandTable, LockCommandsAreEnabledOneAtATime) {
    StationStatus s = receiving();
    EXPECT_TRUE(commandEnabled(CommandId::LockTransmit, s));
    EXPECT_FALSE(commandEnabled(CommandId::UnlockTransmit, s));
    s.transmitLocked = true;
    EXPECT_FALSE(commandEnabled(CommandId::LockTransmit, s));
    EXPECT_TRUE(commandEnabled(CommandId::UnlockTransmit, s));
    EXPECT_EQ(commandChecked(CommandId::ToggleTransmitLock, s), true);
}

TEST(CommandTable, FilesFrequencyScaleAndCallbooks) {
    StationStatus s = receiving();
    EXPECT_TRUE(commandEnabled(CommandId::OpenReceiveLog, s));
    EXPECT_FALSE(commandEnabled(CommandId::CloseReceiveLog, s));
    s.receiveLogOpen = true;
    EXPECT_FALSE(commandEnabled(CommandId::OpenReceiveLog, s));
    EXPECT_TRUE(commandEnabled(CommandId::CloseReceiveLog, s));
    EXPECT_FALSE(commandEnabled(CommandId::SaveLastSeconds, s));
    s.canSaveSoundHistory = true;
    s.soundHistorySeconds = 3;
    EXPECT_EQ(commandText(CommandId::SaveLastSeconds, s), "Save last 3 s&econds...");
    s.freqMode = 2;
    EXPECT_EQ(commandChecked(CommandId::FreqModeLower, s), true);
    EXPECT_EQ(commandChecked(CommandId::FreqModeAudio, s), false);
    // The callbook items show the callbooks' names, not "URL 0".
    s.callbookName0 = "QRZ.com";
    s.callbookName1 = "HamQTH";
    s.callbookType = 1;
    EXPECT_EQ(commandText(CommandId::Callbook0, s), "QRZ.com");
    EXPECT_EQ(commandText(CommandId::Callbook1, s), "HamQTH");
    EXPECT_EQ(commandChecked(CommandId::Callbook1, s), true);
    EXPECT_EQ(commandChecked(CommandId::Callbook0, s), false);
}

TEST(CommandTable, UnderlineToggleIsCheckedWhenSentTextIsProtected) {
    StationStatus s = receiving();
    s.simpleTxEdit = false;
    EXPECT_EQ(commandChecked(CommandId::UnderlineOwnText, s), true);
    s.simpleTxEdit = true;
    EXPECT_EQ(commandChecked(CommandId::UnderlineOwnText, s), false);
}

TEST(CommandTable, CharacterSetCommandsAreNamedByTheirTableAndCheckTheSetOnTheAir) {
    StationStatus s = receiving();
    s.characterSet = tarnvel::modem::CharacterSet::Windows1250;
    EXPECT_EQ(commandText(CommandId::CharacterSetUtf8, s), "UTF-8");
    EXPECT_EQ(commandText(CommandId::CharacterSetWindows1250, s), "Windows-1250");
    EXPECT_EQ(commandChecked(CommandId::CharacterSetWindows1250, s), true);
    EXPECT_EQ(commandChecked(CommandId::CharacterSetUtf8, s), false);
    EXPECT_EQ(characterSetCommand(tarnvel::modem::CharacterSet::Latin1),
              CommandId::CharacterSetLatin1);
}
