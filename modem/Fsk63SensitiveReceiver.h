#pragma once
// FSK63 for weak signals: the front end, tone tracker (AFC, squelch, phase scope) and symbol
// clock of the FSK63 receiver, but the soft value of each symbol comes from two tone
// correlators instead of the frequency discriminator. Each correlator sums the decimated
// signal, turned down by its reference frequency, over the last symbol (32 samples); the soft
// value is the difference of the two sums' magnitudes over their total averaged across the
// last symbols (so that a strong symbol weighs more than a faded one): the non-coherent
// detector of two tones, which works far below the discriminator's threshold (the
// discriminator sees the noise of its whole 180 Hz filter, a correlator that of about a baud).
// The references sit 31.25 Hz either side of the carrier, outside the tones (see the .cpp).

#include <array>
#include <complex>
#include <cstdint>

#include "modem/FskReceiver.h"
#include "modem/SymmetricFir.h"

namespace tarnvel::modem {

class Fsk63SensitiveReceiver : public FskReceiver {
  public:
    static constexpr int kSamplesPerSymbol = 32;  // 2000 decimated samples per second
    // A symbol whose tone difference equals the recent average total comes out as this, an
    // eighth of a turn in the discriminator's units; values are clamped to twice it.
    static constexpr double kSoftFullScale = 536870912.0;

    explicit Fsk63SensitiveReceiver(double sampleRate = kNominalSampleRate);

    double afcScale() const override;
    void resetState() override;

  protected:
    void onDecimatedSample() override;

  private:
    // Adds the newest sample to both correlators; returns the soft value of the last symbol
    // (positive for the lower tone), about -1..1, clamped to -2..2.
    double correlate(double i, double q);

    SymmetricFir lowPassI_;
    SymmetricFir lowPassQ_;
    std::array<std::complex<double>, kSamplesPerSymbol> upperTerms_{};
    std::array<std::complex<double>, kSamplesPerSymbol> lowerTerms_{};
    std::complex<double> upperSum_{};
    std::complex<double> lowerSum_{};
    int term_ = 0;
    double scale_ = 0.0;
    int32_t lastSoftTone_ = 0;
    int rotationIndex_ = 0;
    double meanMidpoint_ = 0.0;
    uint32_t centring_ = 0;  // phase of the turn that centres the tones, 2^32 per turn
    // The squelch's quality from the correlators: the discriminator's figure depends on where
    // in the symbol it is read, and at this receiver's symbol instants it reads a clean
    // signal as about 6, which every usual squelch shuts out.
    // The figure is given out three windows (60 symbols) late, the block decoder's delay
    // (three interleaved 17-symbol words), so that it passes the characters of the symbols it
    // graded rather than those decoded from the noise just before.
    static constexpr int kQualityDelayWindows = 3;
    double softSum_ = 0.0;
    int softCount_ = 0;
    int windowsGraded_ = 0;
    std::array<int32_t, kQualityDelayWindows> delayedQuality_{};

    // Adds one symbol's soft value to the quality window and keeps the tracker's quality at
    // the last window's figure.
    void gradeSymbol(double soft);
};

}  // namespace tarnvel::modem
