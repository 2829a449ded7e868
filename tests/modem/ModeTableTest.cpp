#include "modem/Mode.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <sstream>
#include <string>

namespace tarnvel::modem {
namespace {

TEST(ModeTable, EveryStoredNumberSurvivesTheEnum) {
    for (std::int32_t n = -20; n <= 40; ++n) EXPECT_EQ(storedMode(modeFromStored(n)), n);
    for (std::int32_t n : {INT_MIN, INT_MAX, 12345}) EXPECT_EQ(storedMode(modeFromStored(n)), n);
    // An unknown number keeps its value in its table entry, too.
    EXPECT_EQ(storedMode(modeInfo(modeFromStored(8)).mode), 8);
}

TEST(ModeTable, StatusTextOfEveryStoredNumber) {
    const char* const shown[] = {"BPSK31", "QPSK", "FSK31", "FSK31B", "FSK63",  "?",
                                 "RTTY",   "MTTY", "?",     "?",      "PACTOR", "BPSK63"};
    for (std::int32_t n = 0; n < 12; ++n)
        EXPECT_EQ(modeStatusText(modeFromStored(n), false), shown[n]) << n;
    for (std::int32_t n : {-1, 12, 99}) EXPECT_EQ(modeStatusText(modeFromStored(n), false), "?");
    // Only QPSK shows the inverted sidebands.
    EXPECT_EQ(modeStatusText(Mode::Qpsk31, true), "QPSKi");
    for (Mode m : {Mode::Bpsk31, Mode::Bpsk63, Mode::Fsk31, Mode::Pactor, modeFromStored(42)})
        EXPECT_EQ(modeStatusText(m, true), modeStatusText(m, false)) << storedMode(m);
}

TEST(ModeTable, LogTextNamesFiveModesAndEveryOtherIsUnknown) {
    EXPECT_EQ(modeInfo(Mode::Bpsk31).logText, "BPSK");
    EXPECT_EQ(modeInfo(Mode::Qpsk31).logText, "QPSK");
    EXPECT_EQ(modeInfo(Mode::Fsk31).logText, "FSK31");
    EXPECT_EQ(modeInfo(Mode::Pactor).logText, "PACTOR");
    EXPECT_EQ(modeInfo(Mode::Bpsk63).logText, "BPSK63");
    for (std::int32_t n : {3, 4, 5, 6, 7, 8, -1, 77})
        EXPECT_EQ(modeInfo(modeFromStored(n)).logText, "UNKN") << n;
}

TEST(ModeTable, CommandsSelectSixModesInMenuOrder) {
    std::string menu;
    for (const ModeInfo& m : commandModes()) menu += std::string(m.menuText) + "|";
    EXPECT_EQ(menu, "&BPSK31|BPS&K63|&QPSK31|&FSK31|FSK63|&PACTOR RX|");
    std::set<std::int32_t> commands;
    for (const ModeInfo& m : commandModes()) commands.insert(storedMode(m.mode));
    EXPECT_EQ(commands, (std::set<std::int32_t>{0, 1, 2, 4, 10, 11}));
    for (std::int32_t n = -2; n < 14; ++n)
        EXPECT_EQ(isModeCommand(modeFromStored(n)), commands.count(n) == 1) << n;
    // Modes no command selects have no menu item and no command-line name.
    for (const ModeInfo& m : modeTable()) {
        EXPECT_EQ(m.menuText.empty(), !isModeCommand(m.mode)) << storedMode(m.mode);
        EXPECT_EQ(m.cliName.empty(), !isModeCommand(m.mode)) << storedMode(m.mode);
    }
}

TEST(ModeTable, CommandLineNamesFindTheirModes) {
    std::set<std::string_view> names;
    for (const ModeInfo& m : commandModes()) {
        names.insert(m.cliName);
        const ModeInfo* found = findModeByCliName(m.cliName);
        ASSERT_NE(found, nullptr) << m.cliName;
        EXPECT_EQ(found->mode, m.mode);
    }
    EXPECT_EQ(names.size(), commandModes().size());
    EXPECT_EQ(findModeByCliName("bpsk63")->mode, Mode::Bpsk63);
    EXPECT_EQ(findModeByCliName(""), nullptr);
    EXPECT_EQ(findModeByCliName("BPSK31"), nullptr);  // the command line is lower case
    EXPECT_EQ(findModeByCliName("rtty"), nullptr);
}

TEST(ModeTable, ModePaneStepsBpsk31Bpsk63PactorAndEveryOtherBackToBpsk31) {
    EXPECT_EQ(nextPaneMode(Mode::Bpsk31), Mode::Bpsk63);
    EXPECT_EQ(nextPaneMode(Mode::Bpsk63), Mode::Pactor);
    EXPECT_EQ(nextPaneMode(Mode::Pactor), Mode::Bpsk31);
    for (std::int32_t n : {1, 2, 3, 4, 5, 6, 7, 8, -1, 99})
        EXPECT_EQ(nextPaneMode(modeFromStored(n)), Mode::Bpsk31) << n;
}

TEST(ModeTable, ReceiversTransmittersAndMultichannel) {
    // Only the two BPSK modes run the multichannel decoder, and only BPSK63 is fast PSK.
    for (std::int32_t n = -1; n < 14; ++n) {
        const Mode m = modeFromStored(n);
        EXPECT_EQ(runsMultichannel(m), n == 0 || n == 11) << n;
        EXPECT_EQ(isBpsk(m), n == 0 || n == 11) << n;
        EXPECT_EQ(isFastPsk(m), n == 11) << n;
    }
    EXPECT_EQ(modeInfo(Mode::Bpsk31).baud, 31.25);
    EXPECT_EQ(modeInfo(Mode::Qpsk31).baud, 31.25);
    EXPECT_EQ(modeInfo(Mode::Bpsk63).baud, 62.5);
    // The variants no command selects are received like their command modes.
    EXPECT_EQ(modeInfo(Mode::Fsk31B).receiver, modeInfo(Mode::Fsk31).receiver);
    EXPECT_EQ(modeInfo(Mode::Fsk31B).coding, modeInfo(Mode::Fsk31).coding);
    EXPECT_EQ(modeInfo(Mode::Fsk63B).receiver, modeInfo(Mode::Fsk63).receiver);
    EXPECT_EQ(modeInfo(Mode::Fsk63B).coding, modeInfo(Mode::Fsk63).coding);
    for (Mode m : {Mode::Rtty, Mode::Mtty, modeFromStored(8), modeFromStored(-5)}) {
        EXPECT_EQ(modeInfo(m).receiver, ModeReceiverKind::None) << storedMode(m);
        EXPECT_FALSE(modeInfo(m).transmits) << storedMode(m);
    }
    // Every transmitting command mode has a symbol rate; PACTOR only listens.
    for (const ModeInfo& m : commandModes())
        EXPECT_EQ(m.transmits, m.mode != Mode::Pactor) << storedMode(m.mode);
    for (const ModeInfo& m : modeTable()) {
        if (m.transmits) {
            EXPECT_GT(m.baud, 0.0) << storedMode(m.mode);
        }
    }
}

TEST(ModeTable, PrintsTheTextWithTheStoredNumber) {
    std::ostringstream out;
    out << Mode::Bpsk63 << ", " << modeFromStored(42);
    EXPECT_EQ(out.str(), "BPSK63 (11), ? (42)");
}

TEST(ModeTable, EachStoredNumberHasOneEntry) {
    std::set<std::int32_t> numbers;
    for (const ModeInfo& m : modeTable()) numbers.insert(storedMode(m.mode));
    EXPECT_EQ(numbers.size(), modeTable().size());
}

}  // namespace
}  // namespace tarnvel::modem
