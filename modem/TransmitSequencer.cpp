#include "modem/TransmitSequencer.h"

#include "modem/MorseTable.h"

namespace tarnvel::modem {
namespace {

// Morse keying: one unit lasts this many symbol periods with the fast identification, one
// without; a dot is one unit on, a dash three, and each element is followed by one unit off.
constexpr int32_t kFastUnitSymbols = 2;
constexpr int32_t kSlowUnitSymbols = 1;
constexpr int32_t kDotUnits = 2;          // on + gap
constexpr int32_t kDashUnits = 4;         // on + gap
constexpr int32_t kCharGapUnits = 2;      // added after the last element
constexpr const char* kCwIdLead = "T  ";  // one dash, then a pause before the text
constexpr const char* kCwIdAnnouncement = "CWID: ";

}  // namespace

TransmitSequencer::TransmitSequencer(PskModulator& modulator, TransmitHost& host)
    : modulator_(modulator), host_(host) {
    // Nothing is sent before the first transmission starts.
    endBuffer_ = kStopped;
}

void TransmitSequencer::setMode(Mode mode, SymbolEncoder* encoder) {
    mode_ = mode;
    encoder_ = encoder;
}

void TransmitSequencer::stopTransmission() {
    endBuffer_ = kStopped;
    // The next transmission rises from silence even when this one was cut off mid-carrier.
    modulator_.pushSymbol(kSymbolSilence);
    modulator_.pushSymbol(kSymbolSilence);
}

void TransmitSequencer::restart() {
    state_ = kStateStart;
    stopRequested_ = 0;
    symbolDue_ = 1;
    encoderReady_ = 1;
    cwText_.clear();
    morsePattern_ = 0;
    // An identification cut off by the operator must not hang over the next transmission.
    elementCount_ = 0;
    controls_.reset();
}

void TransmitSequencer::applyPendingClear() {
    if (!clearRequested_) return;
    host_.clearTransmitWindow();
    clearRequested_ = 0;
}

bool TransmitSequencer::fillOutputBuffer(OutputBufferId buffer, int16_t* samples, size_t count) {
    applyPendingClear();
    if (buffer < 0) return false;
    if (buffer == endBuffer_) {
        host_.transmissionOver();
        state_ = kStateStart;
        endBuffer_ = kStopped;
        return false;
    }
    if (endBuffer_ == kStopped) return false;
    if (endBuffer_ == kStartMarker) {
        endBuffer_ = kNoBuffer;
        restart();
    }
    if (samples == nullptr || count == 0 || !transmitsIn(mode_) || encoder_ == nullptr)
        return false;
    for (size_t i = 0; i < count; ++i) {
        bool ended = false;
        samples[i] = nextSample(ended);
        if (ended && endBuffer_ == kNoBuffer) endBuffer_ = buffer;
    }
    return true;
}

int TransmitSequencer::fillBlock(int16_t* samples, size_t count, int first) {
    applyPendingClear();
    if (first) restart();
    if (samples == nullptr || count == 0 || !transmitsIn(mode_) || encoder_ == nullptr) return 1;
    int goesOn = 1;
    for (size_t i = 0; i < count; ++i) {
        bool ended = false;
        samples[i] = nextSample(ended);
        if (ended) goesOn = 0;
    }
    return goesOn;
}

int16_t TransmitSequencer::nextSample(bool& ended) {
    if (state_ == kStateStart && cwText_.empty()) takeFirstCharacter();
    if (symbolDue_) chooseSymbol(ended);
    return modulator_.nextSample(symbolDue_);
}

uint8_t TransmitSequencer::translateControl(uint8_t ch) {
    if (ch == kCharRxAndClear) {
        clearRequested_ = 1;
        ch = kCharRx;
    }
    if (ch == kCharCwId && host_.useCwId() == 0) ch = 0;
    return ch;
}

void TransmitSequencer::takeFirstCharacter() {
    charPending_ = 0;
    uint8_t ch = 0;
    if (!stopRequested_ && !host_.nextTransmitCharacter(ch)) return;
    bool control = false;
    if (stopRequested_) {
        ch = 0;
    } else {
        control = controls_.isControl(ch);
    }
    if (control) ch = translateControl(ch);
    if (control && ch == kCharRx) {
        state_ = kStateEndNow;
        nextSym_ = kSymbolSilence;
        stopRequested_ = 1;
    } else {
        charPending_ = 1;
    }
    ch_ = ch;
    chIsControl_ = control;
    // Choose a symbol with this very sample.
    symbolDue_ = 1;
    encoderReady_ = 1;
}

void TransmitSequencer::chooseSymbol(bool& ended) {
    if (host_.isTuning() && state_ > kTuneState) state_ = kTuneState;
    if (encoderReady_) {
        if (state_ >= kStateMorseFrom && morseUnderWay()) {
            morseStep();
        } else {
            // Held at the last value rather than wrapping back into a new preamble.
            if (state_ != UINT32_MAX) state_ += 1;
            if (state_ < kStateIdleFirst) {
                nextSym_ = kSymbolPhase0;
            } else if (state_ < kStateTextFirst) {
                // the encoder's idle symbols
            } else if (state_ < kStateTail) {
                characterStep();
            } else if (state_ < kStatePostamble) {
                // the encoder empties
            } else if (state_ < kStateCarrierOff) {
                nextSym_ = kSymbolPhase0;
            } else if (state_ == kStateCarrierOff) {
                nextSym_ = kSymbolSilence;
            } else {
                nextSym_ = kSymbolSilence;
                ended = true;
            }
        }
    }
    // The encoder sends the last bits of the text and its idle bits even when an
    // identification is waiting: the Morse keying begins only inside the postamble, and
    // skipping the encoder here would cut off the last character before it.
    if (state_ >= kStateIdleFirst && state_ < kStatePostamble) {
        nextSym_ = encoder_->nextSymbol(encoderReady_);
        if (stepsFskPhase(mode_)) {
            // A quarter turn per symbol either way: a tone a quarter of the symbol rate above
            // or below the carrier.
            fskPhase_ = nextSym_ != 0 ? (fskPhase_ + 1) & 3 : (fskPhase_ + 3) & 3;
            nextSym_ = fskPhase_;
        }
    }
    modulator_.pushSymbol(nextSym_);
}

void TransmitSequencer::characterStep() {
    uint8_t ch = ch_;
    bool control = chIsControl_;
    if (!charPending_ && !stopRequested_) {
        if (!host_.nextTransmitCharacter(ch)) return;
        control = controls_.isControl(ch);
    }
    if (stopRequested_) {
        ch = 0;
        control = false;
    }
    charPending_ = 0;
    if (control) ch = translateControl(ch);
    const bool cwId = control && ch == kCharCwId;
    if (cwId) {
        const std::string id = host_.cwIdText();
        cwText_ = kCwIdLead + id + " ";
        state_ = kStateTail;
        encoderReady_ = 1;
        elementCount_ = 0;
        if (!host_.isImdMeasuring()) host_.announce(kCwIdAnnouncement + id);
    } else if (control && ch == kCharRx) {
        stopRequested_ = 1;
        if (lastWasCwId_) {
            state_ = kStateEndNow;
            nextSym_ = kSymbolSilence;
        } else {
            state_ = kStateTail;
        }
        encoderReady_ = 1;
    } else {
        encoderReady_ = 0;
        encoder_->putChar(ch);
        echo(static_cast<char>(ch));
    }
    lastWasCwId_ = cwId;
    ch_ = ch;
    chIsControl_ = control;
}

void TransmitSequencer::morseStep() {
    const int32_t unit = host_.fastCwId() != 0 ? kFastUnitSymbols : kSlowUnitSymbols;
    if (elementCount_ == 0) {
        if (morsePattern_ == 0 && !cwText_.empty()) {
            morsePattern_ = MorseTable[static_cast<uint8_t>(cwText_.front())];
            cwText_.erase(0, 1);
            if (cwText_.empty()) {
                // Text typed during the identification is not sent after it.
                uint8_t discarded = 0;
                while (host_.nextTransmitCharacter(discarded)) {
                }
                controls_.reset();
            }
        }
        if (morsePattern_ == 1) {
            nextSym_ = kSymbolSilence;
            elementCount_ = kCharGapUnits * unit;
        } else if (morsePattern_ > 1) {
            elementCount_ = ((morsePattern_ & 1u) ? kDashUnits : kDotUnits) * unit;
            nextSym_ = kSymbolPhase0;
        }
        morsePattern_ >>= 1;
    }
    encoderReady_ = 1;
    elementCount_ -= 1;
    // The last unit of every element is the gap after it.
    if (elementCount_ <= unit - 1) nextSym_ = kSymbolSilence;
    state_ = kStateCarrierOff;
}

void TransmitSequencer::echo(char ch) {
    if (!host_.isImdMeasuring()) host_.echo(ch);
}

}  // namespace tarnvel::modem
