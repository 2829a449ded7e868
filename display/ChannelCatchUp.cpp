#include "display/ChannelCatchUp.h"

#include <algorithm>
#include <cmath>

#include "display/MultichannelChannel.h"
#include "display/SpectrumCollector.h"

namespace tarnvel::display {

size_t ChannelCatchUp::lookbackSamples(double frequency, modem::Mode mode,
                                       double sampleRate) const {
    if (!(sampleRate > 0.0) || !std::isfinite(sampleRate)) return 0;
    const std::optional<int> rows = onset_.rowsSinceStart(frequency, mode, sampleRate);
    if (!rows) return 0;
    const size_t wanted = static_cast<size_t>(*rows + kLeadRows) * kSpectrumBlockSize;
    return std::min(wanted, static_cast<size_t>(kMaxSeconds * sampleRate));
}

void ChannelCatchUp::channelOpened(MultichannelChannel& channel, modem::Mode mode,
                                   double sampleRate) {
    lastSamples_ = 0;
    if (!enabled_ || source_ == nullptr) return;
    const size_t samples = lookbackSamples(channel.frequency(), mode, sampleRate);
    if (samples == 0) return;
    const HistoryPieces history = source_->newestSamples(samples);
    feed(channel, history.older);
    feed(channel, history.newer);
    lastSamples_ = history.size();
}

void ChannelCatchUp::feed(MultichannelChannel& channel, std::span<const int16_t> samples) {
    while (!samples.empty()) {
        const size_t piece = std::min(kPieceSamples, samples.size());
        channel.process(samples.data(), piece);
        samples = samples.subspan(piece);
    }
}

}  // namespace tarnvel::display
