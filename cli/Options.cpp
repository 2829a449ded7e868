#include "cli/Options.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace tarnvel::cli {
namespace {

// The command line's own spelling of inverted QPSK.
constexpr std::string_view kInvertedQpskName = "qpsk31i";

// The modes of the mode commands by their command-line names, inverted QPSK after QPSK.
const std::vector<ModeChoice>& modeChoices() {
    static const std::vector<ModeChoice> choices = [] {
        std::vector<ModeChoice> list;
        for (const modem::ModeInfo& m : modem::commandModes()) {
            list.push_back({m.cliName, m.mode, false});
            if (m.mode == modem::Mode::Qpsk31) list.push_back({kInvertedQpskName, m.mode, true});
        }
        return list;
    }();
    return choices;
}

// The modes each command takes.
enum class ModeUse { Receive, Transmit, Multichannel };

bool takes(ModeUse use, const ModeChoice& mode) {
    switch (use) {
        case ModeUse::Transmit:
            return mode.transmits();
        case ModeUse::Multichannel:
            return modem::runsMultichannel(mode.mode);
        default:
            return true;
    }
}

// "bpsk31, bpsk63 or pactor": the names a command takes.
std::string modeList(ModeUse use) {
    std::vector<std::string_view> names;
    for (const ModeChoice& m : modeChoices())
        if (takes(use, m)) names.push_back(m.name);
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) list += i + 1 == names.size() ? " or " : ", ";
        list += names[i];
    }
    return list;
}

struct Scanned {
    std::optional<Problem> problem;
    bool help = false;
    std::vector<std::pair<std::string_view, std::string_view>> options;  // name, value
    std::vector<std::string_view> positionals;
};

Problem problem(std::string_view subject, std::string message) {
    return Problem{std::string(subject), std::move(message)};
}

// Splits the arguments into options with their values and plain arguments. Every option takes
// a value, given as "--name value" or "--name=value"; "--" ends the options.
Scanned scan(const std::vector<std::string_view>& args,
             std::initializer_list<std::string_view> known) {
    Scanned s;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size() && !s.problem; ++i) {
        std::string_view arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            s.positionals.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            s.help = true;
            continue;
        }
        std::string_view name = arg;
        std::optional<std::string_view> value;
        if (const size_t eq = arg.find('=');
            arg.starts_with("--") && eq != std::string_view::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        if (std::find(known.begin(), known.end(), name) == known.end()) {
            s.problem = problem(name, "unknown option");
            break;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                s.problem = problem(name, "needs a value");
                break;
            }
            value = args[++i];
        }
        const bool repeated = std::any_of(s.options.begin(), s.options.end(),
                                          [&](const auto& o) { return o.first == name; });
        if (repeated) {
            s.problem = problem(name, "given more than once");
            break;
        }
        s.options.emplace_back(name, *value);
    }
    return s;
}

std::optional<Problem> parseMode(std::string_view option, std::string_view value,
                                 const ModeChoice*& mode, ModeUse use = ModeUse::Receive) {
    mode = findMode(value);
    const std::string list = " (one of " + modeList(use) + ")";
    if (mode == nullptr) return problem(option, "unknown mode '" + std::string(value) + "'" + list);
    if (use == ModeUse::Transmit && !mode->transmits())
        return problem(option, "mode '" + std::string(value) + "' is receive only" + list);
    if (use == ModeUse::Multichannel && !takes(use, *mode))
        return problem(option,
                       "mode '" + std::string(value) + "' has no multichannel decoder" + list);
    return std::nullopt;
}

std::optional<Problem> modeRequired(ModeUse use) {
    return problem("--mode", "is required (one of " + modeList(use) + ")");
}

std::optional<Problem> parseFrequency(std::string_view option, std::string_view value, double& hz) {
    const std::string text(value);
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(v))
        return problem(option, "'" + text + "' is not a frequency in Hz");
    if (v < kMinFrequencyHz || v > kMaxFrequencyHz)
        return problem(option, text + " Hz is outside 100..5000 Hz");
    hz = v;
    return std::nullopt;
}

bool parseInteger(std::string_view value, long& out) {
    const char* first = value.data();
    const char* last = first + value.size();
    auto [ptr, ec] = std::from_chars(first, last, out);
    return !value.empty() && ec == std::errc() && ptr == last;
}

std::optional<Problem> parseOnOff(std::string_view option, std::string_view value, bool& on) {
    if (value == "on") {
        on = true;
    } else if (value == "off") {
        on = false;
    } else {
        return problem(option, "'" + std::string(value) + "' is neither on nor off");
    }
    return std::nullopt;
}

