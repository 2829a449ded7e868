#pragma once
// When receive stops because the sound device failed or could not be opened (the sound server
// restarted, the card was unplugged, the machine slept), the station tries to open it again on
// its own, ever less often: 1, 2, 4, 8 and 16 s after the failure, then every 30 s, until it
// opens or the operator does something else with the sound card.

#include <array>

#include "app/StationClock.h"

namespace tarnvel::app {

// The note shown when receive has opened again.
inline constexpr const char* kReceiveReopenedNote = "Receive reopened: the sound card works again";

class ReceiveRecovery {
  public:
    static constexpr std::array<StationMs, 6> kRetryDelaysMs = {1000, 2000,  4000,
                                                                8000, 16000, 30000};

    // Receive has failed at `now`: the first attempt is due a second later. A failure while
    // already recovering keeps the schedule it has.
    void begin(StationMs now);
    // Receive is open again, or the operator took the sound card over.
    void cancel() { active_ = false; }
    bool active() const { return active_; }
    bool due(StationMs now) const { return active_ && now >= nextAt_; }
    // The attempt at `now` failed: the next one waits longer (at most the last delay).
    void failedAgain(StationMs now);
    StationMs nextAttemptAt() const { return nextAt_; }

  private:
    bool active_ = false;
    std::size_t attempt_ = 0;
    StationMs nextAt_ = 0;
};

}  // namespace tarnvel::app
