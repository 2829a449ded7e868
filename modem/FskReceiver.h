#pragma once
// The common part of the FSK31 and FSK63 receivers: the PSK front end (oscillator, mixer, comb,
// decimation) with the receiver's own decimated step, the tone discriminator, and the phase
// scope that sees each symbol's frequency measure.

#include <cstdint>

#include "modem/FskToneTracker.h"
#include "modem/PskReceiver.h"
#include "modem/SymbolDecoder.h"

namespace tarnvel::modem {

// Holds the phase display the receiver reports to; null shows nothing.
class PhaseScopeForwarder {
  public:
    void attachScope(PhaseScopeSink* scope) { scope_ = scope; }
    PhaseScopeSink* attachedScope() const { return scope_; }

  protected:
    void forwardPhase(int16_t channelId, int32_t phaseDelta, int32_t levelCode) {
        if (scope_ != nullptr) scope_->showPhase(channelId, phaseDelta, levelCode);
    }

  private:
    PhaseScopeSink* scope_ = nullptr;
};

class FskReceiver : public PskReceiver, public PhaseScopeForwarder {
  public:
    int squelchQuality() const override { return tracker.quality; }
    // The midpoint between the tones is the frequency error: it sits at 0 when the receive
    // frequency is centred between them. The AFC shrinks it as it retunes; the next decimated
    // sample recomputes it from the tone levels.
    int32_t* afcErrorWord() override { return &tracker.midpoint; }
    void clearFrequencyError() override { tracker.midpoint = 0; }

    int32_t midpoint() const { return tracker.midpoint; }
    int32_t quality() const { return tracker.quality; }
    const FskToneTracker& toneTracker() const { return tracker; }
    void setChannelId(int16_t id) { channelId = id; }

  protected:
    // A front end at decimBase * baud / 31.25 decimated samples per second.
    FskReceiver(double sampleRate, int32_t decimBase, double baud);

    int16_t channelId = 0;
    FskToneTracker tracker;
};

}  // namespace tarnvel::modem