std::optional<Problem> parseSquelch(std::string_view option, std::string_view value,
                                    std::optional<int>& threshold) {
    long v = 0;
    if (value == "off") {
        threshold.reset();
    } else if (parseInteger(value, v) && v >= 0 && v <= kMaxSquelchThreshold) {
        threshold = static_cast<int>(v);
    } else {
        return problem(option, "'" + std::string(value) + "' is neither off nor a level 0..31");
    }
    return std::nullopt;
}

std::optional<Problem> parseRange(std::string_view option, std::string_view value, long low,
                                  long high, const char* what, long& out) {
    if (!parseInteger(value, out) || out < low || out > high)
        return problem(option, "'" + std::string(value) + "' is not " + what + " " +
                                   std::to_string(low) + ".." + std::to_string(high));
    return std::nullopt;
}

std::optional<Problem> requireFile(std::string_view option, std::string_view value) {
    if (value.empty()) return problem(option, "the file name is empty");
    return std::nullopt;
}

}  // namespace

const ModeChoice* findMode(std::string_view name) {
    for (const ModeChoice& m : modeChoices())
        if (m.name == name) return &m;
    return nullptr;
}

Parsed<DecodeOptions> parseDecodeOptions(const std::vector<std::string_view>& args) {
    Parsed<DecodeOptions> parsed;
    Scanned s = scan(args, {"--mode", "--freq", "--afc", "--squelch", "--channel"});
    parsed.help = s.help;
    if (s.help) return parsed;
    if (s.problem) {
        parsed.problem = s.problem;
        return parsed;
    }
    DecodeOptions& o = parsed.options;
    bool haveMode = false, haveFrequency = false;
    for (const auto& [name, value] : s.options) {
        std::optional<Problem> p;
        long number = 0;
        if (name == "--mode") {
            p = parseMode(name, value, o.mode);
            haveMode = true;
        } else if (name == "--freq") {
            p = parseFrequency(name, value, o.frequency);
            haveFrequency = true;
        } else if (name == "--afc") {
            p = parseOnOff(name, value, o.afc);
        } else if (name == "--squelch") {
            p = parseSquelch(name, value, o.squelchThreshold);
        } else if (name == "--channel") {
            p = parseRange(name, value, 1, 65535, "a channel number", number);
            o.channel = static_cast<unsigned>(number);
        }
        if (p) {
            parsed.problem = p;
            return parsed;
        }
    }
    if (!haveMode)
        parsed.problem = modeRequired(ModeUse::Receive);
    else if (!haveFrequency)
        parsed.problem = problem("--freq", "is required (100..5000 Hz)");
    else if (s.positionals.empty())
        parsed.problem = problem("decode", "no input WAV file given");
    else if (s.positionals.size() > 1)
        parsed.problem = problem(s.positionals[1], "unexpected argument (one input file only)");
    else if (auto p = requireFile("decode", s.positionals[0]))
        parsed.problem = p;
    else
        o.inputFile = std::string(s.positionals[0]);
    return parsed;
}

Parsed<EncodeOptions> parseEncodeOptions(const std::vector<std::string_view>& args) {
    Parsed<EncodeOptions> parsed;
    Scanned s = scan(args, {"--mode", "--freq", "--text", "--text-file", "--rate", "--cwid", "-o"});
    parsed.help = s.help;
    if (s.help) return parsed;
    if (s.problem) {
        parsed.problem = s.problem;
        return parsed;
    }
    EncodeOptions& o = parsed.options;
    bool haveMode = false, haveFrequency = false, haveOutput = false;
    for (const auto& [name, value] : s.options) {
        std::optional<Problem> p;
        long number = 0;
        if (name == "--mode") {
            p = parseMode(name, value, o.mode, ModeUse::Transmit);
            haveMode = true;
        } else if (name == "--freq") {
            p = parseFrequency(name, value, o.frequency);
            haveFrequency = true;
        } else if (name == "--text") {
            o.text = std::string(value);
        } else if (name == "--text-file") {
            p = requireFile(name, value);
            o.textFile = std::string(value);
        } else if (name == "--rate") {
            p = parseRange(name, value, kMinFileRate, kMaxFileRate, "a sample rate", number);
            o.rate = static_cast<int>(number);
        } else if (name == "--cwid") {
            if (value.empty()) p = problem(name, "the identification text is empty");
            o.cwId = std::string(value);
        } else if (name == "-o") {
            p = requireFile(name, value);
            o.outputFile = std::string(value);
            haveOutput = true;
        }
        if (p) {
            parsed.problem = p;
            return parsed;
        }
    }
    if (!haveMode)
        parsed.problem = modeRequired(ModeUse::Transmit);
    else if (!haveFrequency)
        parsed.problem = problem("--freq", "is required (100..5000 Hz)");
    else if (o.text && o.textFile)
        parsed.problem = problem("--text-file", "cannot be combined with --text");
    else if (!o.text && !o.textFile)
        parsed.problem = problem("encode", "--text or --text-file is required");
    else if (!haveOutput)
        parsed.problem = problem("-o", "is required (the output WAV file)");
    else if (!s.positionals.empty())
        parsed.problem = problem(s.positionals[0], "unexpected argument");
    return parsed;
}

