#include "app/StationClock.h"

#include <thread>

namespace tarnvel::app {

StationMs SteadyStationClock::now() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start_)
        .count();
}

void SteadyStationClock::sleepFor(StationMs ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool SteadyStationClock::waitForEvents(audio::SoundEvents& events, StationMs ms) {
    return events.waitFor(std::chrono::milliseconds(ms > 0 ? ms : 0));
}

bool ManualStationClock::waitForEvents(audio::SoundEvents& events, StationMs ms) {
    if (events.waitFor(std::chrono::milliseconds(0))) return true;
    now_ += ms > 0 ? ms : 0;
    return false;
}

}  // namespace tarnvel::app
