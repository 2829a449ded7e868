#pragma once
// The station's catch-up on its sound history: new multichannel channels decode the recent
// audio from a little before their signal began, and so does the main receiver when the
// operator clicks a signal that the spectrum shows began earlier (display::ChannelCatchUp
// decides how far back).

#include <memory>

#include "audio/HistoryRing.h"
#include "display/ChannelCatchUp.h"
#include "display/MultichannelDecoder.h"

namespace tarnvel::app {

class ReceiveCatchUp final : private display::SoundHistorySource {
  public:
    // The station's history pointer: it is replaced when the length or the rate changes, and
    // empty without a history (nothing is then caught up).
    // Registers itself with the multichannel decoder, which it must not outlive.
    ReceiveCatchUp(const std::unique_ptr<audio::HistoryRing>& history,
                   display::MultichannelDecoder& multichannel);
    ~ReceiveCatchUp() override;
    ReceiveCatchUp(const ReceiveCatchUp&) = delete;
    ReceiveCatchUp& operator=(const ReceiveCatchUp&) = delete;

    display::ChannelCatchUp& channels() { return channels_; }
    const display::ChannelCatchUp& channels() const { return channels_; }

    // Samples the main receiver replays after a click that moved it from previousHz to hz:
    // 0 when the click stays on the signal it was on (a signal's width: 8 Hz, 16 Hz in
    // BPSK63), when no signal stands at hz now, or without a history.
    size_t clickReplaySamples(double previousHz, double hz, modem::Mode mode,
                              double sampleRate) const;

  private:
    display::HistoryPieces newestSamples(size_t count) const override;

    const std::unique_ptr<audio::HistoryRing>& history_;
    display::MultichannelDecoder& multichannel_;
    display::ChannelCatchUp channels_;
};

}  // namespace tarnvel::app
