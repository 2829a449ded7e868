#include "display/ChannelCatchUp.h"

#include <algorithm>
#include <cmath>

#include "display/MultichannelDecoder.h"
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

void ChannelCatchUp::channelOpened(MultichannelDecoder& decoder, int slot) {
    lastSamples_ = 0;
    if (!enabled_ || source_ == nullptr) return;
    MultichannelChannel& channel = decoder.channel(slot);
    const size_t samples = lookbackSamples(channel.frequency(), decoder.mode(), decoder.sampleRate());
    if (samples == 0) return;
    const HistoryPieces history = source_->newestSamples(samples);
    const MultichannelSettings& s = decoder.settings();
    feed(channel, history.older, s.squelch, s.sqThreshold);
    feed(channel, history.newer, s.squelch, s.sqThreshold);
    // Live audio follows: the channel shows text from now on, as any channel just opened.
    channel.setDisplayedCarrier(true);
    lastSamples_ = history.size();
}

void ChannelCatchUp::feed(MultichannelChannel& channel, std::span<const int16_t> samples,
                          bool squelch, int threshold) {
    while (!samples.empty()) {
        const size_t piece = std::min(kPieceSamples, samples.size());
        channel.setDisplayedCarrier(channel.carrier(squelch, threshold));
        channel.process(samples.data(), piece);
        samples = samples.subspan(piece);
    }
}

}  // namespace tarnvel::display
