#include "cli/Options.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/OptionTable.h"

namespace tarnvel::cli {
namespace {

using Args = std::vector<std::string_view>;

std::string problemOf(const std::optional<Problem>& p) {
    return p ? p->subject + ": " + p->message : "";
}

// Every option the help of a command lists: the words after two spaces that start with '-'.
std::vector<std::string> optionsInHelp(std::string_view help) {
    std::vector<std::string> names;
    for (std::size_t at = help.find("\n  -"); at != std::string_view::npos;
         at = help.find("\n  -", at + 1)) {
        const std::size_t start = at + 3;
        const std::size_t end = help.find_first_of(" ,\n", start);
        const std::string name(help.substr(start, end - start));
        if (name != "-h") names.push_back(name);
    }
    return names;
}

struct CommandUnderTest {
    const char* name;
    std::string_view (*help)();
    std::function<std::optional<Problem>(const Args&)> parse;
};

std::vector<CommandUnderTest> commands() {
    return {
        {"decode", decodeHelp, [](const Args& a) { return parseDecodeOptions(a).problem; }},
        {"encode", encodeHelp, [](const Args& a) { return parseEncodeOptions(a).problem; }},
        {"channels", channelsHelp, [](const Args& a) { return parseChannelsOptions(a).problem; }},
        {"waterfall", waterfallHelp,
         [](const Args& a) { return parseWaterfallOptions(a).problem; }},
    };
}

TEST(CliOptions, EveryOptionTheHelpListsIsParsedAndNoOther) {
    for (const CommandUnderTest& c : commands()) {
        const std::vector<std::string> listed = optionsInHelp(c.help());
        ASSERT_FALSE(listed.empty()) << c.name;
        for (const std::string& name : listed) {
            const std::string problem = problemOf(c.parse({name, "x"}));
            EXPECT_EQ(problem.find("unknown option"), std::string::npos)
                << c.name << " " << name << ": " << problem;
        }
        EXPECT_EQ(problemOf(c.parse({"--bogus", "1"})), "--bogus: unknown option") << c.name;
    }
}

// Where the description of an option line begins: after the first gap of two spaces.
std::size_t descriptionColumn(std::string_view help, std::string_view start) {
    const std::size_t at = help.find(start);
    if (at == std::string_view::npos) return 0;
    const std::string_view line = help.substr(at + 1, help.find('\n', at + 1) - at - 1);
    return line.find_first_not_of(' ', line.find("  ", 2));
}

TEST(CliOptions, HelpPutsEveryDescriptionInOneColumn) {
    for (const CommandUnderTest& c : commands()) {
        const std::string_view help = c.help();
        EXPECT_TRUE(help.starts_with(std::string("Usage: tarnvel-cli ") + c.name)) << help;
        EXPECT_TRUE(help.ends_with("\n")) << c.name;
        const std::size_t column = descriptionColumn(help, "\n  -h, --help");
        ASSERT_GT(column, 0u) << c.name;
        for (const std::string& name : optionsInHelp(help))
            EXPECT_EQ(descriptionColumn(help, "\n  " + name + " "), column) << c.name << name;
    }
    // Continuation lines stand under the first line's text.
    EXPECT_NE(decodeHelp().find("(QPSK with the sidebands\n"
                                "                       swapped)"),
              std::string_view::npos);
}

TEST(CliOptions, ValuesComeSpacedOrAfterAnEqualsSign) {
    const auto spaced = parseDecodeOptions({"--mode", "bpsk63", "--freq", "1000", "in.wav"});
    ASSERT_FALSE(spaced.problem) << problemOf(spaced.problem);
    const auto joined = parseDecodeOptions({"--mode=bpsk63", "--freq=1000", "in.wav"});
    ASSERT_FALSE(joined.problem) << problemOf(joined.problem);
    EXPECT_EQ(joined.options.mode, spaced.options.mode);
    EXPECT_EQ(joined.options.mode->mode, modem::Mode::Bpsk63);
    EXPECT_EQ(joined.options.frequency, 1000.0);
    EXPECT_EQ(joined.options.inputFile, "in.wav");
    // After "--" a name that looks like an option is a file.
    const auto ended = parseDecodeOptions({"--mode", "fsk31", "--freq", "900", "--", "-in.wav"});
    ASSERT_FALSE(ended.problem) << problemOf(ended.problem);
    EXPECT_EQ(ended.options.inputFile, "-in.wav");
}

TEST(CliOptions, ScanProblemsAndHelp) {
    EXPECT_EQ(problemOf(parseDecodeOptions({"--mode"}).problem), "--mode: needs a value");
    EXPECT_EQ(problemOf(parseDecodeOptions({"--afc", "on", "--afc", "off"}).problem),
              "--afc: given more than once");
    // Help seen before a problem wins; a problem stops the scan before a later --help.
    const auto helpFirst = parseDecodeOptions({"-h", "--bogus"});
    EXPECT_TRUE(helpFirst.help);
    EXPECT_FALSE(helpFirst.problem);
    const auto problemFirst = parseDecodeOptions({"--bogus", "--help"});
    EXPECT_FALSE(problemFirst.help);
    EXPECT_EQ(problemOf(problemFirst.problem), "--bogus: unknown option");
}

TEST(CliOptions, ReceiverChoiceOfDecodeAndChannels) {
    const auto byDefault = parseDecodeOptions({"--mode", "bpsk31", "--freq", "1000", "a.wav"});
    ASSERT_FALSE(byDefault.problem) << problemOf(byDefault.problem);
    EXPECT_EQ(byDefault.options.receiver, modem::kDefaultPskReceiver);
    const auto specified = parseDecodeOptions(
        {"--mode", "bpsk31", "--freq", "1000", "--receiver", "specified", "a.wav"});
    ASSERT_FALSE(specified.problem) << problemOf(specified.problem);
    EXPECT_EQ(specified.options.receiver, modem::PskReceiverKind::Specified);
    const auto channels =
        parseChannelsOptions({"--mode", "bpsk63", "--receiver=sensitive", "a.wav"});
    ASSERT_FALSE(channels.problem) << problemOf(channels.problem);
    EXPECT_EQ(channels.options.receiver, modem::PskReceiverKind::Sensitive);
    EXPECT_EQ(problemOf(parseDecodeOptions({"--receiver", "fast"}).problem),
              "--receiver: 'fast' is neither specified nor sensitive");
}

TEST(CliOptions, ModesEachCommandTakes) {
    EXPECT_EQ(problemOf(parseDecodeOptions({"--freq", "1000", "a.wav"}).problem),
              "--mode: is required (one of bpsk31, bpsk63, qpsk31, qpsk31i, fsk31, fsk63 or "
              "pactor)");
    const auto inverted = parseEncodeOptions(
        {"--mode", "qpsk31i", "--freq", "1000", "--text", "hi", "-o", "out.wav"});
    ASSERT_FALSE(inverted.problem) << problemOf(inverted.problem);
    EXPECT_TRUE(inverted.options.mode->invertedQpsk);
    EXPECT_EQ(inverted.options.mode->mode, modem::Mode::Qpsk31);
    EXPECT_EQ(problemOf(parseEncodeOptions({"--mode", "pactor"}).problem),
              "--mode: mode 'pactor' is receive only (one of bpsk31, bpsk63, qpsk31, qpsk31i, "
              "fsk31 or fsk63)");
    EXPECT_EQ(problemOf(parseChannelsOptions({"--mode", "qpsk31", "a.wav"}).problem),
              "--mode: mode 'qpsk31' has no multichannel decoder (one of bpsk31 or bpsk63)");
    EXPECT_EQ(problemOf(parseChannelsOptions({"--mode", "rtty"}).problem),
              "--mode: unknown mode 'rtty' (one of bpsk31 or bpsk63)");
}

TEST(CliOptions, OptionsThatDependOnEachOther) {
    const Args base{"in.wav", "-o", "out.png"};
    auto with = [&](Args more) {
        Args a = base;
        a.insert(a.end(), more.begin(), more.end());
        return problemOf(parseWaterfallOptions(a).problem);
    };
    EXPECT_EQ(with({}), "");
    EXPECT_EQ(with({"--freq-mode", "1"}), "--dial: is required with --freq-mode 1 or 2");
    EXPECT_EQ(with({"--dial", "0"}),
              "--dial: needs --freq-mode 1 or 2 (the audio scale has no dial)");
    EXPECT_EQ(with({"--freq-mode", "2", "--dial", "0"}), "");  // a zero dial is a dial
    EXPECT_EQ(with({"--freq-mode", "3"}), "--freq-mode: '3' is not a frequency scale 0..2");
    EXPECT_EQ(problemOf(parseEncodeOptions({"--mode", "bpsk31", "--freq", "1000", "--text", "a",
                                            "--text-file", "t.txt", "-o", "o.wav"})
                            .problem),
              "--text-file: cannot be combined with --text");
    EXPECT_EQ(
        problemOf(parseDecodeOptions({"--mode", "bpsk31", "--freq", "1000", "a", "b"}).problem),
        "b: unexpected argument (one input file only)");
}

}  // namespace
}  // namespace tarnvel::cli
