#include "display/MultichannelDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tarnvel::display {

MultichannelDecoder::MultichannelDecoder(double sampleRate)
    : sampleRate_(std::isfinite(sampleRate) && sampleRate > 0.0 ? sampleRate : 11025.0) {
    for (int i = 0; i < kChannelSlots; ++i) {
        MultichannelChannel& c = channel(i);
        c.decoder().channelId = static_cast<int16_t>(i);
        c.setSampleRate(sampleRate_);
        c.retune(initialFrequency(i));
    }
}

bool MultichannelDecoder::active() const {
    return settings_.window && modem::runsMultichannel(mode_);
}

bool MultichannelDecoder::setSampleRate(double rate) {
    if (!std::isfinite(rate) || rate <= 0.0) return false;
    sampleRate_ = rate;
    for (MultichannelChannel& c : channels_) c.setSampleRate(rate);
    return true;
}

void MultichannelDecoder::processBlock(const int16_t* samples, size_t count) {
    if (!active() || samples == nullptr || count == 0) return;
    for (MultichannelChannel& c : channels_)
        if (c.inUse) c.process(samples, count);
}

// Two smoothing passes over the averaged spectrum: a box of 2p + 1 bins, then a triangle of the
// same reach, so that each signal (two tones when idling) becomes one rounded hill.
void MultichannelDecoder::smoothLevels(const SpectrumHistory& history) {
    const int p = static_cast<int>(std::trunc(32768.0 / sampleRate_ + 0.5));
    for (int b = 0; b < kSpectrumBins; ++b) levels_[static_cast<size_t>(b)] = history.level(b);
    box_.fill(0.0);
    smoothed_.fill(0.0);
    // Each bin's sums take their terms in the order j = -p..p; running over the bins for one
    // term at a time keeps that order and lets the bins go in parallel lanes.
    const int end = std::max(kSpectrumBins - p, p);
    double* box = box_.data();
    double* smoothed = smoothed_.data();
    const double* levels = levels_.data();
    for (int j = -p; j <= p; ++j)
        for (int b = p; b < end; ++b) box[b] += levels[b + j];
    for (int j = -p; j <= p; ++j) {
        const double weight = p - std::abs(j);
        for (int b = p; b < end; ++b) smoothed[b] += weight * box[b + j];
    }
}

// A signal: the smoothed spectrum rises strictly for three bins up to the position and falls
// strictly for three bins after it, and the peak stands above the search level.
bool MultichannelDecoder::isSignalAt(const SpectrumHistory& history, int bin) const {
    const auto s = [this, bin](int offset) { return smoothed_[static_cast<size_t>(bin + offset)]; };
    const bool peak =
        s(0) > s(-1) && s(-1) > s(-2) && s(-2) > s(-3) && s(0) > s(1) && s(1) > s(2) && s(2) > s(3);
    return peak && signalToNoise(history, mode_, bin, sampleRate_) > settings_.searchLevelDb;
}

// The scan stays inside the view, and inside the spectrum when the view is wider than it.
int MultichannelDecoder::scanHigh() const {
    return std::clamp(std::min(viewWidth_, kSpectrumBins) - kScanEdgeMargin, kScanLow,
                      kSpectrumBins - kScanEdgeMargin);
}

std::optional<int> MultichannelDecoder::onSpectrumRow(const SpectrumHistory& history,
                                                      Milliseconds now) {
    if (!active()) return std::nullopt;
    smoothLevels(history);
    const int step = settings_.freqMode == 2 ? -1 : 1;
    const int high = scanHigh();
    for (int n = 0; n < kScanStepsPerRow; ++n) {
        // The position moves before the test, so the next row goes on past a signal found.
        int r = scanPosition_ + step;
        if (r < kScanLow) r = high;
        if (r > high) r = kScanLow;
        scanPosition_ = r;
        if (!isSignalAt(history, r)) continue;
        const double f = snapFrequency(history, mode_, r, settings_.snap, sampleRate_);
        return openChannel(mode_, f, now);
    }
    return std::nullopt;
}

