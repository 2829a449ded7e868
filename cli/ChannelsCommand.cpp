// tarnvel-cli channels: the multichannel decoder over a whole recording.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/ReceiveText.h"
#include "cli/AudioInput.h"
#include "cli/Commands.h"
#include "cli/TextCodec.h"
#include "display/BandDecoder.h"

namespace tarnvel::cli {
namespace {

// A channel's text as the receive window would show it: one LF per line end, backspaces
// applied, NUL and the control codes the window never shows dropped.
std::string shownText(const std::string& codes) {
    app::ReceiveText window(/*keepEverything=*/true);
    window.appendReceivedText(codes);
    return window.text();
}

std::string channelBlock(const display::BandChannel& channel) {
    char heading[64];
    std::snprintf(heading, sizeof heading, "== %c %.1f\n", channel.letter, channel.frequency);
    std::string block = heading;
    std::string text = toUtf8(shownText(channel.text));
    if (!text.empty() && text.back() != '\n') text.push_back('\n');
    return block + text + "\n";
}

}  // namespace

int runChannels(const ChannelsOptions& options) {
    std::vector<int16_t> modemAudio;
    if (const int status = readModemAudio(options.inputFile, options.rawRate, 0, modemAudio); status != kExitOk)
        return status;

    display::BandDecodeOptions band;
    band.mode = options.mode->mode;
    band.settings.squelch = options.squelchThreshold.has_value();
    band.settings.sqThreshold = options.squelchThreshold.value_or(band.settings.sqThreshold);
    band.settings.pskReceiver = options.receiver;
    const display::BandDecodeResult result = display::decodeBand(modemAudio, band);
    if (!result.ok) {
        reportProblem({"channels", result.error});
        return kExitFailure;
    }

    // Slot order; a slot that held several channels lists them in the order they came.
    std::vector<display::BandChannel> channels = result.channels;
    std::stable_sort(channels.begin(), channels.end(),
                     [](const auto& a, const auto& b) { return a.letter < b.letter; });
    std::string out;
    for (const display::BandChannel& channel : channels) out += channelBlock(channel);
    return writeStandardOutput(out);
}

}  // namespace tarnvel::cli
