#pragma once
// Everything the station holds for receiving: the PSK front end, the decoder switch, the
// varicode and QPSK decoders, the character sink with the receive text buffer, the operating
// mode and the receive frequency, and the rules applied to them: the mode dispatch of each
// received block, the mode commands, retuning, the squelch, the idle indicator and the AFC.
//
// The chain holds its own FSK31 and FSK63 receivers, FSK63 block decoder and PACTOR monitor
// and attaches them at construction; other receivers may be attached in their place (not
// owned), and a mode whose receiver is detached consumes its samples silently.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "modem/CharacterSink.h"
#include "modem/DecoderSwitch.h"
#include "modem/Fsk31Receiver.h"
#include "modem/Fsk63Decoder.h"
#include "modem/Fsk63Receiver.h"
#include "modem/Fsk63SensitiveReceiver.h"
#include "modem/Mode.h"
#include "modem/ModeReceiver.h"
#include "modem/PactorReceiver.h"
#include "modem/PskReceiver.h"
#include "modem/PskReceiverKind.h"
#include "modem/QpskDecoder.h"
#include "modem/SensitivePskReceiver.h"
#include "modem/Squelch.h"
#include "modem/VaricodeDecoder.h"

namespace tarnvel::modem {

// Result of one AFC step: the receive frequency afterwards, and whether it changed (the
// station then moves the transmit frequency and the display with it).
struct AfcOutcome {
    double frequency;
    bool moved;
};

class ReceiveChain {
  public:
    // Bit 0 of the flags of processReceiveBlock: demodulate this block.
    static constexpr int kDemodulate = 1;
    // Signal-to-noise figure at the receive frequency below which the AFC holds still.
    static constexpr int kAfcMinSnr = 10;
    static constexpr double kAfcGain = 0.3;
    // Error word units per Hertz of the PSK decoders' drift.
    static constexpr double kPskAfcScale = 84934656.0;
    // Consecutive 0 bits (reversals) that mean an idle signal, and how long the indicator
    // stays lit (ticks).
    static constexpr int kIdleZeroRun = 20;
    static constexpr int kIdleIndicatorTicks = 3;

    // savedMode may be any persisted value; it picks the decoder as at start-up (the station
    // re-issues the mode command on its first tick to set the baud rate).
    explicit ReceiveChain(double sampleRate = kNominalSampleRate, Mode savedMode = Mode::Bpsk31);
    ReceiveChain(const ReceiveChain&) = delete;
    ReceiveChain& operator=(const ReceiveChain&) = delete;

    // One block of received audio. Nothing happens unless flags has kDemodulate.
    void processReceiveBlock(std::span<const int16_t> samples, int flags);

    // A mode command (BPSK31, QPSK31, FSK31, FSK63, PACTOR, BPSK63). Sets the PSK baud rate
    // and the decoder; other modes are refused (false). Does not reset anything.
    bool selectMode(Mode mode);
    // Restores a persisted mode value (any value; unknown ones get no receiver) and picks its
    // decoder, without touching the baud rate.
    void restoreMode(Mode savedMode);
    Mode mode() const { return mode_; }
    std::string_view modeText() const { return modeStatusText(mode_, invertedQpsk()); }
    void setInvertedQpsk(bool inverted) { qpsk_.inverted = inverted ? 1 : 0; }
    bool invertedQpsk() const { return qpsk_.inverted != 0; }

    // Retunes every receiver that follows the receive frequency. An operator retune also
    // retunes the FSK63 and PACTOR receivers and forgets the tracked frequency errors (the
    // drift of both PSK decoders, the FSK midpoints). Refuses (false) a frequency that is not
    // finite or is negative. The frequency is kept in single precision, as the AFC stores it.
    bool setReceiveFrequency(double hz, bool operatorRetune);
    double receiveFrequency() const { return receiveFrequency_; }

    // A new sound card rate: every receiver takes it and clears its state. Refuses (false) a
    // rate that is not finite and positive.
    bool setSampleRate(double rate);
    double sampleRate() const { return sampleRate_; }

    // Replace the receivers of the other mode groups (not owned; null detaches). The FSK
    // receivers get the decoder switch as their decoder.
    void attachFsk31Receiver(PskReceiver* receiver);
    void attachFsk63Receiver(PskReceiver* receiver, SymbolDecoder* fsk63Decoder);
    void attachPactorReceiver(ModeReceiver* receiver) { pactor_ = receiver; }
    void attachPhaseScope(PhaseScopeSink* scope);

