#pragma once
// Decodes every BPSK signal of a whole recording at once, the way the station's multichannel
// decoder would have while receiving it: 512-sample input blocks, the spectrum collector,
// analyser and history feeding the signal search once per spectrum row, the channels decoding
// each block, the window's 250 ms timer and the station's 300 ms timer on the recording's own
// clock.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "display/MultichannelDecoder.h"
#include "display/SpectrumWindow.h"
#include "modem/Mode.h"

namespace tarnvel::display {

struct BandDecodeOptions {
    modem::Mode mode = modem::Mode::Bpsk31;  // a mode the multichannel decoder runs in
    double sampleRate = 11025.0;
    MultichannelSettings settings;
    SpectrumWindow window = SpectrumWindow::Hann;  // "Misc"/"FFTWindow" 2
    // A new channel first decodes the recording from a little before its signal began, with
    // no more history than the station keeps ("Misc"/"SoundHistory", 20 s).
    bool catchUp = true;
    double historySeconds = 20.0;
};

// One channel as it was when the recording ended (or when its slot got a new channel). With
// the squelch on, what the channel decoded during the window's 2 s hold after its signal had
// gone, the noise after an over, is not part of its text.
struct BandChannel {
    char letter = 'A';
    double frequency = 0.0;  // Hertz, the channel's last frequency
    std::string text;        // everything it decoded, line ends as LF
};

struct BandDecodeResult {
    bool ok = false;
    std::string error;                  // names what was wrong when not ok
    std::vector<BandChannel> channels;  // in the order they were opened
};

// Samples per input block, as the sound card delivers them.
inline constexpr size_t kBandBlockSamples = 512;

BandDecodeResult decodeBand(std::span<const int16_t> audio, const BandDecodeOptions& options);

// Carriage return + line feed, and a lone carriage return, become one line feed.
std::string lineEndsAsLf(const std::string& text);

}  // namespace tarnvel::display
