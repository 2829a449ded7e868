#include "display/SpectrumCollector.h"

namespace tarnvel::display {

bool SpectrumCollector::collect(const int16_t* samples, size_t count) {
    if (blockReady_) return false;
    for (size_t i = 0; i < count; ++i) {
        block_[static_cast<size_t>(writePosition_)] = static_cast<float>(samples[i]);
        if (++writePosition_ == kSpectrumBlockSize) {
            writePosition_ = 0;
            blockReady_ = true;
            return true;
        }
    }
    return false;
}

}  // namespace tarnvel::display
