#include "macros/MacroFile.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/WavBytes.h"

namespace tarnvel::macros {
namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A set whose every label and text differs from the defaults and from each other.
MacroSet numberedSet(const std::string& tag) {
    MacroSet macros;
    for (MacroKeySet set : {MacroKeySet::F, MacroKeySet::Ctrl}) {
        for (int key = 1; key <= kMacroKeysPerSet; ++key) {
            const std::string name = (set == MacroKeySet::F ? "F" : "C") + std::to_string(key);
            macros.at(set, key) = {tag + name, tag + " text " + name};
        }
    }
    return macros;
}

class MacroFileTest : public ::testing::Test {
  protected:
    std::string path(const std::string& name) const { return (folder_ / name).string(); }
    std::string write(const std::string& name, const std::string& bytes) {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name);
    }
    tarnvel::testing::ScratchFolder folder_;
};

TEST_F(MacroFileTest, TheFileHoldsLabelAndEscapedTextForEachKeyFSetFirst) {
    const std::vector<std::string> lines = linesOf(formatMacroFile(MacroSet::defaults()));
    ASSERT_EQ(lines.size(), 48u);
    EXPECT_EQ(lines[0], "Lookup");
    EXPECT_EQ(lines[1], "<LOOKUP>");
    EXPECT_EQ(lines[2], "CQ");
    EXPECT_EQ(lines[3],
              "<TX><CR><LF>CQ CQ CQ DE <MYCALL> <MYCALL> <MYCALL> pse K<CR><LF><RXANDCLEAR>");
    EXPECT_EQ(lines[24], "80m");
    EXPECT_EQ(lines[25], "<BAND:80m>");
    EXPECT_EQ(lines[32], "");  // Ctrl+F5 is empty
    EXPECT_EQ(lines[46], "");
    EXPECT_EQ(lines[47], "");
    EXPECT_EQ(formatMacroFile(MacroSet::defaults()).back(), '\n');
}

TEST_F(MacroFileTest, SavedMacrosLoadBackUnchanged) {
    MacroSet saved = numberedSet("s");
    saved.at(MacroKeySet::F, 4).text = "line one\r\nline two\r\n";
    saved.at(MacroKeySet::Ctrl, 12).text = " edge spaces ";
    saved.at(MacroKeySet::Ctrl, 11).label = "";
    const std::string file = path("my.mac");
    ASSERT_TRUE(saveMacroFile(file, saved).ok);
    EXPECT_NE(readAll(file).find("\nline one<CR><LF>line two<CR><LF>\n"), std::string::npos);
    EXPECT_NE(readAll(file).find("\n<SP>edge spaces<SP>\n"), std::string::npos);

    MacroSet loaded = MacroSet::defaults();
    const MacroFileResult result = loadMacroFile(file, loaded);
    EXPECT_TRUE(result.ok) << result.message;
    EXPECT_EQ(loaded, saved);
    EXPECT_EQ(folder_.entries(), std::vector<std::string>{"my.mac"});  // no temporary left
}

TEST_F(MacroFileTest, WindowsLineEndsLoadTheSame) {
    std::string crlf;
    for (const std::string& line : linesOf(formatMacroFile(numberedSet("w"))))
        crlf += line + "\r\n";
    MacroSet loaded;
    ASSERT_TRUE(loadMacroFile(write("win.mac", crlf), loaded).ok);
    EXPECT_EQ(loaded, numberedSet("w"));
}

TEST_F(MacroFileTest, A47LineFileLoadsWhatItHasAndReportsErrorReading) {
    const std::vector<std::string> lines = linesOf(formatMacroFile(numberedSet("n")));
    std::string text;
    for (std::size_t i = 0; i < 47; ++i) text += lines[i] + "\n";
    const std::string file = write("short.mac", text);

    MacroSet macros = numberedSet("old");
    const MacroFileResult result = loadMacroFile(file, macros);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, "Error reading " + file);
    MacroSet expected = numberedSet("n");
    expected.at(MacroKeySet::Ctrl, 12).text = numberedSet("old").at(MacroKeySet::Ctrl, 12).text;
    EXPECT_EQ(macros, expected);  // 24 labels and 23 texts read

    // The last line without its line feed still counts.
    text += lines[47];
    EXPECT_TRUE(loadMacroFile(write("nolf.mac", text), macros).ok);
    EXPECT_EQ(macros, numberedSet("n"));
    // Lines after the 48th are not read.
    EXPECT_TRUE(loadMacroFile(write("long.mac", text + "\nextra\nlines\n"), macros).ok);
    EXPECT_EQ(macros, numberedSet("n"));
}

TEST_F(MacroFileTest, WhatCannotBeOpenedChangesNothing) {
    const MacroSet before = numberedSet("keep");
    for (const std::string& name :
         {path("missing.mac"), folder_.path().string(), std::string("/dev/zero")}) {
        MacroSet macros = before;
        const MacroFileResult result = loadMacroFile(name, macros);
        EXPECT_EQ(result.message, "Cannot open " + name);
        EXPECT_EQ(macros, before);
    }
    std::string huge(kMaxMacroFileBytes + 1, 'x');
    const std::string file = write("huge.mac", huge);
    MacroSet macros = before;
    EXPECT_EQ(loadMacroFile(file, macros).message, "Error reading " + file);
    EXPECT_EQ(macros, before);
}

TEST_F(MacroFileTest, ALineBreakInALabelCannotShiftTheLines) {
    MacroSet macros = numberedSet("b");
    macros.at(MacroKeySet::F, 1).label = "two\r\nlines";
    const std::vector<std::string> lines = linesOf(formatMacroFile(macros));
    ASSERT_EQ(lines.size(), 48u);
    EXPECT_EQ(lines[0], "two  lines");
    EXPECT_EQ(lines[2], "bF2");
}

TEST_F(MacroFileTest, AFileThatCannotBeCreatedIsReported) {
    const std::string file = path("no/such/folder/x.mac");
    EXPECT_EQ(saveMacroFile(file, numberedSet("x")).message, "Cannot create " + file);
    // A folder in the way of the name: the written temporary is not left behind.
    const std::string folder = folder_.path().string();
    EXPECT_EQ(saveMacroFile(folder, numberedSet("x")).message, "Cannot create " + folder);
    EXPECT_TRUE(folder_.entries().empty());
}

// A disk that fills up during the write (a file size limit here) leaves the old file as
// it was and reports the failure.
TEST_F(MacroFileTest, AShortWriteKeepsTheOldFileAndIsReported) {
    const std::string file = path("full.mac");
    ASSERT_TRUE(saveMacroFile(file, numberedSet("old")).ok);
    const std::string before = readAll(file);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const MacroFileResult result = saveMacroFile(file, numberedSet("new"));
        ::_exit(!result.ok && result.message == "Cannot create " + file ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readAll(file), before);
    EXPECT_EQ(folder_.entries(), std::vector<std::string>{"full.mac"});
}

}  // namespace
}  // namespace tarnvel::macros
