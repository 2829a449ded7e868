#pragma once
// One channel of the multichannel decoder: a BPSK receiver on its own audio frequency with its
// own varicode decoder and text, the frequency tracking that keeps it on the signal, and the
// carrier bookkeeping that decides how long it has been quiet.
//
// A channel writes two strings through its character sink: the shown text (control characters
// as spaces, never two spaces in a row), which the window's line displays and "go to channel"
// copies, and the working text with every decoded byte, line ends included. Both are reserved
// once and kept within that size, so decoding never allocates.

#include <cstdint>
#include <string>

#include "modem/CharacterSink.h"
#include "modem/Mode.h"
#include "modem/PskReceiverKind.h"
#include "modem/SensitivePskReceiver.h"
#include "modem/VaricodeDecoder.h"

namespace tarnvel::display {

// Time on the station's clock, in milliseconds (wall clock live, audio time in a replay).
using Milliseconds = int64_t;

// Whether a channel shows a signal, with changes held back for two seconds so that a short
// fade does not flip it.
class CarrierBookkeeping {
  public:
    static constexpr Milliseconds kHoldMs = 2000;

    // A new channel counts as active from the moment it opens.
    void start(Milliseconds now);

    // Takes the receiver's carrier state now and returns the whole seconds the channel has been
    // active (or inactive), 0 when it is in the other state.
    int activeSeconds(bool carrierNow, Milliseconds now) {
        return secondsIn(true, carrierNow, now);
    }
    int inactiveSeconds(bool carrierNow, Milliseconds now) {
        return secondsIn(false, carrierNow, now);
    }
    bool reportedActive() const { return reported_; }

  private:
    int secondsIn(bool askedActive, bool carrierNow, Milliseconds now);

    bool reported_ = true;
    Milliseconds activeSince_ = 0;
    Milliseconds inactiveSince_ = 0;
};

// The channel's sink: the shown text and the working text, each kept within its reserve by
// dropping its older half when full.
class ChannelTextSink final : public modem::CharacterSink {
  public:
    void putChar(int channelId, int ch) override;
};

class MultichannelChannel {
  public:
    // Characters reserved in each of the two text strings.
    static constexpr size_t kTextReserve = 8192;
    // Samples between two AFC steps of a channel.
    static constexpr int kAfcIntervalSamples = 1024;

    MultichannelChannel();
    // The decoder and sink point into the channel, which therefore stays where it was built.
    MultichannelChannel(const MultichannelChannel&) = delete;
    MultichannelChannel& operator=(const MultichannelChannel&) = delete;

    // Replaces whatever the slot held by a fresh channel (new receiver and decoder, empty text)
    // tuned to frequency, at 62.5 baud for BPSK63 or 31.25 baud otherwise. Allocates nothing.
    void open(int slot, modem::Mode mode, double frequency, double sampleRate, Milliseconds now);
    // The receiver that the next open() starts (weak-signal receiver or the specified one).
    void usePskReceiver(modem::PskReceiverKind kind) { receiverKind_ = kind; }

    // Every slot in use passes each block to its receiver; every 1024 samples given the channel
    // takes one AFC step on its own drift.
    void process(const int16_t* samples, size_t count);

    void retune(double frequency);
    // Follows a new sound card rate: the receiver takes it and clears its state.
    void setSampleRate(double rate);
    // Switches a reused channel to the baud rate of a mode (clearing the receiver state).
    void adoptModeBaud(modem::Mode mode);
    // Empties both texts.
    void clearText();

    // Parameter 2 of the receiver: a displayed carrier state of 0 disconnects the decoder's
    // character output (characters are then dropped), anything else connects it to both texts.
    void setDisplayedCarrier(bool on);
    bool displayedCarrier() const { return displayedCarrier_; }

    // The receiver's carrier: off only while the squelch is on and the decoder's quality is
    // below 31 - threshold, the main squelch's rule.
    bool carrier(bool squelchOn, int squelchThreshold) const;
    CarrierBookkeeping& bookkeeping() { return bookkeeping_; }

    double frequency() const { return receiver_.carrierFrequency(); }
    double baudRate() const { return receiver_.currentBaudRate(); }
    const std::string& text() const { return shown_; }
    std::string& text() { return shown_; }
    const std::string& workingText() const { return working_; }
    std::string& workingText() { return working_; }

    bool inUse = false;

    modem::PskReceiver& receiver() { return receiver_; }
    modem::VaricodeDecoder& decoder() { return decoder_; }
    const modem::VaricodeDecoder& decoder() const { return decoder_; }

  private:
    void afcStep();

    modem::SensitivePskReceiver receiver_;
    modem::PskReceiverKind receiverKind_ = modem::kDefaultPskReceiver;
    modem::VaricodeDecoder decoder_;
    ChannelTextSink sink_;
    std::string shown_;
    std::string working_;
    CarrierBookkeeping bookkeeping_;
    int samplesSinceAfc_ = 0;
    bool displayedCarrier_ = false;
};

}  // namespace tarnvel::display
