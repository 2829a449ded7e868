#include "display/MultichannelChannel.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "modem/ReceiveChain.h"

namespace tarnvel::display {

namespace {

constexpr Milliseconds kMsPerSecond = 1000;

double baudForMode(modem::Mode mode) {
    return modem::isFastPsk(mode) ? modem::kPsk63Baud : modem::kPsk31Baud;
}

}  // namespace

void CarrierBookkeeping::start(Milliseconds now) {
    reported_ = true;
    activeSince_ = now;
    inactiveSince_ = now;
}

int CarrierBookkeeping::secondsIn(bool askedActive, bool carrierNow, Milliseconds now) {
    bool state = carrierNow;
    // A change within two seconds of the previous one is held back.
    if (state != reported_ && now - (reported_ ? activeSince_ : inactiveSince_) <= kHoldMs)
        state = reported_;
    if (state != reported_) {
        (state ? activeSince_ : inactiveSince_) = now;
        reported_ = state;
    }
    if (askedActive != reported_) return 0;
    const Milliseconds since = now - (reported_ ? activeSince_ : inactiveSince_);
    // A clock that went back counts as no time at all.
    return static_cast<int>(std::clamp<Milliseconds>(since / kMsPerSecond, 0, INT_MAX));
}

void ChannelTextSink::putChar(int channelId, int ch) {
    // A full string drops its older half instead of growing; the window shows only the newest
    // part of a line anyway.
    for (std::string* s : {text, altText})
        if (s != nullptr && s->size() >= s->capacity()) s->erase(0, s->size() / 2);
    CharacterSink::putChar(channelId, ch);
}

MultichannelChannel::MultichannelChannel() {
    shown_.reserve(kTextReserve);
    working_.reserve(kTextReserve);
    sink_.text = &working_;
    sink_.altText = &shown_;
    receiver_.attachDecoder(&decoder_);
}

void MultichannelChannel::open(int slot, modem::Mode mode, double frequency, double sampleRate,
                               Milliseconds now) {
    receiver_ = modem::SensitivePskReceiver(sampleRate);
    receiver_.useReceiver(receiverKind_);
    receiver_.attachVaricodeDecoder(&decoder_);
    decoder_ = modem::VaricodeDecoder();
    decoder_.channelId = static_cast<int16_t>(slot);
    receiver_.attachDecoder(&decoder_);
    receiver_.setBaudRate(baudForMode(mode));
    receiver_.setCarrierFrequency(frequency);
    clearText();
    bookkeeping_.start(now);
    samplesSinceAfc_ = 0;
    // Text flows from the first symbol: the slot is in use and has not been quiet at all.
    setDisplayedCarrier(true);
    inUse = true;
}

void MultichannelChannel::process(const int16_t* samples, size_t count) {
    while (count > 0) {
        const size_t part = std::min<size_t>(count, INT_MAX);
        receiver_.processSamples(samples, static_cast<int>(part));
        samples += part;
        count -= part;
        samplesSinceAfc_ = static_cast<int>(
            std::min<size_t>(static_cast<size_t>(samplesSinceAfc_) + part, INT_MAX));
    }
    if (samplesSinceAfc_ >= kAfcIntervalSamples) {
        afcStep();
        samplesSinceAfc_ = 0;
    }
}

void MultichannelChannel::afcStep() {
    // The main receiver's AFC without its spectrum gate: the channel follows its own drift, or
    // the sensitive receiver's frequency loop.
    int32_t* const word = receiver_.afcErrorWord();
    int32_t& error = word != nullptr ? *word : decoder_.drift;
    const int32_t drift = error;
    const double moved =
        frequency() - modem::ReceiveChain::kAfcGain * drift / modem::ReceiveChain::kPskAfcScale;
    error = drift - static_cast<int32_t>(std::trunc(drift * modem::ReceiveChain::kAfcGain));
    if (std::isfinite(moved) && moved >= 0.0) receiver_.setCarrierFrequency(moved);
}

void MultichannelChannel::retune(double frequency) {
    receiver_.setCarrierFrequency(frequency);
}

void MultichannelChannel::setSampleRate(double rate) {
    receiver_.setSampleRate(rate);
    receiver_.resetState();
}

void MultichannelChannel::adoptModeBaud(modem::Mode mode) {
    const double baud = baudForMode(mode);
    if (baud == receiver_.currentBaudRate()) return;
    receiver_.setBaudRate(baud);
    receiver_.resetState();
}

void MultichannelChannel::clearText() {
    shown_.clear();
    working_.clear();
}

void MultichannelChannel::setDisplayedCarrier(bool on) {
    displayedCarrier_ = on;
    decoder_.sink = on ? &sink_ : nullptr;
}

bool MultichannelChannel::carrier(bool squelchOn, int squelchThreshold) const {
    return !(squelchOn &&
             decoder_.quality < modem::VaricodeDecoder::kBestQuality - squelchThreshold);
}

}  // namespace tarnvel::display
