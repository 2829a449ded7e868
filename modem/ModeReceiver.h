#pragma once
// What the receive chain needs of the receiver of a mode group: it gets the sample blocks while
// its mode is on, follows the receive frequency and the sample rate, and may offer a squelch
// quality and a frequency-error word for the AFC.

#include <cstdint>

namespace tarnvel::modem {

class ModeReceiver {
  public:
    // The squelch quality of a receiver that measures none: keeps the squelch open.
    static constexpr int kNoQuality = 32;

    virtual ~ModeReceiver() = default;

    virtual void processSamples(const int16_t* samples, int count) = 0;
    virtual void setCarrierFrequency(double hz) = 0;
    virtual void setSampleRate(double rate) = 0;
    virtual void resetState() = 0;

    // Signal quality 0..31 (31 = clean) for the squelch.
    virtual int squelchQuality() const { return kNoQuality; }
    // The word the AFC reads as frequency error and shrinks as it retunes; null when the
    // receiver tracks none. afcScale() converts it to Hertz (error / scale).
    virtual int32_t* afcErrorWord() { return nullptr; }
    virtual double afcScale() const { return 1.0; }
    // An operator retune makes the tracked frequency error meaningless.
    virtual void clearFrequencyError() {}
};

}  // namespace tarnvel::modem