// The one input recording of a command.
std::optional<Problem> takeInputFile(std::string_view command,
                                     const std::vector<std::string_view>& positionals,
                                     std::string& inputFile) {
    if (positionals.empty()) return problem(command, "no input WAV file given");
    if (positionals.size() > 1)
        return problem(positionals[1], "unexpected argument (one input file only)");
    if (auto p = requireFile(command, positionals[0])) return p;
    inputFile = std::string(positionals[0]);
    return std::nullopt;
}

Parsed<ChannelsOptions> parseChannelsOptions(const std::vector<std::string_view>& args) {
    Parsed<ChannelsOptions> parsed;
    Scanned s = scan(args, {"--mode"});
    parsed.help = s.help;
    if (s.help) return parsed;
    if (s.problem) {
        parsed.problem = s.problem;
        return parsed;
    }
    ChannelsOptions& o = parsed.options;
    for (const auto& [name, value] : s.options) {
        if (auto p = parseMode(name, value, o.mode, ModeUse::Multichannel)) {
            parsed.problem = p;
            return parsed;
        }
    }
    if (o.mode == nullptr)
        parsed.problem = modeRequired(ModeUse::Multichannel);
    else
        parsed.problem = takeInputFile("channels", s.positionals, o.inputFile);
    return parsed;
}

Parsed<WaterfallOptions> parseWaterfallOptions(const std::vector<std::string_view>& args) {
    Parsed<WaterfallOptions> parsed;
    Scanned s = scan(args, {"-o", "--palette", "--freq-mode", "--dial"});
    parsed.help = s.help;
    if (s.help) return parsed;
    if (s.problem) {
        parsed.problem = s.problem;
        return parsed;
    }
    WaterfallOptions& o = parsed.options;
    bool haveOutput = false, haveDial = false;
    for (const auto& [name, value] : s.options) {
        std::optional<Problem> p;
        long number = 0;
        if (name == "-o") {
            p = requireFile(name, value);
            o.outputFile = std::string(value);
            haveOutput = true;
        } else if (name == "--palette") {
            p = requireFile(name, value);
            o.paletteFile = std::string(value);
        } else if (name == "--freq-mode") {
            p = parseRange(name, value, 0, 2, "a frequency scale", number);
            o.freqMode = static_cast<int>(number);
        } else if (name == "--dial") {
            const std::string text(value);
            char* end = nullptr;
            errno = 0;
            const double v = std::strtod(text.c_str(), &end);
            if (text.empty() || end != text.c_str() + text.size() || errno == ERANGE ||
                !std::isfinite(v) || v < 0.0 || v > kMaxDialKHz)
                p = problem(name, "'" + text + "' is not a dial frequency in kHz (0..100000000)");
            o.dialKHz = v;
            haveDial = true;
        }
        if (p) {
            parsed.problem = p;
            return parsed;
        }
    }
    if (!haveOutput)
        parsed.problem = problem("-o", "is required (the output PNG file)");
    else if (o.freqMode != 0 && !haveDial)
        parsed.problem = problem("--dial", "is required with --freq-mode 1 or 2");
    else if (o.freqMode == 0 && haveDial)
        parsed.problem =
            problem("--dial", "needs --freq-mode 1 or 2 (the audio scale has no dial)");
    else
        parsed.problem = takeInputFile("waterfall", s.positionals, o.inputFile);
    return parsed;
}