std::optional<int> MultichannelDecoder::openChannel(modem::Mode mode, double frequency,
                                                    Milliseconds now) {
    if (!std::isfinite(frequency) || frequency < 0.0) return std::nullopt;
    for (int i = 0; i < kChannelSlots; ++i) {
        MultichannelChannel& c = channel(i);
        if (!c.inUse || std::fabs(c.frequency() - frequency) >= kSameSignalHz) continue;
        c.retune(frequency);
        // A channel left from the other BPSK mode could not decode this signal.
        if (modem::runsMultichannel(mode)) c.adoptModeBaud(mode);
        return i;
    }
    for (int i = 0; i < kChannelSlots; ++i) {
        if (channel(i).inUse) continue;
        channel(i).usePskReceiver(settings_.pskReceiver);
        channel(i).open(i, mode, frequency, sampleRate_, now);
        ++generations_[static_cast<size_t>(i)];
        if (openListener_ != nullptr) openListener_->channelOpened(*this, i);
        return i;
    }
    return std::nullopt;
}

void MultichannelDecoder::clearChannel(int slot) {
    if (!validSlot(slot)) return;
    channel(slot).clearText();
    channel(slot).inUse = false;
}

void MultichannelDecoder::clearAll() {
    for (int i = 0; i < kChannelSlots; ++i) clearChannel(i);
}

int MultichannelDecoder::countInUse() const {
    return static_cast<int>(std::count_if(channels_.begin(), channels_.end(),
                                          [](const MultichannelChannel& c) { return c.inUse; }));
}

bool MultichannelDecoder::carrierOf(const MultichannelChannel& c) const {
    return c.carrier(settings_.squelch, settings_.sqThreshold);
}

void MultichannelDecoder::onWindowTimer(Milliseconds now) {
    if (!settings_.window) return;
    for (MultichannelChannel& c : channels_) {
        const bool carrier = carrierOf(c);
        c.setDisplayedCarrier(carrier || (c.inUse && c.bookkeeping().inactiveSeconds(carrier, now) <
                                                         kCarrierGraceSeconds));
    }
}

void MultichannelDecoder::onStationTimer(Milliseconds now) {
    for (int i = kChannelSlots - 1; i >= 0; --i) {
        MultichannelChannel& c = channel(i);
        if (c.inUse &&
            c.bookkeeping().inactiveSeconds(carrierOf(c), now) > settings_.timeoutSeconds)
            c.inUse = false;  // receiver and text stay until the slot is reused or cleared
    }
}

void MultichannelDecoder::channelTags(std::vector<ChannelTag>& tags) const {
    tags.resize(kChannelSlots);
    for (int i = 0; i < kChannelSlots; ++i) {
        const MultichannelChannel& c = channel(i);
        tags[static_cast<size_t>(i)] = {c.inUse, c.displayedCarrier(), c.frequency()};
    }
}

std::optional<int> MultichannelDecoder::seekLeft(double receiveFrequency) const {
    std::optional<int> best;
    double bestDiff = 0.0;
    for (int i = 0; i < kChannelSlots; ++i) {
        if (!inUse(i)) continue;
        const double diff = channel(i).frequency() - receiveFrequency;
        if (diff < -kSeekMinimumHz && (!best || diff > bestDiff)) {
            best = i;
            bestDiff = diff;
        }
    }
    return best;
}

std::optional<int> MultichannelDecoder::seekRight(double receiveFrequency) const {
    std::optional<int> best;
    double bestDiff = 0.0;
    for (int i = 0; i < kChannelSlots; ++i) {
        if (!inUse(i)) continue;
        const double diff = channel(i).frequency() - receiveFrequency;
        if (diff > kSeekMinimumHz && (!best || diff < bestDiff)) {
            best = i;
            bestDiff = diff;
        }
    }
    return best;
}

std::optional<ChannelJump> MultichannelDecoder::goToChannel(int slot) const {
    if (!validSlot(slot)) return std::nullopt;
    return ChannelJump{slot, channel(slot).frequency(), channel(slot).text()};
}

BookmarkToggle MultichannelDecoder::toggleBookmark(double receiveFrequency, Milliseconds now) {
    if (!std::isfinite(receiveFrequency) || receiveFrequency < 0.0) return BookmarkToggle::Nothing;
    const double rounded = std::floor(receiveFrequency + 0.5);
    for (int i = 0; i < kChannelSlots; ++i) {
        const double whole = std::trunc(channel(i).frequency());
        if (std::fabs(whole - rounded) > kBookmarkReachHz) continue;
        if (inUse(i)) {
            clearChannel(i);
            return BookmarkToggle::Cleared;
        }
        break;
    }
    return openChannel(mode_, rounded, now) ? BookmarkToggle::Opened : BookmarkToggle::Nothing;
}

}  // namespace tarnvel::display
