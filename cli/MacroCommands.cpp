#include "cli/MacroCommands.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>

#include "app/Station.h"
#include "app/StationMacros.h"
#include "app/Settings.h"
#include "cli/Commands.h"
#include "cli/OptionTable.h"
#include "macros/ControlCharacters.h"
#include "macros/MacroExpander.h"
#include "macros/MacroFile.h"
#include "macros/MacroKeys.h"
#include "macros/SettingTextEscaping.h"

namespace tarnvel::cli {
namespace {

using macros::MacroField;
using macros::MacroStationState;

// Macro texts on the command line are the terminal's UTF-8.
constexpr modem::CharacterSet kTextSet = modem::CharacterSet::Utf8;

struct ExpandOptions {
    std::map<MacroField, std::string> fields;
    MacroStationState state = MacroStationState::Receiving;
    bool useCwId = false;
    std::string text;
};

// Each field option fills one field of the station or of the QSO.
template <MacroField F>
MaybeProblem setField(std::string_view, std::string_view value, ExpandOptions& o) {
    o.fields[F] = std::string(value);
    return std::nullopt;
}

MaybeProblem setState(std::string_view name, std::string_view value, ExpandOptions& o) {
    if (value == "receiving") {
        o.state = MacroStationState::Receiving;
    } else if (value == "transmitting") {
        o.state = MacroStationState::Transmitting;
    } else if (value == "stopped") {
        o.state = MacroStationState::Stopped;
    } else {
        return problem(name,
                       "'" + std::string(value) + "' is not receiving, transmitting or stopped");
    }
    return std::nullopt;
}

MaybeProblem setCwId(std::string_view name, std::string_view value, ExpandOptions& o) {
    if (value.empty()) return problem(name, "the identification text is empty");
    o.fields[MacroField::CwIdText] = std::string(value);
    o.useCwId = true;
    return std::nullopt;
}

using M = MacroField;
constexpr std::array<OptionSpec<ExpandOptions>, 11> kExpandOptions{{
    {"--call", "CALL", "the other station's call (<CALL>)", setField<M::Call>},
    {"--name", "NAME", "the other operator's name (<NAME>)", setField<M::Name>},
    {"--qth", "QTH", "the other station's QTH (<QTH>)", setField<M::Qth>},
    {"--notes", "TEXT", "the QSO notes (<NOTES>)", setField<M::Notes>},
    {"--rst", "RST", "the RST sent (<RST>; without it the prompt is\ncancelled and <RST> is empty)",
     setField<M::RstSent>},
    {"--my-rst", "RST", "the RST received (<MYRST>)", setField<M::RstReceived>},
    {"--my-call", "CALL", "your call sign (<MYCALL>)", setField<M::MyCall>},
    {"--my-name", "NAME", "your name (<MYNAME>)", setField<M::MyName>},
    {"--my-qth", "QTH", "your QTH (<MYQTH>)", setField<M::MyQth>},
    {"--cwid", "TEXT", "send the CW identification TEXT (<CWID>)", setCwId},
    {"--state", "STATE",
     "receiving (default), transmitting or stopped: the\nstate <TX> and <TXTOGGLE> find",
     setState},
}};

MaybeProblem finishExpand(ExpandOptions& o, const ScannedArgs& args) {
    if (args.positionals.empty()) return problem("macros expand", "no macro text given");
    if (args.positionals.size() > 1)
        return problem(args.positionals[1], "unexpected argument (one macro text only)");
    o.text = std::string(args.positionals[0]);
    return std::nullopt;
}

constexpr CommandSpec<ExpandOptions> kExpand{
    "macros expand [OPTIONS] TEXT",
    "Expands a macro text as the station would and prints the result. The codes the\n"
    "transmitter acts on are printed as <174> (end of transmission), <169> (end and\n"
    "clear) and <176> (CW identification). What the macro would make the station do\n"
    "is listed on standard error, one line each, in the order it would happen; the\n"
    "station itself is not touched.",
    kExpandOptions,
    20,
    "Values given here are inserted as they are: tags inside them stay text.\n"
    "<FILE:name> reads the named file; <FILE> and the RST prompt find no dialog and\n"
    "insert nothing. Times and dates are UTC.",
    finishExpand};

constexpr std::string_view kMacrosHelp =
    "Usage: tarnvel-cli macros show FILE.mac\n"
    "       tarnvel-cli macros expand [OPTIONS] TEXT\n"
    "\n"
    "show: prints the 24 macros of a macro file, one line each: the key (F1 ... F12,\n"
    "Ctrl-F1 ... Ctrl-F12), a tab, the label, a tab and the text with its line breaks\n"
    "written as <CR> and <LF>.\n"
    "expand: see 'tarnvel-cli macros expand --help'.\n";

// The station as the command line has it: the fields given, and a record of what would run.
class ConsoleMacroContext final : public macros::MacroContext {
  public:
    explicit ConsoleMacroContext(const ExpandOptions& options) : o_(options) {}

