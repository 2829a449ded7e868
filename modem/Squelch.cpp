#include "modem/Squelch.h"

namespace tarnvel::modem {

bool Squelch::setThreshold(int threshold) {
    if (threshold < 0 || threshold > kMaxThreshold) return false;
    threshold_ = threshold;
    return true;
}

void Squelch::tick(int quality) {
    if (quality >= kMaxThreshold - threshold_) {
        open_ = true;
        hold_ = kHoldTicks;
    } else if (hold_ == 0) {
        open_ = false;
    } else {
        --hold_;
    }
}

}  // namespace tarnvel::modem
