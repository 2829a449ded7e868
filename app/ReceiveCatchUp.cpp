#include "app/ReceiveCatchUp.h"

#include <algorithm>
#include <climits>
#include <cmath>


namespace tarnvel::app {

ReceiveCatchUp::ReceiveCatchUp(const std::unique_ptr<audio::HistoryRing>& history,
                               display::MultichannelDecoder& multichannel)
    : history_(history), multichannel_(multichannel) {
    channels_.setSource(this);
    multichannel_.setOpenListener(&channels_);
}

ReceiveCatchUp::~ReceiveCatchUp() {
    multichannel_.setOpenListener(nullptr);
}

display::HistoryPieces ReceiveCatchUp::newestSamples(size_t count) const {
    if (!history_) return {};
    const auto pieces = history_->newest(static_cast<int>(std::min<size_t>(count, INT_MAX)));
    return {pieces[0], pieces[1]};
}

size_t ReceiveCatchUp::clickReplaySamples(double previousHz, double hz, modem::Mode mode,
                                          double sampleRate) const {
    if (!history_ || history_->capacity() == 0) return 0;
    const double width =
        display::MultichannelDecoder::kSameSignalHz * (modem::isFastPsk(mode) ? 2.0 : 1.0);
    if (!(std::fabs(hz - previousHz) >= width)) return 0;
    const size_t samples = channels_.lookbackSamples(hz, mode, sampleRate);
    return std::min(samples, static_cast<size_t>(history_->capacity()));
}

}  // namespace tarnvel::app
