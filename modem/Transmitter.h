#pragma once
// Everything the station owns for sending: the modulator, one encoder of each kind with their
// shared code table, the current encoder, and the sequencers of the sound card and block paths.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "modem/Fsk63Encoder.h"
#include "modem/Mode.h"
#include "modem/PskModulator.h"
#include "modem/SymbolEncoder.h"
#include "modem/TransmitHost.h"
#include "modem/TransmitLevel.h"
#include "modem/TransmitSequencer.h"
#include "modem/VaricodeEncoder.h"

namespace tarnvel::modem {

// Result of rendering one transmission in one piece.
struct RenderedTransmission {
    std::vector<int16_t> samples;
    bool complete = false;  // false when the sample limit cut it off
};

class Transmitter {
  public:
    // Samples per sound card output buffer and per rendered block.
    static constexpr size_t kBufferSamples = 1024;

    explicit Transmitter(TransmitHost& host);
    Transmitter(const Transmitter&) = delete;
    Transmitter& operator=(const Transmitter&) = delete;

    // Switches to a mode of the mode commands: symbol rate, tone shift and encoder. Returns
    // false, changing nothing, for any other mode. PACTOR is receive only: the sequencers then
    // produce nothing.
    bool setMode(Mode mode);
    Mode mode() const { return mode_; }

    void setInvertedQpsk(bool inverted) { qpsk_.setInverted(inverted); }
    bool invertedQpsk() const { return qpsk_.inverted(); }

    // The character set on the air, for telling control characters from text bytes.
    void setCharacterSet(CharacterSet set) {
        soundCard_.setCharacterSet(set);
        block_.setCharacterSet(set);
    }

    // Carrier frequency in Hz; false (nothing changed) unless finite and positive.
    bool setTransmitFrequency(double hz);
    double transmitFrequency() const { return modulator_.carrierFrequency(); }
    // Corrected transmit sample rate; restarts the symbol clock and carrier phase. False
    // (nothing changed) unless finite and positive.
    bool setSampleRate(double rate);
    double sampleRate() const { return modulator_.sampleRate(); }

    // Sound card path: the next buffer handed to fillOutputBuffer starts a transmission.
    void startTransmission() { soundCard_.startTransmission(); }
    // The station left transmit before the end was played (receive command, end of Tune).
    void stopTransmission() { soundCard_.stopTransmission(); }
    // See TransmitSequencer::fillOutputBuffer: true = queue the buffer for playing.
    bool fillOutputBuffer(OutputBufferId buffer, int16_t* samples, size_t count) {
        const bool filled = soundCard_.fillOutputBuffer(buffer, samples, count);
        if (filled) level_.apply(samples, count);
        return filled;
    }
    // Block path (external sound device): 1 while the transmission goes on, 0 once over.
    int fillBlock(int16_t* samples, size_t count, int first) {
        const int goesOn = block_.fillBlock(samples, count, first);
        level_.apply(samples, count);
        return goesOn;
    }
    // The transmit level (attenuation in dB) of both paths.
    void setAttenuationDb(double db) { level_.setAttenuationDb(db); }
    double attenuationDb() const { return level_.attenuationDb(); }

    // Renders one whole transmission through the block path, block by block, until the
    // sequencer reports its end or maxSamples have been produced. The host's text should end
    // with the end character (174), else the transmission idles until the limit.
    RenderedTransmission renderTransmission(size_t maxSamples);

    PskModulator& modulator() { return modulator_; }
    const PskModulator& modulator() const { return modulator_; }
    SymbolEncoder& currentEncoder() { return *encoder_; }
    TransmitSequencer& soundCardSequencer() { return soundCard_; }
    TransmitSequencer& blockSequencer() { return block_; }

  private:
    static constexpr double kRate31 = 31.25;
    static constexpr double kShift31 = 15.625;
    static constexpr double kRate63 = 62.5;
    static constexpr double kShift63 = 31.25;

    SymbolEncoder* encoderFor(ModeCoding coding);

    PskModulator modulator_;
    TxCodeTable codes_;
    VaricodeEncoder varicode_{codes_};
    QpskEncoder qpsk_{codes_};
    Fsk63Encoder fsk63_{codes_};
    SymbolEncoder* encoder_ = &varicode_;
    Mode mode_ = Mode::Bpsk31;
    TransmitSequencer soundCard_;
    TransmitSequencer block_;
    TransmitLevel level_;
};

}  // namespace tarnvel::modem
