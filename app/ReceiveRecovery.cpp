#include "app/ReceiveRecovery.h"

#include <algorithm>

namespace tarnvel::app {

void ReceiveRecovery::begin(StationMs now) {
    if (active_) return;
    active_ = true;
    attempt_ = 0;
    nextAt_ = now + kRetryDelaysMs[0];
}

void ReceiveRecovery::failedAgain(StationMs now) {
    if (!active_) return;
    attempt_ = std::min(attempt_ + 1, kRetryDelaysMs.size() - 1);
    nextAt_ = now + kRetryDelaysMs[attempt_];
}

}  // namespace tarnvel::app
