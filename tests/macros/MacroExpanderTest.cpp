#include "macros/MacroExpander.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "macros/MacroSet.h"
#include "macros/MacroTags.h"
#include "macros/RecordingContext.h"

namespace tarnvel::macros {
namespace {

using testing::RecordingContext;

// 5 Mar 2004, 14:03:07 UTC.
constexpr std::chrono::system_clock::time_point kMarch5th2004{std::chrono::seconds(1078495387)};

std::string expand(RecordingContext& context, std::string_view macro) {
    MacroExpander expander(context);
    return expander.expand(macro);
}

TEST(MacroExpander, DefaultF2CallsCqWithTheStationCallAndReturnsToReceive) {
    RecordingContext context;
    const std::string result = expand(context, MacroSet::defaults().at(MacroKeySet::F, 2).text);
    EXPECT_EQ(result, "\r\nCQ CQ CQ DE N0CALL N0CALL N0CALL pse K\r\n\xA9");
    EXPECT_EQ(context.actions, std::vector<MacroAction>{MacroAction::Transmit});
    EXPECT_EQ(context.currentState, MacroStationState::Transmitting);
}

TEST(MacroExpander, FieldsReplaceEveryOccurrenceAndTagsMatchExactly) {
    RecordingContext context;
    context.fields = {{MacroField::MyCall, "SP9XYZ"}, {MacroField::MyName, "Jan"},
                      {MacroField::MyQth, "Krakow"},  {MacroField::Call, "DL1ABC"},
                      {MacroField::Name, "Hans"},     {MacroField::Qth, "Bonn"},
                      {MacroField::Notes, "n"},       {MacroField::RstReceived, "589"}};
    EXPECT_EQ(expand(context, "<MYCALL> <MYCALL>"), "SP9XYZ SP9XYZ");
    EXPECT_EQ(expand(context, "<mycall> <MyCall> <MYCALL >"), "<mycall> <MyCall> <MYCALL >");
    EXPECT_EQ(expand(context, "<CALL> de <MYCALL>: <NAME> in <QTH>, op <MYNAME> in <MYQTH>"),
              "DL1ABC de SP9XYZ: Hans in Bonn, op Jan in Krakow");
    EXPECT_EQ(expand(context, "[<NOTES>|<MYRST>|<VER>]"), "[n|589|2.0]");
    EXPECT_EQ(expand(context, "<CR>|<LF>|<CRLF>"), "\r|\n|\r\n");
    EXPECT_EQ(expand(context, "<FOO> <BAND <B>"), "<FOO> <BAND <B>");
    EXPECT_TRUE(context.calls.empty());
}

TEST(MacroExpander, ControlCharactersStandWhereTheTagsWere) {
    RecordingContext context;
    EXPECT_EQ(expand(context, "<RX>"), "\xAE\r\n");
    EXPECT_EQ(expand(context, "<RXANDCLEAR>"), "\xA9");
    EXPECT_EQ(expand(context, "a<CWID>b"), "ab");  // "UseCWID" off
    context.cwIdOn = true;
    EXPECT_EQ(expand(context, "a<CWID>b"), "ab");  // no identification text
    context.fields[MacroField::CwIdText] = "N0CALL";
    EXPECT_EQ(expand(context, "a<CWID>b"), "a\r\n\xB0\r\nb");
}

TEST(MacroExpander, TxToggleFollowsTheState) {
    RecordingContext context;
    context.currentState = MacroStationState::Transmitting;
    EXPECT_EQ(expand(context, "x<TXTOGGLE>y<TXTOGGLE>"), "x\xAEy\xAE");
    EXPECT_TRUE(context.actions.empty());

    context.currentState = MacroStationState::Receiving;
    EXPECT_EQ(expand(context, "<TXTOGGLE><TXTOGGLE>go"), "go");
    EXPECT_EQ(context.actions, std::vector<MacroAction>{MacroAction::Transmit});

    context.actions.clear();
    context.currentState = MacroStationState::Stopped;
    EXPECT_EQ(expand(context, "<TXTOGGLE>"), "");
    EXPECT_EQ(context.actions, std::vector<MacroAction>{MacroAction::ReceiveCommand});
}

TEST(MacroExpander, TxAndTuneActOnlyWhileReceiving) {
    RecordingContext context;
    context.currentState = MacroStationState::Transmitting;
    EXPECT_EQ(expand(context, "<TX>more<TUNE>"), "more");
    EXPECT_TRUE(context.actions.empty());

    context.currentState = MacroStationState::Receiving;
    EXPECT_EQ(expand(context, "<TUNE>"), "");
    EXPECT_EQ(context.actions, std::vector<MacroAction>{MacroAction::Tune});

    // "<TXTOGGLE>" switches first, so the later "<TX>" finds the station transmitting.
    context.actions.clear();
    expand(context, "<TX><TXTOGGLE>");
    EXPECT_EQ(context.actions, std::vector<MacroAction>{MacroAction::Transmit});
}

TEST(MacroExpander, ActionsRunOnceEachInTableOrderNotTextOrder) {
    RecordingContext context;
    expand(context, "<BPSK63><TX>");
    EXPECT_EQ(context.actions,
              (std::vector<MacroAction>{MacroAction::Transmit, MacroAction::ModeBpsk63}));

    // Every plain action tag, written twice and backwards, runs its action once, in table order.
    std::string macro;
    std::vector<MacroAction> expected;
    for (const MacroTagInfo& info : macroTags()) {
        if (info.kind != MacroTagKind::Action) continue;
        macro = std::string(info.text) + std::string(info.text) + macro;
        if (expected.empty() || expected.back() != info.action) expected.push_back(info.action);
    }
    context.actions.clear();
    EXPECT_EQ(expand(context, macro), "");
    // "<VOLUME>" and "<INPUTVOLUME>" are one action, run once for each tag.
    std::vector<MacroAction> withInputTwice = expected;
    withInputTwice.insert(
        std::find(withInputTwice.begin(), withInputTwice.end(), MacroAction::InputVolume),
        MacroAction::InputVolume);
    EXPECT_EQ(context.actions, withInputTwice);
    EXPECT_EQ(expected.size(), 34u);
}

TEST(MacroExpander, RstAsksOnlyWhenTheFieldIsEmpty) {
    RecordingContext context;
    context.fields[MacroField::RstSent] = "579";
    EXPECT_EQ(expand(context, "ur <RST> <RST>"), "ur 579 579");
    EXPECT_TRUE(context.calls.empty());

    context.fields.erase(MacroField::RstSent);
    context.promptAnswer = "559";
    EXPECT_EQ(expand(context, "ur <RST>"), "ur 559");
    EXPECT_EQ(context.calls, (std::vector<std::string>{"prompt RST to send|599", "set-rst 559"}));

    context.calls.clear();
    context.fields.erase(MacroField::RstSent);
    context.promptAnswer.reset();
    EXPECT_EQ(expand(context, "ur <RST>."), "ur .");
    EXPECT_EQ(context.calls, std::vector<std::string>{"prompt RST to send|599"});

    context.calls.clear();
    expand(context, "no tag here");
    EXPECT_TRUE(context.calls.empty());
}

TEST(MacroExpander, BandTagSelectsThePageByNameAndKeepsTheTextAroundIt) {
    RecordingContext context;
    EXPECT_EQ(expand(context, "QSY <BAND:20m>now"), "QSY now");
    EXPECT_EQ(context.calls, std::vector<std::string>{"band 20m"});

    // Only the first is handled; the second goes out as typed.
    context.calls.clear();
    EXPECT_EQ(expand(context, "<BAND:40m>|<BAND:20m>"), "|<BAND:20m>");
    EXPECT_EQ(context.calls, std::vector<std::string>{"band 40m"});

    // The name ends at the first ">" after the tag.
    context.calls.clear();
    EXPECT_EQ(expand(context, "<BAND:nope>>"), ">");
    EXPECT_EQ(context.calls, std::vector<std::string>{"band nope"});
}

TEST(MacroExpander, ExternalCommandLeavesNoTraceInTheText) {
    RecordingContext context;
    EXPECT_EQ(expand(context, "a<QSOCMDDDE:Save>b"), "ab");
    EXPECT_EQ(context.calls, std::vector<std::string>{"external Save"});
}

TEST(MacroExpander, UnterminatedArgumentTagsStayAsText) {
    RecordingContext context;
    EXPECT_EQ(expand(context, "x <BAND:20m"), "x <BAND:20m");
    EXPECT_EQ(expand(context, "<QSOCMDDDE:Save"), "<QSOCMDDDE:Save");
    EXPECT_EQ(expand(context, "<FILE:/etc/hostname"), "<FILE:/etc/hostname");
    EXPECT_EQ(expand(context, "<BAND:"), "<BAND:");
    // A ">" only inside a later value does not close the tag.
    context.fields[MacroField::Call] = "x>";
    EXPECT_EQ(expand(context, "<QSOCMDDDE:<CALL>"), "<QSOCMDDDE:x>");
    EXPECT_TRUE(context.calls.empty());
}

TEST(MacroExpander, ImdShowsTheReadoutOrSaysItWasNotMeasured) {
    RecordingContext context;
    EXPECT_EQ(expand(context, "IMD <IMD>"), "IMD IMD was not measured");
    context.imd = "IMD: -26 dB";
    EXPECT_EQ(expand(context, "<IMD>"), "IMD: -26 dB");
}

TEST(MacroExpander, TimeAndDateInUtcHaveFixedForms) {
    RecordingContext context;
    context.clock = kMarch5th2004;
    EXPECT_EQ(expand(context, "<TIME> <DATE>"), "14:03:07z 5 Mar 2004");
    context.clock += std::chrono::hours(24 * 300);
    EXPECT_EQ(expand(context, "<DATE>"), "30 Dec 2004");
}

TEST(MacroExpander, TimeAndDateOffUtcUseLocalTime) {
    const char* previous = std::getenv("TZ");
    const std::string saved = previous ? previous : "";
    ::setenv("TZ", "EST5", 1);
    ::tzset();
    RecordingContext context;
    context.utc = false;
    context.clock = kMarch5th2004;
    const std::string result = expand(context, "<TIME> <DATE>");
    if (previous) {
        ::setenv("TZ", saved.c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
    EXPECT_EQ(result, "09:03:07 03/05/04");  // the C locale's forms, five hours west
}

TEST(MacroExpander, LookupFillsTheTemplateLiterallyWithTheEncodedCall) {
    RecordingContext context;
    context.fields[MacroField::Call] = "DL1ABC/P";
    EXPECT_EQ(expand(context, "<LOOKUP>"), "");
    EXPECT_EQ(context.calls,
              std::vector<std::string>{"url https://callbook.example/db/DL1ABC%2FP"});

    // The template is no format string: only its first "%s" is filled, other "%" stay.
    context.calls.clear();
    context.urlTemplate = "https://x.example/?q=%s&n=%d%%&r=%s";
    context.fields[MacroField::Call] = "A%sB &c";
    expand(context, "<LOOKUP>");
    EXPECT_EQ(context.calls,
              std::vector<std::string>{"url https://x.example/?q=A%25sB%20%26c&n=%d%%&r=%s"});

    // Characters beyond ASCII go as the UTF-8 bytes of the character.
    context.calls.clear();
    context.urlTemplate = "https://x.example/%s";
    context.fields[MacroField::Call] = "SP\xD3";
    expand(context, "<LOOKUP>");
    EXPECT_EQ(context.calls, std::vector<std::string>{"url https://x.example/SP%C3%93"});

    context.calls.clear();
    context.fields[MacroField::Call] = "";
    expand(context, "<LOOKUP>");
    EXPECT_TRUE(context.calls.empty());
}

TEST(MacroExpander, ARefusedTransmitStillGivesTheText) {
    RecordingContext context;
    context.fields[MacroField::MyCall] = "";
    EXPECT_EQ(expand(context, "<TX>hello de <MYCALL><RX>"), "hello de \xAE\r\n");
    EXPECT_EQ(context.actions, std::vector<MacroAction>{MacroAction::Transmit});
    EXPECT_EQ(context.currentState, MacroStationState::Receiving);
}

TEST(MacroExpander, EveryActionHasItsOwnName) {
    std::vector<std::string_view> names;
    for (int i = 0; i <= static_cast<int>(MacroAction::ChannelsOff); ++i) {
        names.push_back(macroActionName(static_cast<MacroAction>(i)));
        EXPECT_NE(names.back(), "unknown") << i;
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
    EXPECT_EQ(macroActionName(MacroAction::Transmit), "transmit");
}

TEST(MacroExpander, SubstitutedValuesAreNeverExpandedAgain) {
    RecordingContext context;
    const std::string hostile = "<TX><RX><FILE:/etc/hostname><QSOCMDDDE:Remove><BAND:20m><MYCALL>";
    context.fields[MacroField::Qth] = hostile;
    context.fields[MacroField::Name] = "<LOOKUP><TXTOGGLE><CLEARTX>";
    context.fields[MacroField::Call] = "<SAVEQSO>";
    context.currentState = MacroStationState::Receiving;
    EXPECT_EQ(expand(context, "QTH <QTH>, <NAME> <CALL>"),
              "QTH " + hostile + ", <LOOKUP><TXTOGGLE><CLEARTX> <SAVEQSO>");
    EXPECT_TRUE(context.calls.empty());
    EXPECT_EQ(context.currentState, MacroStationState::Receiving);
}

TEST(MacroExpander, AValueNeverCompletesATagWithTheTextAroundIt) {
    RecordingContext context;
    context.fields[MacroField::Call] = "<";
    context.fields[MacroField::Name] = "TX";
    EXPECT_EQ(expand(context, "<CALL>TX> <<NAME>>"), "<TX> <TX>");
    EXPECT_TRUE(context.actions.empty());
    // Removing a tag joins the operator's own text, as typed.
    EXPECT_EQ(expand(context, "<SAVE<BOOKMARK>QSO>"), "");
    EXPECT_EQ(context.actions,
              (std::vector<MacroAction>{MacroAction::ToggleBookmark, MacroAction::SaveQso}));
}

TEST(MacroExpander, ControlBytesInValuesAreSentAsVisibleText) {
    RecordingContext context;
    context.fields[MacroField::Qth] =
        "20\xB0"
        "C \xAE \xA9";
    context.fields[MacroField::RstSent] = "5\xAE";
    context.imd = "\xA9";
    EXPECT_EQ(expand(context, "<QTH>|<RST>|<IMD>"), "20degC (R) (C)|5(R)|(C)");
}

TEST(MacroExpander, Utf8ValuesPassWhileStandaloneControlsAreNeutralised) {
    RecordingContext context;
    context.charset = modem::CharacterSet::Utf8;
    // "Ůsti 20°C ©" in UTF-8: C5 AE, C2 B0 and C2 A9 hold all three control bytes.
    const std::string qth = "\xC5\xAEsti 20\xC2\xB0" "C \xC2\xA9";
    context.fields[MacroField::Qth] = qth;
    context.fields[MacroField::Name] = "Ewa\xAE \xB0";
    // A lead byte left open at the end would otherwise take the next marker for its letter.
    context.fields[MacroField::Call] = "SP1\xC5";
    EXPECT_EQ(expand(context, "<QTH>|<NAME>|<CALL><RX>"),
              qth + "|Ewa(R) deg|SP1?\xAE\r\n");
    // The same bytes in Windows-1250 are controls, as they always were.
    context.charset = modem::CharacterSet::Windows1250;
    EXPECT_EQ(expand(context, "<QTH>"), "\xC5(R)sti 20\xC2" "degC \xC2(C)");
}

}  // namespace
}  // namespace tarnvel::macros
