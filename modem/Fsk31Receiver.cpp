#include "modem/Fsk31Receiver.h"

namespace tarnvel::modem {

Fsk31Receiver::Fsk31Receiver(double rate) : FskReceiver(rate, kDecimBaseRate, kPsk31Baud) {
    firTaps = kFsk31FirTaps.data();
    firInputDivisor = kFirInputDivisor;
}

void Fsk31Receiver::onDecimatedSample() {
    int32_t i = 0;
    int32_t q = 0;
    filterDecimated(i, q);
    const int32_t levelCode = FskToneTracker::levelCode(i, q);
    tracker.measure(i, q);
    const int32_t tone = tracker.freqMeasure > tracker.midpoint ? 1 : 0;
    if (tracker.advanceClock(symbolStep)) {
        if (decoder != nullptr) decoder->onBit(tracker.prevSymbolTone == tone ? 1 : 0);
        forwardPhase(channelId, tracker.freqMeasure, levelCode);
        tracker.endSymbol(tone);
    }
    if (tone != tracker.lastTone) {
        // Symbols are sampled midway between tone changes: a change pulls the clock halfway
        // toward 0.
        tracker.lastTone = tone;
        tracker.symbolClock -= tracker.symbolClock >> 1;
    }
}

}  // namespace tarnvel::modem
