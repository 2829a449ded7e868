#include "cli/Options.h"

#include <array>

#include "cli/OptionTable.h"
#include "cli/ReceiverOption.h"

namespace tarnvel::cli {
namespace {

constexpr std::string_view kWavInput =
    "FILE.wav: as for decode (the first channel of the recording is used; - reads\n"
    "standard input).";

constexpr std::string_view kRawHelp =
    "the input is raw 16-bit little-endian mono samples at\n"
    "RATE per second (8000..192000), no WAV header";

// --raw RATE, the same for every command that reads audio.
template <typename Options>
MaybeProblem parseRawRate(std::string_view name, std::string_view value, Options& o) {
    long number = 0;
    MaybeProblem p = parseRange(name, value, kMinFileRate, kMaxFileRate, "a sample rate", number);
    if (!p) o.rawRate = static_cast<int>(number);
    return p;
}

// The one input recording of a command.
MaybeProblem takeInputFile(std::string_view command, const ScannedArgs& args,
                           std::string& inputFile) {
    const std::vector<std::string_view>& positionals = args.positionals;
    if (positionals.empty())
        return problem(command, "no input WAV file given (- reads standard input)");
    if (positionals.size() > 1)
        return problem(positionals[1], "unexpected argument (one input file only)");
    return parseFileName(command, positionals[0], inputFile);
}

// ---- decode ---------------------------------------------------------------------------------

using DecodeSpec = OptionSpec<DecodeOptions>;
constexpr std::array<DecodeSpec, 7> kDecodeOptions{{
    {"--mode", "MODE",
     "bpsk31, bpsk63, qpsk31, qpsk31i (QPSK with the sidebands\n"
     "swapped), fsk31, fsk63 or pactor (100 and 200 baud)",
     [](std::string_view name, std::string_view value, DecodeOptions& o) {
         return parseMode(name, value, o.mode, ModeUse::Receive);
     }},
    {"--freq", "HZ",
     "receive audio frequency, 100..5000 Hz (FSK and PACTOR:\n"
     "the centre between the two tones)",
     [](std::string_view name, std::string_view value, DecodeOptions& o) {
         return parseFrequency(name, value, o.frequency);
     }},
    {"--afc", "on|off",
     "automatic frequency control (default on). One AFC step\n"
     "runs per 300 ms of audio, as in the station, and follows\n"
     "only while the signal stands at least 10 dB out of the\n"
     "spectrum at the receive frequency. PACTOR has no AFC.",
     [](std::string_view name, std::string_view value, DecodeOptions& o) {
         return parseOnOff(name, value, o.afc);
     }},
    {"--squelch", "off|0..31",
     "squelch threshold (default 15): text is printed only\n"
     "while the signal quality is at least 31 minus the level,\n"
     "so that noise before and after a signal prints nothing;\n"
     "off prints everything",
     [](std::string_view name, std::string_view value, DecodeOptions& o) {
         return parseSquelch(name, value, o.squelchThreshold);
     }},
    {"--channel", "N", "channel of the recording to decode (default 1, the first)",
     [](std::string_view name, std::string_view value, DecodeOptions& o) {
         long number = 0;
         MaybeProblem p = parseRange(name, value, 1, 65535, "a channel number", number);
         if (!p) o.channel = static_cast<unsigned>(number);
         return p;
     }},
    {"--raw", "RATE", kRawHelp, parseRawRate<DecodeOptions>},
    {kReceiverOption, kReceiverValues, kReceiverHelp,
     [](std::string_view name, std::string_view value, DecodeOptions& o) {
         return parseReceiver(name, value, o.receiver);
     }},
}};

MaybeProblem finishDecode(DecodeOptions& o, const ScannedArgs& args) {
    if (!args.given("--mode")) return modeRequired(ModeUse::Receive);
    if (!args.given("--freq")) return problem("--freq", "is required (100..5000 Hz)");
    if (o.rawRate && args.given("--channel"))
        return problem("--channel", "cannot be combined with --raw (raw samples are mono)");
    return takeInputFile("decode", args, o.inputFile);
}

constexpr CommandSpec<DecodeOptions> kDecode{
    "decode --mode MODE --freq HZ [OPTIONS] FILE.wav",
    "Decodes a recording and prints the text as the receive window shows it: a CR LF\n"
    "pair makes one line end, control codes the window never shows are dropped.",
    kDecodeOptions,
    23,
    "FILE.wav: 16-bit PCM, 8000..192000 samples per second, any channel count;\n"
    "audio not at 11025 Hz is converted to it with libsoxr. A file cut short is\n"
    "decoded as far as it goes, with a warning. FILE - reads standard input (a WAV\n"
    "stream, whose sizes may be unknown, or raw samples with --raw) and prints the\n"
    "text as it arrives.",
    finishDecode};

// ---- encode ---------------------------------------------------------------------------------

using EncodeSpec = OptionSpec<EncodeOptions>;
constexpr std::array<EncodeSpec, 7> kEncodeOptions{{
    {"--mode", "MODE", "bpsk31, bpsk63, qpsk31, qpsk31i, fsk31 or fsk63",
     [](std::string_view name, std::string_view value, EncodeOptions& o) {
         return parseMode(name, value, o.mode, ModeUse::Transmit);
     }},
    {"--freq", "HZ", "transmit audio frequency, 100..5000 Hz (FSK: the centre)",
     [](std::string_view name, std::string_view value, EncodeOptions& o) {
         return parseFrequency(name, value, o.frequency);
     }},
    {"--text", "TEXT", "the text to send",
     [](std::string_view, std::string_view value, EncodeOptions& o) -> MaybeProblem {
         o.text = std::string(value);
         return std::nullopt;
     }},
    {"--text-file", "FILE", "read the text to send from FILE",
     [](std::string_view name, std::string_view value, EncodeOptions& o) {
         return parseFileName(name, value, o.textFile.emplace());
     }},
    {"--rate", "HZ", "sample rate of OUT.wav, 8000..192000 (default 11025)",
     [](std::string_view name, std::string_view value, EncodeOptions& o) {
         long number = 0;
         MaybeProblem p =
             parseRange(name, value, kMinFileRate, kMaxFileRate, "a sample rate", number);
         if (!p) o.rate = static_cast<int>(number);
         return p;
     }},
    {"--cwid", "TEXT", "send TEXT in Morse at the end of the transmission",
     [](std::string_view name, std::string_view value, EncodeOptions& o) -> MaybeProblem {
         if (value.empty()) return problem(name, "the identification text is empty");
         o.cwId = std::string(value);
         return std::nullopt;
     }},
    {"-o", "OUT.wav", "the file to write; it appears only once it is complete",
     [](std::string_view name, std::string_view value, EncodeOptions& o) {
         return parseFileName(name, value, o.outputFile);
     }},
}};

MaybeProblem finishEncode(EncodeOptions& o, const ScannedArgs& args) {
    if (!args.given("--mode")) return modeRequired(ModeUse::Transmit);
    if (!args.given("--freq")) return problem("--freq", "is required (100..5000 Hz)");
    if (o.text && o.textFile) return problem("--text-file", "cannot be combined with --text");
    if (!o.text && !o.textFile) return problem("encode", "--text or --text-file is required");
    if (!args.given("-o")) return problem("-o", "is required (the output WAV file)");
    if (!args.positionals.empty()) return problem(args.positionals[0], "unexpected argument");
    return std::nullopt;
}

constexpr CommandSpec<EncodeOptions> kEncode{
    "encode --mode MODE --freq HZ (--text TEXT | --text-file FILE) -o OUT.wav",
    "Writes one complete transmission (preamble, text, postamble and, when asked, the\n"
    "Morse identification) into a 16-bit mono WAV file.",
    kEncodeOptions,
    21,
    "Text is taken as UTF-8 when it is valid UTF-8, else as 8-bit codes; every\n"
    "character must have a code 0..255. Line ends become CR LF. The control codes\n"
    "174 (end of transmission, written as the character U+00AE), 169 (end and clear,\n"
    "U+00A9) and 176 (Morse identification, U+00B0) may appear in the text; the\n"
    "transmission ends at the first 174 or 169. Without --cwid a 176 is sent as code 0.",
    finishEncode};

// ---- channels -------------------------------------------------------------------------------

constexpr std::array<OptionSpec<ChannelsOptions>, 4> kChannelsOptions{{
    {"--mode", "MODE", "bpsk31 or bpsk63",
     [](std::string_view name, std::string_view value, ChannelsOptions& o) {
         return parseMode(name, value, o.mode, ModeUse::Multichannel);
     }},
    {"--squelch", "off|0..31",
     "squelch threshold (default 15): a channel takes text\n"
     "while its signal quality is at least 31 minus the level\n"
     "and for 2 s after; off takes everything",
     [](std::string_view name, std::string_view value, ChannelsOptions& o) {
         return parseSquelch(name, value, o.squelchThreshold);
     }},
    {"--raw", "RATE", kRawHelp, parseRawRate<ChannelsOptions>},
    {kReceiverOption, kReceiverValues, kReceiverHelp,
     [](std::string_view name, std::string_view value, ChannelsOptions& o) {
         return parseReceiver(name, value, o.receiver);
     }},
}};

MaybeProblem finishChannels(ChannelsOptions& o, const ScannedArgs& args) {
    if (o.mode == nullptr) return modeRequired(ModeUse::Multichannel);
    return takeInputFile("channels", args, o.inputFile);
}

constexpr CommandSpec<ChannelsOptions> kChannels{
    "channels --mode MODE [OPTIONS] FILE.wav",
    "Runs the multichannel decoder over a recording: every BPSK signal that stands out\n"
    "of the spectrum gets a channel, as in the station's multichannel window, and\n"
    "decodes it from a little before the signal began (at most 10 s back). When the\n"
    "recording ends, one block is printed per channel that was ever opened, in slot\n"
    "order (A..Z):\n"
    "\n"
    "  == L FREQ      the channel letter and its last frequency in Hz\n"
    "  text...        everything the channel decoded, as the receive window shows it\n"
    "  (empty line)",
    kChannelsOptions,
    23,
    kWavInput,
    finishChannels};

// ---- waterfall ------------------------------------------------------------------------------

using WaterfallSpec = OptionSpec<WaterfallOptions>;
constexpr std::array<WaterfallSpec, 5> kWaterfallOptions{{
    {"-o", "OUT.png", "the picture to write; it appears only once it is complete",
     [](std::string_view name, std::string_view value, WaterfallOptions& o) {
         return parseFileName(name, value, o.outputFile);
     }},
    {"--palette", "FILE",
     "waterfall colours from a palette file (nine lines\n"
     "\"red;green;blue\"); default the built-in palette",
     [](std::string_view name, std::string_view value, WaterfallOptions& o) {
         return parseFileName(name, value, o.paletteFile.emplace());
     }},
    {"--freq-mode", "0|1|2",
     "frequency scale: 0 audio Hz (default), 1 radio kHz on the\n"
     "upper sideband, 2 radio kHz on the lower sideband (columns\n"
     "mirrored)",
     [](std::string_view name, std::string_view value, WaterfallOptions& o) {
         long number = 0;
         MaybeProblem p = parseRange(name, value, 0, 2, "a frequency scale", number);
         if (!p) o.freqMode = static_cast<int>(number);
         return p;
     }},
    {"--dial", "KHZ", "the radio's dial frequency, needed with --freq-mode 1 or 2",
     [](std::string_view name, std::string_view value, WaterfallOptions& o) {
         return parseDial(name, value, o.dialKHz);
     }},
    {"--raw", "RATE", kRawHelp, parseRawRate<WaterfallOptions>},
}};

MaybeProblem finishWaterfall(WaterfallOptions& o, const ScannedArgs& args) {
    const bool haveDial = args.given("--dial");
    if (!args.given("-o")) return problem("-o", "is required (the output PNG file)");
    if (o.freqMode != 0 && !haveDial)
        return problem("--dial", "is required with --freq-mode 1 or 2");
    if (o.freqMode == 0 && haveDial)
        return problem("--dial", "needs --freq-mode 1 or 2 (the audio scale has no dial)");
    return takeInputFile("waterfall", args, o.inputFile);
}

constexpr CommandSpec<WaterfallOptions> kWaterfall{
    "waterfall FILE.wav -o OUT.png [OPTIONS]",
    "Draws the waterfall of a recording as the station shows it: one row per 2048\n"
    "samples, the newest at the top under the frequency scale, one column per\n"
    "spectrum bin (1024 columns, 0 Hz up to half the sample rate).",
    kWaterfallOptions,
    21,
    kWavInput,
    finishWaterfall};

}  // namespace

Parsed<DecodeOptions> parseDecodeOptions(const std::vector<std::string_view>& args) {
    return parseCommand(kDecode, args);
}

Parsed<EncodeOptions> parseEncodeOptions(const std::vector<std::string_view>& args) {
    return parseCommand(kEncode, args);
}

Parsed<ChannelsOptions> parseChannelsOptions(const std::vector<std::string_view>& args) {
    return parseCommand(kChannels, args);
}

Parsed<WaterfallOptions> parseWaterfallOptions(const std::vector<std::string_view>& args) {
    return parseCommand(kWaterfall, args);
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
  macros     show a macro file, or expand a macro text without a station
  radio      key the transmitter, set the dial, list Hamlib's rigs
  log        import, export, merge and search the log of QSOs
  link       read, write and watch what a running Tarnvel publishes
  usb-device play the USB sound device on a pseudo-terminal (for --usb)

Run 'tarnvel-cli COMMAND --help' for the options of a command.
Exit status: 0 done, 1 the work could not be done, 2 bad command line or bad file.
)";
}

std::string_view decodeHelp() {
    static const std::string text = helpText(kDecode);
    return text;
}

std::string_view encodeHelp() {
    static const std::string text = helpText(kEncode);
    return text;
}

std::string_view channelsHelp() {
    static const std::string text = helpText(kChannels);
    return text;
}

std::string_view waterfallHelp() {
    static const std::string text = helpText(kWaterfall);
    return text;
}

}  // namespace tarnvel::cli
