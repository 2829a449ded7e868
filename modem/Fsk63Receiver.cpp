#include "modem/Fsk63Receiver.h"

#include "modem/WrapArithmetic.h"

namespace tarnvel::modem {

Fsk63Receiver::Fsk63Receiver(double rate) : FskReceiver(rate, kDecimBaseRate, kPsk63Baud) {
    const double cutoff = kFilterCutoffHz / kDecimBaseRate;
    lowPassI_.design(kFilterHalfLength, FirType::LowPass, cutoff);
    lowPassQ_.design(kFilterHalfLength, FirType::LowPass, cutoff);
}

void Fsk63Receiver::onDecimatedSample() {
    const int32_t i = lowPassI_.step(stage2I / kFilterInputDivisor);
    const int32_t q = lowPassQ_.step(stage2Q / kFilterInputDivisor);
    const int32_t levelCode = FskToneTracker::levelCode(i, q);
    tracker.measure(i, q);
    const int32_t tone = tracker.freqMeasure < tracker.midpoint ? 1 : 0;
    if (tracker.advanceClock(symbolStep)) {
        if (decoder != nullptr)
            decoder->onSymbol(0, 0, wrapSub(tracker.freqMeasure, tracker.midpoint));
        forwardPhase(channelId, tracker.freqMeasure, levelCode);
        tracker.endSymbol(tone);
    }
    if (tone != tracker.lastTone) {
        // A tone change moves the clock an eighth of the way toward 0.
        tracker.lastTone = tone;
        tracker.symbolClock -= tracker.symbolClock / 8;
    }
}

}  // namespace tarnvel::modem
