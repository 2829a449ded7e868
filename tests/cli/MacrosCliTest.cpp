// tarnvel-cli macros: what a script sees of a macro file and of an expansion (standard
// output, the actions on standard error, the exit status).

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/MacroCommands.h"
#include "macros/MacroFile.h"
#include "support/WavBytes.h"
#include "tests/cli/CliSpawn.h"

namespace tarnvel::cli {
namespace {

using macros::Macro;
using macros::MacroKeySet;
using testing::ScratchFolder;

using testing::CliRun;
using testing::readText;
using testing::runCli;

CliRun expand(std::vector<std::string> options, const std::string& text) {
    std::vector<std::string> args{"macros", "expand"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(text);
    return runCli(args);
}

TEST(CliMacros, ShowPrintsThe24MacrosEscaped) {
    ScratchFolder folder;
    macros::MacroSet set = macros::MacroSet::defaults();
    set.at(MacroKeySet::F, 8) = Macro{"Brag", "rig: 100 W\r\nant: dipole "};
    set.at(MacroKeySet::Ctrl, 12) = Macro{"End", "<RX>"};
    ASSERT_TRUE(macros::saveMacroFile((folder / "my.mac").string(), set).ok);
    const CliRun run = runCli({"macros", "show", (folder / "my.mac").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.err.empty());
    std::vector<std::string> lines;
    std::istringstream in(run.out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 24u) << run.out;
    EXPECT_EQ(lines[0], "F1\tLookup\t<LOOKUP>");
    EXPECT_EQ(lines[1],
              "F2\tCQ\t<TX><CR><LF>CQ CQ CQ DE <MYCALL> <MYCALL> <MYCALL> pse "
              "K<CR><LF><RXANDCLEAR>");
    EXPECT_EQ(lines[7], "F8\tBrag\trig: 100 W<CR><LF>ant: dipole<SP>");
    EXPECT_EQ(lines[16], "Ctrl-F5\t\t");
    EXPECT_EQ(lines[23], "Ctrl-F12\tEnd\t<RX>");
}

TEST(CliMacros, ShowRefusesAShortOrMissingFileWithStatus2) {
    ScratchFolder folder;
    std::string text = macros::formatMacroFile(macros::MacroSet::defaults());
    text.erase(text.rfind('\n', text.size() - 2) + 1);  // 47 lines
    const std::string name = (folder / "short.mac").string();
    std::ofstream(name, std::ios::binary) << text;
    CliRun run = runCli({"macros", "show", name});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "tarnvel-cli: Error reading " + name + "\n");
    EXPECT_TRUE(run.out.empty()) << "nothing half-read is printed";

    run = runCli({"macros", "show", (folder / "none.mac").string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "tarnvel-cli: Cannot open " + (folder / "none.mac").string() + "\n");
    run = runCli({"macros", "show", folder.path().string()});
    EXPECT_EQ(run.status, 2) << "a folder is no macro file";
    EXPECT_EQ(runCli({"macros", "show"}).status, 2);
    EXPECT_EQ(runCli({"macros", "list"}).status, 2);
}

TEST(CliMacros, ExpandShowsControlCodesAndListsActions) {
    const CliRun run = expand({"--my-call", "SP9XYZ"},
                           "<TX><CR><LF>CQ DE <MYCALL> <MYCALL> pse K<CR><LF><RXANDCLEAR>");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\r\nCQ DE SP9XYZ SP9XYZ pse K\r\n<169>\n");
    EXPECT_EQ(run.err, "transmit\n");

    const CliRun toggle = expand({"--state", "transmitting", "--cwid", "SP9XYZ"}, "73<CWID><TXTOGGLE>");
    EXPECT_EQ(toggle.out, "73\r\n<176>\r\n<174>\n");
    EXPECT_TRUE(toggle.err.empty()) << "a toggle while transmitting only ends the text";
}

TEST(CliMacros, ExpandRunsActionsInTableOrderWithTheirArguments) {
    const CliRun run = expand({"--call", "dl1abc/p"},
                           "<QSOCMDDDE:Save>x<LOOKUP><BAND:20m><BPSK63><TX><RST>");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "x\n");
    EXPECT_EQ(run.err,
              "prompt RST to send\ntransmit\nband 20m\nmode-bpsk63\n"
              "open-url https://www.qrz.com/db/dl1abc%2Fp\nexternal-command Save\n");
}

// Values are inserted as they are: tags in them are text, and a stray control code in them
// cannot end the transmission.
TEST(CliMacros, ValuesCannotInjectTagsOrControlCodes) {
    const CliRun run = expand({"--qth", "<TX><FILE:/etc/passwd><QSOCMDDDE:Remove>", "--name",
                            "Jo\xAE\xC2\xAE"},
                           "QTH <QTH> OP <NAME><RX>");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "QTH <TX><FILE:/etc/passwd><QSOCMDDDE:Remove> OP Jo(R)\xC2\xAE<174>\r\n\n");
    EXPECT_TRUE(run.err.empty()) << run.err;
}

TEST(CliMacros, ExpandIncludesNamedFilesAndRefusesBadOptions) {
    ScratchFolder folder;
    const std::string name = (folder / "part.txt").string();
    std::ofstream(name) << "de <MYCALL>\n";
    CliRun run = expand({"--my-call", "N0CALL"}, "a <FILE:" + name + "> b <FILE>");
    EXPECT_EQ(run.out, "a de N0CALL\n b \n");
    EXPECT_EQ(run.err, "choose-file Send File\n");

    run = expand({"--bogus", "x"}, "text");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--bogus"), std::string::npos);
    run = expand({"--state", "sleeping"}, "text");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(runCli({"macros", "expand"}).status, 2);
    EXPECT_EQ(runCli({"macros", "expand", "--help"}).status, 0);
}

TEST(CliMacros, ControlCodesAreShownOnlyWhereTheTransmitterActsOnThem) {
    using modem::CharacterSet;
    EXPECT_EQ(showControlCodes("a\xAE\xA9\xB0z", CharacterSet::Utf8), "a<174><169><176>z");
    // In UTF-8 "®" (C2 AE) is a letter.
    EXPECT_EQ(showControlCodes("\xC2\xAE", CharacterSet::Utf8), "\xC2\xAE");
    EXPECT_EQ(showControlCodes("\xC2\xAE", CharacterSet::Latin1), "\xC2<174>");
}

}  // namespace
}  // namespace tarnvel::cli
