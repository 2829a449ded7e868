#pragma once
// Decides once per symbol period what the modulator sends: the preamble of steady carrier and
// idle symbols, the text, the tail and postamble, the Morse identification, the Tune carrier,
// and the moment the transmission is over.

#include <cstddef>
#include <cstdint>
#include <string>

#include "modem/Mode.h"
#include "modem/PskModulator.h"
#include "modem/SymbolEncoder.h"
#include "modem/TransmitControlRule.h"
#include "modem/TransmitHost.h"

namespace tarnvel::modem {

// Output buffers of the sound card are named by ids >= 0.
using OutputBufferId = int;

class TransmitSequencer {
  public:
    // Position in the transmission, one step per symbol period (while the encoder is idle).
    static constexpr uint32_t kStateStart = 0;
    static constexpr uint32_t kStateIdleFirst = 5;           // 4 symbols of carrier before it
    static constexpr uint32_t kStateTextFirst = 41;          // 36 idle symbols before it
    static constexpr uint32_t kStateTail = 0xFF000000;       // 10 encoder symbols empty the encoder
    static constexpr uint32_t kStatePostamble = 0xFF00000A;  // 36 symbols of carrier
    static constexpr uint32_t kStateMorseFrom = 0xFF00001C;  // postamble cut short for Morse
    static constexpr uint32_t kStateCarrierOff = 0xFF00002E;
    static constexpr uint32_t kStateEndNow = 0xFFF00000;  // silence, then the end
    static constexpr uint32_t kTuneState = 2;

    TransmitSequencer(PskModulator& modulator, TransmitHost& host);

    // The current mode (operating mode value) and the encoder that sends it.
    void setMode(Mode mode, SymbolEncoder* encoder);
    Mode mode() const { return mode_; }

    // The character set on the air decides which 174, 169 and 176 bytes are controls.
    void setCharacterSet(CharacterSet set) { controls_.setCharacterSet(set); }
    CharacterSet characterSet() const { return controls_.characterSet(); }

    // The next sound card buffer starts a transmission.
    void startTransmission() { endBuffer_ = kStartMarker; }
    // The station left transmit on its own (receive command, end of Tune): buffers still handed
    // back are neither refilled nor requeued, and the next transmission starts from silence.
    void stopTransmission();

    // Sound card path: refills one played buffer. Returns true when the buffer was filled and
    // must be queued for playing again, false when it must not be (the end buffer came back,
    // the mode does not transmit, the buffer has no data, or the transmission was stopped).
    bool fillOutputBuffer(OutputBufferId buffer, int16_t* samples, size_t count);

    // Block path: fills count samples; first != 0 starts a new transmission. Returns 1 while the
    // transmission goes on and 0 once it is over.
    int fillBlock(int16_t* samples, size_t count, int first);

    uint32_t state() const { return state_; }
    bool hasEndBuffer() const { return endBuffer_ >= 0; }
    OutputBufferId endBuffer() const { return endBuffer_; }

  private:
    static constexpr OutputBufferId kNoBuffer = -1;
    static constexpr OutputBufferId kStartMarker = -2;
    static constexpr OutputBufferId kStopped = -3;

    static bool transmitsIn(Mode mode) { return modeInfo(mode).transmits; }
    // FSK is sent by turning the phase a quarter turn per symbol.
    static bool stepsFskPhase(Mode mode) {
        const ModeReceiverKind r = modeInfo(mode).receiver;
        return r == ModeReceiverKind::Fsk31 || r == ModeReceiverKind::Fsk63;
    }

    void restart();
    void applyPendingClear();
    // One output sample; ended becomes true when the transmission is over.
    int16_t nextSample(bool& ended);
    void takeFirstCharacter();
    void chooseSymbol(bool& ended);
    void characterStep();
    void morseStep();
    uint8_t translateControl(uint8_t ch);
    bool morseUnderWay() const {
        return morsePattern_ != 0 || !cwText_.empty() || elementCount_ != 0;
    }
    void echo(char ch);

    PskModulator& modulator_;
    TransmitHost& host_;
    SymbolEncoder* encoder_ = nullptr;
    Mode mode_ = Mode::Bpsk31;

    uint32_t state_ = kStateStart;
    int symbolDue_ = 0;
    int encoderReady_ = 0;
    int charPending_ = 0;
    int stopRequested_ = 0;
    int clearRequested_ = 0;
    int nextSym_ = kSymbolSilence;
    uint8_t ch_ = 0;
    bool chIsControl_ = false;  // ch_ is a control character, not a text byte of that value
    bool lastWasCwId_ = false;  // the character handled before was the identification control
    TransmitControlRule controls_;
    std::string cwText_;
    uint32_t morsePattern_ = 0;
    int32_t elementCount_ = 0;
    int fskPhase_ = 0;
    OutputBufferId endBuffer_ = kNoBuffer;
};

}  // namespace tarnvel::modem
