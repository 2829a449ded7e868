#pragma once
// A PSK receiver for weak signals, behind the same front end (NCO, mixer, comb and decimation
// to 16 samples per symbol) and the same decoders as PskReceiver, which stays as it is.
//
// After the decimation it differs in four stages, each of which can be switched back to the
// plain receiver's way for comparison:
// - filter: shaped to the transmitted pulse (a raised cosine two symbols long) for the least
//   noise with no interference between symbols, instead of the plain low-pass;
// - timing: the symbol instant from the averaged symbol-rate tone of the signal's power
//   instead of a pull toward each detected transition, which noise makes jitter;
// - frequency: a narrow loop on the symbols that turns the decimated signal back before the
//   filter, so a residual error neither rotates the signal within the filter nor reaches the
//   decoder; the AFC reads the loop's correction as its error word;
// - decisions: QPSK bits from a soft-decision Viterbi decoder (SoftQpskViterbi), BPSK bits
//   from each symbol against a carrier reference averaged over a few symbols, instead of the
//   decoders' hard differential decisions; the BPSK sign is taken from the pulse's matched
//   filter (less noise again) through a search that removes what it mixes in of the
//   neighbours (BpskSequenceDecider), one symbol late.
// The idle run and the phase scope come from the decoders as before: the receiver hands them
// each symbol's bits and phase change. Quality (the squelch) comes from the decoders' phase
// scatter too, except with soft QPSK, whose decoder measures it against its own decisions.
// Floating point runs only at the decimated rate; nothing is allocated after construction.

#include <array>
#include <complex>
#include <cstdint>

#include "modem/BpskSequenceDecider.h"
#include "modem/PskFrequencyLoop.h"
#include "modem/PskReceiver.h"
#include "modem/PskReceiverKind.h"
#include "modem/QpskDecoder.h"
#include "modem/SoftQpskViterbi.h"
#include "modem/SquareLawTiming.h"

namespace tarnvel::modem {

struct SensitivePskStages {
    bool pulseFilter = true;
    bool energyTiming = true;
    bool frequencyLoop = true;
    bool softQpsk = true;      // QPSK bits from soft decisions (else the QPSK decoder's own)
    bool coherentBpsk = true;  // BPSK bits against an averaged reference (else the decoder's)
};

class SensitivePskReceiver : public PskReceiver {
  public:
    explicit SensitivePskReceiver(double sampleRate = kNominalSampleRate);

    // Specified: every sample goes through PskReceiver's own path, bit for bit, and there is no
    // AFC word (the decoder's drift serves); Sensitive (the default): the stages below.
    void useReceiver(PskReceiverKind kind) { kind_ = kind; }
    PskReceiverKind receiverKind() const { return kind_; }
    void setStages(const SensitivePskStages& stages);
    const SensitivePskStages& stages() const { return stages_; }
    // The frequency loop removes BPSK's two or QPSK's four phases.
    void setQpsk(bool qpsk);
    // The decoders whose quality, scope, inversion and character assembly the receiver's own
    // bit decisions use (not owned; null: the decoder gets the symbols as from PskReceiver).
    void attachQpskDecoder(QpskDecoder* qpsk) { qpskDecoder_ = qpsk; }
    void attachVaricodeDecoder(VaricodeDecoder* bpsk) { bpskDecoder_ = bpsk; }

    void setCarrierFrequency(double hz) override;
    void setSampleRate(double rate) override;
    void resetState() override;
    void processSamples(const int16_t* samples, int count) override;

    // The frequency loop's correction, as the AFC's error word (null with the loop off).
    int32_t* afcErrorWord() override;
    double afcScale() const override { return kAfcScale; }
    void clearFrequencyError() override;
    // The signal's offset from the mixer frequency that the loop has measured, in Hertz.
    double measuredOffsetHz() const;

    // Error word units per Hertz, those of the plain decoders' drift.
    static constexpr double kAfcScale = 84934656.0;

  private:
    static constexpr int kRingSize = kFirTapCount;
    static constexpr int kSamplesPerSymbolInt = SquareLawTiming::kSamplesPerSymbol;

    void makeMatchedFilter();
    void decimatedStep();
    std::complex<float> filtered(const float* weights) const;
    // The matched filter's output `back` samples (0..1) before the newest sample.
    std::complex<float> matchedAt(float back) const;
    void takeSymbol(std::complex<float> symbol);
    void decodeQpskSoftly(std::complex<float> change, int32_t i, int32_t q);
    void decodeBpskCoherently(std::complex<float> symbol, int32_t i, int32_t q);
    // The sign of the symbol BpskSequenceDecider::kDecisionDepth symbols back.
    float sequenceSign(std::complex<float> symbol, float sign);
    // The phase change and level as the decoders show them on the phase scope.
    void showOnScope(const VaricodeDecoder& d, std::complex<float> change, int32_t i, int32_t q,
                     int32_t floor) const;
    // The plain receiver's transition timing on the filtered sample; true with a symbol.
    bool transitionTiming(std::complex<float> sample, std::complex<float>& symbol);
    double decimatedRate() const;
    void updateAfcWord();

    PskReceiverKind kind_ = PskReceiverKind::Sensitive;
    SensitivePskStages stages_;
    std::array<float, kFirTapCount> plainTaps_{};
    // The pulse's matched filter (two symbols), and the share of a neighbouring pulse in its
    // output at a symbol's instant relative to the pulse filter's (then the plain filter's)
    // output for the symbol.
    std::array<float, 2 * kSamplesPerSymbolInt> matchedTaps_{};
    std::array<float, 2> overlapRatios_{};
    std::array<float, 2> matchedPerFiltered_{};  // the symbol's gain, matched over filtered
    // Each ring holds its samples twice, so a filter window is always contiguous.
    std::array<float, 2 * kRingSize> ringI_{};
    std::array<float, 2 * kRingSize> ringQ_{};
    int ringPos_ = 0;
    std::complex<float> lastFiltered_{};        // the newest filtered sample
    std::complex<float> turn_{1.0f, 0.0f};      // undoes the measured frequency error
    std::complex<float> turnStep_{1.0f, 0.0f};  // per decimated sample
    int turnSteps_ = 0;
    SquareLawTiming timing_;
    PskFrequencyLoop loop_;
    SoftQpskViterbi viterbi_;
    QpskDecoder* qpskDecoder_ = nullptr;
    VaricodeDecoder* bpskDecoder_ = nullptr;
    std::complex<float> reference_{};  // the averaged carrier phasor of the BPSK decisions
    std::complex<float> matched_{};    // the matched filter's output at the symbol's instant
    BpskSequenceDecider sequence_;
    std::complex<float> turning_{};  // averaged turn between symbols, the sign taken out
    std::complex<float> previousSigned_{};
    float previousSign_ = 1.0f;
    std::complex<float> previousSymbol_{};
    bool qpsk_ = false;
    uint16_t mixerStep_ = 0;  // the NCO step the loop's correction refers to
    int32_t afcWord_ = 0;
};

}  // namespace tarnvel::modem
