// tarnvel-cli decode on standard input: the station receives on a card fed with the samples
// as they arrive (a pipe from a receiver program), and each piece of text is printed at once.

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/Station.h"
#include "app/StationClock.h"
#include "audio/LoopbackSoundCard.h"
#include "audio/Resampler.h"
#include "cli/AudioInput.h"
#include "cli/Commands.h"
#include "cli/ConsoleHost.h"
#include "cli/ModemBridge.h"
#include "cli/ScratchProfile.h"
#include "cli/TextCodec.h"

namespace tarnvel::cli {
namespace {

// At most this many samples go to the card before the station takes them: well inside the
// card's backlog, so nothing is dropped.
constexpr size_t kBlock = audio::kInputBlockSamples;
constexpr size_t kInjectSamples = 16 * kBlock;

// Prints what the receive text gained since the last call. A character erased by a backspace
// after it was printed stays printed: a pipe cannot take it back.
class TextPrinter {
  public:
    // False when standard output failed (reported).
    bool print(const std::string& text) {
        if (text.size() < printed_) printed_ = text.size();
        if (text.size() == printed_) return true;
        const std::string fresh = toUtf8(std::string_view(text).substr(printed_));
        printed_ = text.size();
        return writeStandardOutput(fresh) == kExitOk;
    }
    void endLine(const std::string& text) {
        if (!text.empty() && text.back() != '\n') writeStandardOutput("\n");
    }

  private:
    size_t printed_ = 0;
};

}  // namespace

int runStreamDecode(const DecodeOptions& options) {
    const ReceiveSettings settings{options.mode, options.frequency, options.afc,
                                   options.squelchThreshold, options.receiver};
    if (std::string problem = checkReceiveSettings(settings); !problem.empty()) {
        reportProblem({"decode", problem});
        return kExitFailure;
    }
    AudioInputStream input(options.inputFile, options.rawRate, options.channel - 1);
    if (!input.open()) {
        reportProblem({"standard input", input.error()});
        return kExitBadInput;
    }

    audio::LoopbackSoundCard card;
    ScratchProfile profile;
    ConsoleHost host;
    app::AudioStationClock clock(audio::kModemSampleRate);
    auto station =
        std::make_unique<app::Station>(profile.store(), card, host, clock,
                                       app::StationOptions{{}, /*keepAllReceivedText=*/true, {}});
    if (std::string problem = prepareDecodeStation(*station, settings); !problem.empty()) {
        reportProblem({"decode", problem});
        return kExitFailure;
    }

    TextPrinter printer;
    std::vector<int16_t> samples;
    size_t total = 0;
    bool more = true;
    while (more) {
        samples.clear();
        more = input.next(samples);
        total += samples.size();
        // The last block is completed with silence, as a recording's last block is.
        if (!more) samples.resize(samples.size() + (kBlock - total % kBlock) % kBlock, 0);
        for (size_t at = 0; at < samples.size(); at += kInjectSamples) {
            const size_t n = std::min(kInjectSamples, samples.size() - at);
            card.inject(std::span(samples.data() + at, n));
            station->pump(0);
        }
        if (!printer.print(station->receiveText().text())) return kExitFailure;
    }
    if (!input.error().empty()) {
        reportProblem({"standard input", input.error()});
        return kExitBadInput;
    }
    if (!input.warning().empty()) reportWarning("standard input", input.warning());
    printer.endLine(station->receiveText().text());
    return kExitOk;
}

}  // namespace tarnvel::cli