std::string_view generalHelp() {
    return R"(Usage: tarnvel-cli COMMAND [OPTIONS]

Batch work on WAV recordings with the Tarnvel modem, and a station without a
window on the sound card.

Commands:
  decode     decode a recording and print the received text
  encode     write one transmission into a WAV file
  channels   decode every BPSK signal of a recording, one block per channel
  waterfall  draw the waterfall of a recording into a PNG picture
  listen     receive from a sound card and print the text as it arrives
  transmit   send a text on a sound card and return to receive
  devices    list the sound input and output devices

Run 'tarnvel-cli COMMAND --help' for the options of a command.
Exit status: 0 done, 1 the work could not be done, 2 bad command line or bad file.
)";
}

std::string_view decodeHelp() {
    return R"(Usage: tarnvel-cli decode --mode MODE --freq HZ [OPTIONS] FILE.wav

Decodes a recording and prints the text as the receive window shows it: a CR LF
pair makes one line end, control codes the window never shows are dropped.

  --mode MODE          bpsk31, bpsk63, qpsk31, qpsk31i (QPSK with the sidebands
                       swapped), fsk31, fsk63 or pactor (100 and 200 baud)
  --freq HZ            receive audio frequency, 100..5000 Hz (FSK and PACTOR:
                       the centre between the two tones)
  --afc on|off         automatic frequency control (default on). One AFC step
                       runs per 300 ms of audio, as in the station, and follows
                       only while the signal stands at least 10 dB out of the
                       spectrum at the receive frequency. PACTOR has no AFC.
  --squelch off|0..31  squelch threshold (default off): text is printed only
                       while the signal quality is at least 31 minus the level
  --channel N          channel of the recording to decode (default 1, the first)
  -h, --help           this text

FILE.wav: 16-bit PCM, 8000..192000 samples per second, any channel count;
audio not at 11025 Hz is converted to it with libsoxr.
)";
}

std::string_view encodeHelp() {
    return R"(Usage: tarnvel-cli encode --mode MODE --freq HZ (--text TEXT | --text-file FILE) -o OUT.wav

Writes one complete transmission (preamble, text, postamble and, when asked, the
Morse identification) into a 16-bit mono WAV file.

  --mode MODE        bpsk31, bpsk63, qpsk31, qpsk31i, fsk31 or fsk63
  --freq HZ          transmit audio frequency, 100..5000 Hz (FSK: the centre)
  --text TEXT        the text to send
  --text-file FILE   read the text to send from FILE
  --rate HZ          sample rate of OUT.wav, 8000..192000 (default 11025)
  --cwid TEXT        send TEXT in Morse at the end of the transmission
  -o OUT.wav         the file to write; it appears only once it is complete
  -h, --help         this text

Text is taken as UTF-8 when it is valid UTF-8, else as 8-bit codes; every
character must have a code 0..255. Line ends become CR LF. The control codes
174 (end of transmission, written as the character U+00AE), 169 (end and clear,
U+00A9) and 176 (Morse identification, U+00B0) may appear in the text; the
transmission ends at the first 174 or 169. Without --cwid a 176 is sent as code 0.
)";
}

std::string_view channelsHelp() {
    return R"(Usage: tarnvel-cli channels --mode MODE FILE.wav

Runs the multichannel decoder over a recording: every BPSK signal that stands out
of the spectrum gets a channel, as in the station's multichannel window. When the
recording ends, one block is printed per channel that was ever opened, in slot
order (A..Z):

  == L FREQ      the channel letter and its last frequency in Hz
  text...        everything the channel decoded, as the receive window shows it
  (empty line)

  --mode MODE    bpsk31 or bpsk63
  -h, --help     this text

FILE.wav: as for decode (the first channel of the recording is used).
)";
}

std::string_view waterfallHelp() {
    return R"(Usage: tarnvel-cli waterfall FILE.wav -o OUT.png [OPTIONS]

Draws the waterfall of a recording as the station shows it: one row per 2048
samples, the newest at the top under the frequency scale, one column per
spectrum bin (1024 columns, 0 Hz up to half the sample rate).

  -o OUT.png         the picture to write; it appears only once it is complete
  --palette FILE     waterfall colours from a palette file (nine lines
                     "red;green;blue"); default the built-in palette
  --freq-mode 0|1|2  frequency scale: 0 audio Hz (default), 1 radio kHz on the
                     upper sideband, 2 radio kHz on the lower sideband (columns
                     mirrored)
  --dial KHZ         the radio's dial frequency, needed with --freq-mode 1 or 2
  -h, --help         this text

FILE.wav: as for decode (the first channel of the recording is used).
)";
}

}  // namespace tarnvel::cli