    // The 300 ms timer: squelch and idle indicator (the AFC is a separate step).
    void onTimerTick();
    // Quality of the active decoder for the squelch; 32 in modes that measure none.
    int squelchQuality() const;
    Squelch& squelch() { return squelch_; }
    const Squelch& squelch() const { return squelch_; }
    bool idleIndicatorOn() const { return idleTicks_ > 0; }
    // Whether text should be shown now: squelch open, squelch off, or transmitting.
    bool textPasses(bool transmitting) const { return squelch_.passesText(transmitting); }

    // The spectrum bin (of 2048 per sample rate) at the receive frequency, where the caller
    // reads the signal-to-noise figure for afcStep.
    int afcBin() const;
    // One AFC step with the signal-to-noise figure at afcBin(). The station runs it on each
    // timer tick while the AFC option is on and it is receiving, and after each chunk of a
    // replayed history (with gain 0 for the ticks inside the replay). Never moves in PACTOR or
    // in modes without a tracked error; below kAfcMinSnr it clears the error and holds still.
    // Retunes the PSK and FSK31 receivers (and the FSK63 receiver in its own modes).
    AfcOutcome afcStep(int snr, double gain = kAfcGain);

    // Decoded characters not yet shown. The station reads them, shows them and clears them;
    // its own echoes and markers go in with appendPendingText.
    const std::string& pendingText() const { return text_; }
    void appendPendingText(std::string_view text) { text_.append(text); }
    void clearPendingText() { text_.clear(); }

    PskReceiver& pskReceiver() { return psk_; }
    const PskReceiver& pskReceiver() const { return psk_; }
    // Weak-signal receiver: both PSK receivers follow the frequency, rate and mode; the chosen
    // one gets the samples, and with the sensitive one the AFC reads its frequency loop. The
    // choice also swaps the chain's own FSK63 receiver for its tone-correlator twin.
    void usePskReceiver(PskReceiverKind kind);
    PskReceiverKind pskReceiverKind() const { return pskKind_; }
    SensitivePskReceiver& sensitivePskReceiver() { return sensitive_; }
    const VaricodeDecoder& varicodeDecoder() const { return varicode_; }
    const QpskDecoder& qpskDecoder() const { return qpsk_; }
    DecoderSwitch& decoderSwitch() { return switch_; }
    VaricodeDecoder& varicodeDecoder() { return varicode_; }
    QpskDecoder& qpskDecoder() { return qpsk_; }
    CharacterSink& characterSink() { return sink_; }
    // The chain's own receivers of the FSK and PACTOR modes.
    Fsk31Receiver& fsk31Receiver() { return ownFsk31_; }
    Fsk63Receiver& fsk63Receiver() { return ownFsk63_; }
    Fsk63Decoder& fsk63Decoder() { return ownFsk63Decoder_; }
    PactorReceiver& pactorReceiver() { return ownPactor_; }

  private:
    using Group = ModeReceiverKind;
    static Group groupOf(Mode mode) { return modeInfo(mode).receiver; }
    SymbolDecoder* decoderFor(Mode mode);
    // Hands samples to the receiver of the current mode.
    void dispatch(const int16_t* samples, int count);
    bool usesQpskDecoder() const { return modeInfo(mode_).coding == ModeCoding::Qpsk; }
    // The error word the AFC reads in the current mode, with its scale; null when none.
    int32_t* afcErrorWord(double& scale);
    void followChoiceInFsk63(PskReceiverKind kind);

    std::string text_;
    CharacterSink sink_;
    DecoderSwitch switch_;
    VaricodeDecoder varicode_;
    QpskDecoder qpsk_;
    PskReceiver psk_;
    SensitivePskReceiver sensitive_;
    PskReceiverKind pskKind_ = PskReceiverKind::Specified;
    Fsk31Receiver ownFsk31_;
    Fsk63Receiver ownFsk63_;
    Fsk63SensitiveReceiver ownFsk63Sensitive_;
    Fsk63Decoder ownFsk63Decoder_;
    PactorReceiver ownPactor_;
    PskReceiver* fsk31_ = nullptr;
    PskReceiver* fsk63_ = nullptr;
    SymbolDecoder* fsk63Decoder_ = nullptr;
    ModeReceiver* pactor_ = nullptr;
    Squelch squelch_;
    Mode mode_ = Mode::Bpsk31;
    float receiveFrequency_ = static_cast<float>(kDefaultCarrierHz);
    double sampleRate_ = kNominalSampleRate;
    int idleTicks_ = 0;
};

}  // namespace tarnvel::modem
