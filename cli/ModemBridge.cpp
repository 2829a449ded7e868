#include "cli/ModemBridge.h"

namespace tarnvel::cli {

// To come with the receive chain: select the mode (and the QPSK sideband) and the frequency;
// feed the audio in blocks of kReceiveBlockSamples; after each block hand the pending text to
// `window` when the squelch is off or open, then empty it; and for every tick an
// app::SampleTimer at 11025 Hz and app::kHousekeepingPeriodMs reports, run the squelch and,
// with the AFC on, one AFC step with the spectrum gate open.
ModemOutcome decodeAudio(std::span<const int16_t> /*audio*/, const ReceiveSettings& /*settings*/,
                         app::ReceiveText& /*window*/) {
    return {false, "the receive chain is not built yet"};
}

// To come with the transmitter: select the mode, the frequency and 11025 Hz, and render the
// text (with the Morse identification when asked) as one transmission.
ModemOutcome renderTransmission(const TransmitSettings& /*settings*/,
                                std::vector<int16_t>& /*audio*/) {
    return {false, "the transmitter is not built yet"};
}

}  // namespace tarnvel::cli
