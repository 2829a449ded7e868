#pragma once
// The two places where the batch tool meets the modem: decoding a recording into receive-window
// text, and rendering one transmission. Everything around them (files, rates, options, errors)
// lives in the commands.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/ReceiveText.h"
#include "cli/Options.h"
#include "modem/PskReceiverKind.h"

namespace tarnvel::app {
class Station;
}

namespace tarnvel::cli {

// Samples per receive block, as the sound card delivers them.
inline constexpr size_t kReceiveBlockSamples = 512;

struct ModemOutcome {
    bool ok = false;
    std::string error;
    double receiveFrequency = 0.0;  // after decoding: where the AFC left the receiver
};

struct ReceiveSettings {
    const ModeChoice* mode = nullptr;
    double frequency = 0.0;
    bool afc = true;
    std::optional<int> squelchThreshold;  // empty: squelch off
    modem::PskReceiverKind receiver = modem::kDefaultPskReceiver;
};

struct TransmitSettings {
    const ModeChoice* mode = nullptr;
    double frequency = 0.0;
    std::string text;                 // 8-bit codes, may hold 174, 169 and 176
    std::optional<std::string> cwId;  // sent in Morse at the end (and wherever the text has 176)
    // The rate the sound card really plays at (the corrected transmit rate): the transmission
    // is rendered as that card would play it and stored as 11025 samples per second.
    double cardRate = 11025.0;
};

// The receive settings' own problem (no mode, a squelch level out of range), or "".
std::string checkReceiveSettings(const ReceiveSettings& settings);
// Sets up a scratch station to decode with `settings` and starts it on its card: the
// problem, or "" when it receives.
std::string prepareDecodeStation(app::Station& station, const ReceiveSettings& settings);

// Decodes `audio` (11025 samples per second) into `window`.
ModemOutcome decodeAudio(std::span<const int16_t> audio, const ReceiveSettings& settings,
                         app::ReceiveText& window);

// Renders one whole transmission at 11025 samples per second into `audio`: it ends where the
// text has its first 174 or 169, else after the whole text.
ModemOutcome renderTransmission(const TransmitSettings& settings, std::vector<int16_t>& audio);

}  // namespace tarnvel::cli
