// The main receiver's catch-up on the sound history after a click on a signal.

#include "app/ReceiveCatchUp.h"
#include "app/Station.h"

namespace tarnvel::app {

bool Station::replayFromSignalStart(double previousHz) {
    // A replay in progress (Shift) already covers the whole history.
    if (!history_ || history_->replaying()) return false;
    const size_t samples = catchUp_->clickReplaySamples(previousHz, receiveFrequency(), mode(),
                                                        chain_.sampleRate());
    if (samples == 0 || !history_->startReplayOfNewest(static_cast<int>(samples))) return false;
    chain_.appendPendingText(audio::kReplayStartText);
    return true;
}

}  // namespace tarnvel::app
