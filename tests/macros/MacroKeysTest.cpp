#include "macros/MacroKeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "macros/MacroExpander.h"
#include "macros/MacroHelp.h"
#include "macros/RecordingContext.h"

namespace tarnvel::macros {
namespace {

TEST(MacroKeys, CtrlAndTheCaretLatchCancel) {
    EXPECT_EQ(activeMacroSet(false, false), MacroKeySet::F);
    EXPECT_EQ(activeMacroSet(true, false), MacroKeySet::Ctrl);
    EXPECT_EQ(activeMacroSet(false, true), MacroKeySet::Ctrl);
    EXPECT_EQ(activeMacroSet(true, true), MacroKeySet::F);
}

TEST(MacroKeys, TextsNameTheKey) {
    EXPECT_EQ(macroButtonTooltip(MacroKeySet::F, 1), "User macro (F1). Right-click to edit.");
    EXPECT_EQ(macroButtonTooltip(MacroKeySet::Ctrl, 12),
              "User macro (Ctrl-F12). Right-click to edit.");
    EXPECT_EQ(macroMenuItemText(MacroKeySet::F, 9, "T/R"), "F&9\tT/R");
    EXPECT_EQ(macroMenuItemText(MacroKeySet::F, 10, "Squelch"), "F10\tSquelch");
    EXPECT_EQ(macroMenuItemText(MacroKeySet::Ctrl, 2, "20m"), "Ctrl-F&2\t20m");
    EXPECT_EQ(macroMenuItemText(MacroKeySet::Ctrl, 11, ""), "Ctrl-F11\t");
    EXPECT_EQ(macroLabelPrompt(MacroKeySet::F, 2), "Label for F2:");
    EXPECT_EQ(macroLabelPrompt(MacroKeySet::Ctrl, 7), "Label for Ctrl-F7:");
}

TEST(MacroHelp, SevenGroupsOf57Lines) {
    const auto& lines = macroHelpLines();
    ASSERT_EQ(lines.size(), 57u);
    std::vector<int> groupSizes{0};
    for (const std::string& line : lines) {
        if (line == kHelpSeparator) {
            groupSizes.push_back(0);
        } else {
            ++groupSizes.back();
        }
    }
    EXPECT_EQ(groupSizes, (std::vector<int>{9, 4, 12, 12, 8, 3, 3}));
    EXPECT_EQ(kHelpSeparator.size(), 31u);
    EXPECT_EQ(lines.front(), "<MYCALL> - your callsign");
    EXPECT_EQ(lines[9], kHelpSeparator);
    EXPECT_EQ(lines[10], "<TX> - start transmission");
    EXPECT_EQ(lines[19], "<CR> - send Carriage Return  symbol");
    EXPECT_EQ(lines[50], "<BAND:NNm> - Select band");
    EXPECT_EQ(lines[51], "<QSOCMDDDE:command> - DDE command to ext. program");
    EXPECT_EQ(lines[52], "<LOOKUP> - lookup call in a callbook");
    EXPECT_EQ(lines.back(), "<CHANNELSCLEAR> - clear multichannel window");
    for (const char* unlisted : {"<BPSK>", "<UNLOCKTX>", "<INPUTVOLUME>", "<BAND>", "<FILE:"}) {
        EXPECT_TRUE(std::none_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.rfind(unlisted, 0) == 0;
        })) << unlisted;
    }
}

// A misspelt help line would insert a tag that goes out on the air as typed.
TEST(MacroHelp, EveryListedTagIsOneTheExpanderActsOn) {
    for (const std::string& line : macroHelpLines()) {
        const auto insertion = helpLineInsertion(line, "");
        if (line == kHelpSeparator) {
            EXPECT_FALSE(insertion);
            continue;
        }
        ASSERT_TRUE(insertion) << line;
        testing::RecordingContext context;
        context.cwIdOn = true;
        context.fields[MacroField::CwIdText] = "ID";
        const std::string expanded = MacroExpander(context).expand(insertion->tag);
        EXPECT_EQ(expanded.find(insertion->tag), std::string::npos) << line;
    }
}

TEST(MacroHelp, InsertingATagNamesAnEmptyLabel) {
    auto insertion = helpLineInsertion("<MYCALL> - your callsign", "");
    ASSERT_TRUE(insertion);
    EXPECT_EQ(insertion->tag, "<MYCALL>");
    EXPECT_EQ(insertion->label, "MYCALL");

    insertion = helpLineInsertion("<MYCALL> - your callsign", "CQ");
    ASSERT_TRUE(insertion);
    EXPECT_EQ(insertion->tag, "<MYCALL>");
    EXPECT_FALSE(insertion->label);

    insertion = helpLineInsertion("<BAND:NNm> - Select band", "");
    ASSERT_TRUE(insertion);
    EXPECT_EQ(insertion->tag, "<BAND:NNm>");
    EXPECT_EQ(insertion->label, "BAND:NNm");

    EXPECT_FALSE(helpLineInsertion("", ""));
    EXPECT_FALSE(helpLineInsertion("<unclosed", ""));
}

}  // namespace
}  // namespace tarnvel::macros