    std::string text(MacroField field) const override {
        const auto found = o_.fields.find(field);
        return found == o_.fields.end() ? std::string() : found->second;
    }
    void setRstSent(std::string_view rst) override { report("rst-sent", rst); }
    MacroStationState state() const override { return o_.state; }
    bool useCwId() const override { return o_.useCwId; }
    bool useUtc() const override { return true; }
    std::chrono::system_clock::time_point now() const override {
        return std::chrono::system_clock::now();
    }
    std::optional<std::string> imdReadout() const override { return std::nullopt; }
    std::string callbookUrlTemplate() const override { return app::kDefaultCallbookUrl0; }
    modem::CharacterSet characterSet() const override { return kTextSet; }
    void run(macros::MacroAction action) override { report(macros::macroActionName(action), ""); }
    void selectBand(std::string_view name) override { report("band", name); }
    void sendExternalCommand(std::string_view command) override {
        report("external-command", command);
    }
    void openUrl(std::string_view url) override { report("open-url", url); }
    std::optional<std::string> prompt(std::string_view text, std::string_view) override {
        report("prompt", text);
        return std::nullopt;
    }
    std::optional<std::string> chooseFileToSend() override {
        report("choose-file", macros::kSendFileDialogTitle);
        return std::nullopt;
    }
    void showWarning(std::string_view text, std::string_view) override { report("warning", text); }

  private:
    static void report(std::string_view what, std::string_view value) {
        std::string line(what);
        if (!value.empty()) line += " " + showControlCodes(value, kTextSet);
        for (char& c : line)
            if (c == '\r' || c == '\n') c = ' ';
        std::fprintf(stderr, "%s\n", line.c_str());
    }

    const ExpandOptions& o_;
};

int runExpand(const std::vector<std::string_view>& args) {
    const Parsed<ExpandOptions> parsed = parseCommand(kExpand, args);
    if (parsed.help) {
        const std::string help = helpText(kExpand);
        std::fwrite(help.data(), 1, help.size(), stdout);
        return kExitOk;
    }
    if (parsed.problem) {
        reportProblem(*parsed.problem);
        return kExitBadInput;
    }
    ConsoleMacroContext context(parsed.options);
    macros::MacroExpander expander(context);
    const std::string expanded = expander.expand(parsed.options.text);
    std::fflush(stderr);
    return writeStandardOutput(showControlCodes(expanded, kTextSet) + "\n");
}

int runShow(const std::vector<std::string_view>& args) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fwrite(kMacrosHelp.data(), 1, kMacrosHelp.size(), stdout);
        return kExitOk;
    }
    if (args.size() != 1 || args[0].empty()) {
        reportProblem({"macros show", "give one macro file (FILE.mac)"});
        return kExitBadInput;
    }
    const std::string name(args[0]);
    macros::MacroSet set;
    const macros::MacroFileResult result = macros::loadMacroFile(name, set);
    if (!result.ok) {
        std::fprintf(stderr, "tarnvel-cli: %s\n", result.message.c_str());
        return kExitBadInput;
    }
    std::string out;
    for (const macros::MacroKeySet keys : {macros::MacroKeySet::F, macros::MacroKeySet::Ctrl}) {
        for (int key = 1; key <= macros::kMacroKeysPerSet; ++key) {
            const macros::Macro& m = set.at(keys, key);
            out += macros::macroKeyName(keys, key) + "\t" + m.label + "\t" +
                   macros::escapeMacroText(m.text) + "\n";
        }
    }
    return writeStandardOutput(out);
}

// Whether the transmitter ends its transmission somewhere in the text.
bool holdsEndOfTransmission(std::string_view text, modem::CharacterSet set) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = modem::characterLengthAt(text, i, set);
        if (length == 1 &&
            (text[i] == macros::kEndOfTransmission || text[i] == macros::kEndAndClear))
            return true;
        i += length;
    }
    return false;
}

}  // namespace

std::string showControlCodes(std::string_view text, modem::CharacterSet set) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = modem::characterLengthAt(text, i, set);
        const char c = text[i];
        if (length == 1 && (c == macros::kEndOfTransmission || c == macros::kEndAndClear ||
                            c == macros::kSendIdentification)) {
            out += "<" + std::to_string(static_cast<unsigned char>(c)) + ">";
        } else {
            out += text.substr(i, length);
        }
        i += length;
    }
    return out;
}

int runMacros(const std::vector<std::string_view>& args) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        std::fwrite(kMacrosHelp.data(), 1, kMacrosHelp.size(), args.empty() ? stderr : stdout);
        return args.empty() ? kExitBadInput : kExitOk;
    }
    const std::vector<std::string_view> rest(args.begin() + 1, args.end());
    if (args[0] == "show") return runShow(rest);
    if (args[0] == "expand") return runExpand(rest);
    reportProblem({std::string(args[0]), "unknown macros command (show or expand)"});
    return kExitBadInput;
}

bool transmitMacro(app::Station& station, std::string_view macro, const StationFields& fields) {
    app::Settings& settings = station.settings();
    if (fields.call) settings.station.call = *fields.call;
    if (fields.name) settings.station.name = *fields.name;
    if (fields.qth) settings.station.qth = *fields.qth;
    const std::size_t before = station.transmitText().text().size();
    station.macros().send(macro);
    const std::string& text = station.transmitText().text();
    const std::string_view added = std::string_view(text).substr(std::min(before, text.size()));
    // A macro without "<RX>" still ends: the command returns to receive after its text.
    if (!holdsEndOfTransmission(added, station.characterSet()))
        station.transmitText().appendText(std::string(1, macros::kEndOfTransmission));
    if (station.state() == app::OperatingState::Receiving) station.goTransmit();
    return station.state() == app::OperatingState::Transmitting;
}

}  // namespace tarnvel::cli
