#include "modem/ReceiveChain.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace tarnvel::modem {

ReceiveChain::ReceiveChain(double sampleRate, Mode savedMode)
    : sink_(&text_, nullptr),
      psk_(sampleRate),
      sensitive_(sampleRate),
      ownFsk31_(sampleRate),
      ownFsk63_(sampleRate),
      ownFsk63Sensitive_(sampleRate) {
    text_.reserve(CharacterSink::kReceiveBufferReserve);
    if (std::isfinite(sampleRate) && sampleRate > 0.0) sampleRate_ = sampleRate;
    varicode_.sink = &sink_;
    qpsk_.sink = &sink_;
    restoreMode(savedMode);
    psk_.attachDecoder(&switch_);
    psk_.setSampleRate(sampleRate_);
    psk_.setCarrierFrequency(receiveFrequency_);
    sensitive_.attachDecoder(&switch_);
    sensitive_.attachQpskDecoder(&qpsk_);
    sensitive_.attachVaricodeDecoder(&varicode_);
    sensitive_.setSampleRate(sampleRate_);
    sensitive_.setCarrierFrequency(receiveFrequency_);

    ownFsk63Decoder_.sink = &sink_;
    ownPactor_.attachOutput(&sink_);
    for (ModeReceiver* r :
         {static_cast<ModeReceiver*>(&ownFsk31_), static_cast<ModeReceiver*>(&ownFsk63_),
          static_cast<ModeReceiver*>(&ownFsk63Sensitive_), static_cast<ModeReceiver*>(&ownPactor_)}) {
        r->setSampleRate(sampleRate_);
        r->setCarrierFrequency(receiveFrequency_);
    }
    attachFsk31Receiver(&ownFsk31_);
    attachFsk63Receiver(&ownFsk63_, &ownFsk63Decoder_);
    attachPactorReceiver(&ownPactor_);
}

void ReceiveChain::processReceiveBlock(std::span<const int16_t> samples, int flags) {
    if ((flags & kDemodulate) == 0) return;
    // The receivers count samples in an int.
    constexpr std::size_t kMaxPiece = INT_MAX;
    for (std::size_t at = 0; at < samples.size(); at += kMaxPiece) {
        const std::size_t n = std::min(kMaxPiece, samples.size() - at);
        dispatch(samples.data() + at, static_cast<int>(n));
    }
}

void ReceiveChain::dispatch(const int16_t* samples, int count) {
    switch (groupOf(mode_)) {
        case Group::Psk:
            if (pskKind_ == PskReceiverKind::Sensitive)
                sensitive_.processSamples(samples, count);
            else
                psk_.processSamples(samples, count);
            break;
        case Group::Fsk31:
            if (fsk31_ != nullptr) fsk31_->processSamples(samples, count);
            break;
        case Group::Fsk63:
            if (fsk63_ != nullptr) fsk63_->processSamples(samples, count);
            break;
        case Group::Pactor:
            if (pactor_ != nullptr) pactor_->processSamples(samples, count);
            break;
        case Group::None:
            break;  // RTTY, MTTY and unknown values: nobody listens
    }
}

SymbolDecoder* ReceiveChain::decoderFor(Mode mode) {
    switch (modeInfo(mode).coding) {
        case ModeCoding::Varicode:
            return &varicode_;
        case ModeCoding::Qpsk:
            return &qpsk_;
        case ModeCoding::Fsk63:
            return fsk63Decoder_;
        default: return switch_.current;  // PACTOR decodes on its own; others keep it
    }
}

void ReceiveChain::restoreMode(Mode savedMode) {
    mode_ = savedMode;
    switch_.current = decoderFor(savedMode);
    sensitive_.setQpsk(usesQpskDecoder());
}

void ReceiveChain::usePskReceiver(PskReceiverKind kind) {
    if (kind == pskKind_) return;
    pskKind_ = kind;
    if (kind == PskReceiverKind::Sensitive) sensitive_.resetState();
    followChoiceInFsk63(kind);
}

// FSK63 has a weak-signal receiver too (tone correlators instead of the discriminator); the
// chain's own FSK63 receivers follow the same choice, a receiver attached from outside stays.
void ReceiveChain::followChoiceInFsk63(PskReceiverKind kind) {
    if (fsk63_ != &ownFsk63_ && fsk63_ != &ownFsk63Sensitive_) return;
    PskReceiver* chosen = &ownFsk63_;
    if (kind == PskReceiverKind::Sensitive) chosen = &ownFsk63Sensitive_;
    if (chosen == fsk63_) return;
    chosen->setSampleRate(sampleRate_);
    chosen->resetState();
    chosen->setCarrierFrequency(receiveFrequency_);
    attachFsk63Receiver(chosen, fsk63Decoder_);
}

bool ReceiveChain::selectMode(Mode mode) {
    if (!isModeCommand(mode)) return false;
    restoreMode(mode);
    const ModeInfo info = modeInfo(mode);
    if (info.receiver == Group::Psk) {
        psk_.setBaudRate(info.baud);
        sensitive_.setBaudRate(info.baud);
    }
    return true;
}

