#pragma once
// Command line of tarnvel-cli: the commands, their options, their validation and help texts.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "modem/Mode.h"
#include "modem/PskReceiverKind.h"

namespace tarnvel::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;   // the work could not be done (not bad input)
inline constexpr int kExitBadInput = 2;  // bad command line, input file or output place

inline constexpr double kMinFrequencyHz = 100.0;
inline constexpr double kMaxFrequencyHz = 5000.0;
inline constexpr int kMinFileRate = 8000;
inline constexpr int kMaxFileRate = 192000;
inline constexpr int kDefaultOutputRate = 11025;
inline constexpr int kMaxSquelchThreshold = 31;
// Squelch thresholds of decode and channels when none is given: the levels with the fewest
// errors, noise printed before and after a signal included, from strong signals down to
// -10 dB (docs/receive-quality.md). "--squelch off" prints everything.
inline constexpr int kDefaultDecodeSquelch = 15;
inline constexpr int kDefaultChannelsSquelch = 15;

// A modem mode as named on the command line.
struct ModeChoice {
    std::string_view name;
    modem::Mode mode;
    bool invertedQpsk;  // QPSK with the sidebands swapped
    bool transmits() const { return modem::modeInfo(mode).transmits; }
};

// One problem, reported as "tarnvel-cli: <subject>: <message>".
struct Problem {
    std::string subject;  // the option or file concerned
    std::string message;
};

// The input file name that stands for standard input.
inline constexpr std::string_view kStandardInput = "-";

struct DecodeOptions {
    const ModeChoice* mode = nullptr;
    double frequency = 0.0;
    bool afc = true;
    std::optional<int> squelchThreshold = kDefaultDecodeSquelch;  // empty: squelch off
    unsigned channel = 1;                                        // 1 = first channel
    std::string inputFile;                // or "-": standard input
    std::optional<int> rawRate;           // raw 16-bit mono samples at this rate, no header
    modem::PskReceiverKind receiver = modem::kDefaultPskReceiver;
};

struct EncodeOptions {
    const ModeChoice* mode = nullptr;
    double frequency = 0.0;
    std::optional<std::string> text;
    std::optional<std::string> textFile;
    int rate = kDefaultOutputRate;
    std::optional<std::string> cwId;
    std::string outputFile;
};

struct ChannelsOptions {
    const ModeChoice* mode = nullptr;  // BPSK31 or BPSK63
    std::optional<int> squelchThreshold = kDefaultChannelsSquelch;  // empty: squelch off
    std::string inputFile;
    std::optional<int> rawRate;
    modem::PskReceiverKind receiver = modem::kDefaultPskReceiver;
};

inline constexpr double kMaxDialKHz = 100e6;

struct WaterfallOptions {
    std::string inputFile;
    std::optional<int> rawRate;
    std::string outputFile;
    std::optional<std::string> paletteFile;  // empty: the built-in palette
    int freqMode = 0;                        // 0 audio, 1 upper sideband, 2 lower sideband
    double dialKHz = 0.0;
};

// What parsing found: a problem, a request for help, or options ready to run.
template <typename Options>
struct Parsed {
    std::optional<Problem> problem;
    bool help = false;
    Options options;
};

Parsed<DecodeOptions> parseDecodeOptions(const std::vector<std::string_view>& args);
Parsed<EncodeOptions> parseEncodeOptions(const std::vector<std::string_view>& args);
Parsed<ChannelsOptions> parseChannelsOptions(const std::vector<std::string_view>& args);
Parsed<WaterfallOptions> parseWaterfallOptions(const std::vector<std::string_view>& args);

const ModeChoice* findMode(std::string_view name);

std::string_view generalHelp();
std::string_view decodeHelp();
std::string_view encodeHelp();
std::string_view channelsHelp();
std::string_view waterfallHelp();

}  // namespace tarnvel::cli