bool ReceiveChain::setReceiveFrequency(double hz, bool operatorRetune) {
    if (!std::isfinite(hz) || hz < 0.0) return false;
    receiveFrequency_ = static_cast<float>(hz);
    const double f = receiveFrequency_;
    psk_.setCarrierFrequency(f);
    sensitive_.setCarrierFrequency(f);
    if (fsk31_ != nullptr) fsk31_->setCarrierFrequency(f);
    if (!operatorRetune) return true;
    sensitive_.clearFrequencyError();
    if (fsk63_ != nullptr) fsk63_->setCarrierFrequency(f);
    if (pactor_ != nullptr) pactor_->setCarrierFrequency(f);
    // The tracked error belongs to the old signal.
    varicode_.drift = 0;
    qpsk_.drift = 0;
    if (fsk31_ != nullptr) fsk31_->clearFrequencyError();
    if (fsk63_ != nullptr) fsk63_->clearFrequencyError();
    return true;
}

bool ReceiveChain::setSampleRate(double rate) {
    if (!std::isfinite(rate) || rate <= 0.0) return false;
    sampleRate_ = rate;
    for (ModeReceiver* r :
         {static_cast<ModeReceiver*>(&psk_), static_cast<ModeReceiver*>(&sensitive_),
          static_cast<ModeReceiver*>(fsk31_), static_cast<ModeReceiver*>(fsk63_), pactor_}) {
        if (r == nullptr) continue;
        r->setSampleRate(rate);
        r->resetState();
    }
    return true;
}

void ReceiveChain::attachFsk31Receiver(PskReceiver* receiver) {
    fsk31_ = receiver;
    if (fsk31_ != nullptr) fsk31_->attachDecoder(&switch_);
}

void ReceiveChain::attachFsk63Receiver(PskReceiver* receiver, SymbolDecoder* fsk63Decoder) {
    fsk63_ = receiver;
    fsk63Decoder_ = fsk63Decoder;
    if (fsk63_ != nullptr) fsk63_->attachDecoder(&switch_);
    if (groupOf(mode_) == Group::Fsk63) switch_.current = decoderFor(mode_);
}

void ReceiveChain::attachPhaseScope(PhaseScopeSink* scope) {
    varicode_.scope = scope;
    qpsk_.scope = scope;
    ownFsk31_.attachScope(scope);
    ownFsk63_.attachScope(scope);
    ownFsk63Sensitive_.attachScope(scope);
}

int ReceiveChain::squelchQuality() const {
    switch (groupOf(mode_)) {
        case Group::Psk:
            return usesQpskDecoder() ? qpsk_.quality : varicode_.quality;
        case Group::Fsk31:
            return fsk31_ != nullptr ? fsk31_->squelchQuality() : ModeReceiver::kNoQuality;
        case Group::Fsk63:
            return fsk63_ != nullptr ? fsk63_->squelchQuality() : ModeReceiver::kNoQuality;
        default:
            return ModeReceiver::kNoQuality;
    }
}

void ReceiveChain::onTimerTick() {
    squelch_.tick(squelchQuality());
    int32_t zeroRun = 0;
    if (groupOf(mode_) == Group::Psk)
        zeroRun = usesQpskDecoder() ? qpsk_.zeroRun : varicode_.zeroRun;
    if (zeroRun > kIdleZeroRun)
        idleTicks_ = kIdleIndicatorTicks;
    else if (idleTicks_ > 0)
        --idleTicks_;
}

int ReceiveChain::afcBin() const {
    return static_cast<int>(std::trunc(receiveFrequency_ * 2048.0 / sampleRate_ + 0.5));
}

int32_t* ReceiveChain::afcErrorWord(double& scale) {
    scale = kPskAfcScale;
    switch (groupOf(mode_)) {
        case Group::Psk:
            if (pskKind_ == PskReceiverKind::Sensitive && sensitive_.afcErrorWord() != nullptr) {
                scale = sensitive_.afcScale();
                return sensitive_.afcErrorWord();
            }
            return usesQpskDecoder() ? &qpsk_.drift : &varicode_.drift;
        case Group::Fsk31:
            if (fsk31_ == nullptr) return nullptr;
            scale = fsk31_->afcScale();
            return fsk31_->afcErrorWord();
        case Group::Fsk63:
            if (fsk63_ == nullptr) return nullptr;
            scale = fsk63_->afcScale();
            return fsk63_->afcErrorWord();
        default:
            return nullptr;  // PACTOR, RTTY, MTTY: no tracked error
    }
}

AfcOutcome ReceiveChain::afcStep(int snr, double gain) {
    const double f = receiveFrequency_;
    double scale = 1.0;
    int32_t* word = afcErrorWord(scale);
    if (word == nullptr || !(scale != 0.0) || !std::isfinite(gain)) return {f, false};
    if (snr < kAfcMinSnr) *word = 0;  // nothing stands out at the receive frequency
    const int32_t err = *word;
    const double moved = f - gain * (err / scale);
    *word = err - static_cast<int32_t>(std::trunc(err * gain));
    if (!std::isfinite(moved) || moved < 0.0) return {f, false};

    receiveFrequency_ = static_cast<float>(moved);
    const double stored = receiveFrequency_;
    psk_.setCarrierFrequency(stored);
    sensitive_.setCarrierFrequency(stored);
    if (fsk31_ != nullptr) fsk31_->setCarrierFrequency(stored);
    // The FSK63 receiver follows the AFC that its own error word drives.
    if (groupOf(mode_) == Group::Fsk63 && fsk63_ != nullptr) fsk63_->setCarrierFrequency(stored);
    return {stored, stored != f};
}

}  // namespace tarnvel::modem
