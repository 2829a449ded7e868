#include "modem/Fsk63SensitiveReceiver.h"

#include <algorithm>
#include <cmath>

#include "modem/Fsk63Receiver.h"

namespace tarnvel::modem {

namespace {

constexpr double kTwoPi = 6.283185307179586;
// The transmitter steps the phase a quarter turn per symbol up or down, so the tones sit a
// quarter of the baud rate (15.625 Hz) either side of the carrier, half a baud apart, and are
// not orthogonal over a symbol: correlators on the tones themselves would see 1 and 0.64 of a
// tone. Correlators half a baud either side (31.25 Hz, a 64th of a turn per decimated sample)
// see 0.9 and 0.3 of it: less energy, but a far larger difference, which is what the decision
// and the block decoder use (measured: 0.04 % against 52 % at -6 dB).
constexpr int kRotationPeriod = 64;
constexpr double kMidpointAveraging = 2048.0;  // decimated samples
// The squelch's quality grades the mean size of the soft values over 20 symbols. Measured on
// the transmitter's own FSK63: noise alone averages 0.31 and stays under 0.43; a clean signal
// averages 0.66 (the symbol sense flips every other symbol, so a correlator over the last
// symbol never holds one tone alone), 0 dB in 2500 Hz 0.61, -3 dB 0.56, -6 dB 0.49. Graded
// from 0 at 0.40 to 31 at 0.64, noise reads at most about 3 and -3 dB about 20.
constexpr double kSoftMeanOfNoise = 0.40;
constexpr double kSoftMeanOfCleanSignal = 0.64;

// e^(j 2 pi k / 64): turns a sample of the lower tone (which rotates forward in the mixer's
// output) back to rest; its conjugate does the same for the upper tone.
const std::array<std::complex<double>, kRotationPeriod>& rotation() {
    static const auto table = [] {
        std::array<std::complex<double>, kRotationPeriod> t{};
        for (int k = 0; k < kRotationPeriod; ++k)
            t[static_cast<size_t>(k)] = std::polar(1.0, -kTwoPi * k / kRotationPeriod);
        return t;
    }();
    return table;
}

}  // namespace

Fsk63SensitiveReceiver::Fsk63SensitiveReceiver(double rate)
    : FskReceiver(rate, Fsk63Receiver::kDecimBaseRate, kPsk63Baud) {
    const double cutoff = Fsk63Receiver::kFilterCutoffHz / Fsk63Receiver::kDecimBaseRate;
    lowPassI_.design(Fsk63Receiver::kFilterHalfLength, FirType::LowPass, cutoff);
    lowPassQ_.design(Fsk63Receiver::kFilterHalfLength, FirType::LowPass, cutoff);
}

double Fsk63SensitiveReceiver::afcScale() const {
    return Fsk63Receiver::kAfcScale;
}

void Fsk63SensitiveReceiver::resetState() {
    FskReceiver::resetState();
    upperTerms_.fill({});
    lowerTerms_.fill({});
    upperSum_ = lowerSum_ = {};
    term_ = 0;
    rotationIndex_ = 0;
    scale_ = 0.0;
    centring_ = 0;
    meanMidpoint_ = 0.0;
    softSum_ = 0.0;
    softCount_ = 0;
    windowsGraded_ = 0;
    delayedQuality_.fill(0);
}

double Fsk63SensitiveReceiver::correlate(double i, double q) {
    // A magnitude does not care where the rotation starts, so its index just runs on.
    const std::complex<double> x(i, q);
    const std::complex<double> r = rotation()[static_cast<size_t>(rotationIndex_)];
    rotationIndex_ = (rotationIndex_ + 1) % kRotationPeriod;
    const std::complex<double> lower = x * r;
    const std::complex<double> upper = x * std::conj(r);
    const auto k = static_cast<size_t>(term_);
    lowerSum_ += lower - lowerTerms_[k];
    upperSum_ += upper - upperTerms_[k];
    lowerTerms_[k] = lower;
    upperTerms_[k] = upper;
    if (++term_ == kSamplesPerSymbol) {
        term_ = 0;
        // Once a symbol the sums start afresh from their terms, so rounding cannot pile up.
        lowerSum_ = upperSum_ = {};
        for (size_t n = 0; n < kSamplesPerSymbol; ++n) {
            lowerSum_ += lowerTerms_[n];
            upperSum_ += upperTerms_[n];
        }
    }
    const double a = std::abs(lowerSum_);
    const double b = std::abs(upperSum_);
    // Scaled by the total smoothed over about eight symbols.
    scale_ += ((a + b) - scale_) / 256.0;
    return scale_ > 0.0 ? std::clamp((a - b) / scale_, -2.0, 2.0) : 0.0;
}

void Fsk63SensitiveReceiver::gradeSymbol(double soft) {
    softSum_ += std::min(std::abs(soft), 1.0);
    if (++softCount_ >= FskToneTracker::kQualityWindow) {
        const double mean = softSum_ / FskToneTracker::kQualityWindow;
        const double grade =
            (mean - kSoftMeanOfNoise) / (kSoftMeanOfCleanSignal - kSoftMeanOfNoise);
        // The soft values' scale is still growing during the first window: it reads 0.
        const int32_t quality =
            windowsGraded_++ == 0
                ? 0
                : static_cast<int32_t>(std::clamp(grade, 0.0, 1.0) * FskToneTracker::kBestQuality);
        std::copy(delayedQuality_.begin() + 1, delayedQuality_.end(), delayedQuality_.begin());
        delayedQuality_.back() = quality;
        softSum_ = 0.0;
        softCount_ = 0;
    }
    tracker.quality = delayedQuality_.front();
}

void Fsk63SensitiveReceiver::onDecimatedSample() {
    const int32_t i = lowPassI_.step(stage2I / Fsk63Receiver::kFilterInputDivisor);
    const int32_t q = lowPassQ_.step(stage2Q / Fsk63Receiver::kFilterInputDivisor);
    const int32_t levelCode = FskToneTracker::levelCode(i, q);
    // The discriminator still runs: its midpoint is the AFC's error and its measure the
    // squelch's quality and the phase scope's picture.
    tracker.measure(i, q);
    // The midpoint between the tones is the signal's mean turn per 16 samples: turning each
    // sample back by a 16th of it per sample centres the tones on the references, so that a
    // signal a few Hertz off (before the AFC has pulled it in) still decodes. The midpoint is
    // averaged over about a second first: at low SNR it jitters with the noise.
    meanMidpoint_ += (tracker.midpoint - meanMidpoint_) / kMidpointAveraging;
    centring_ -= static_cast<uint32_t>(static_cast<int32_t>(meanMidpoint_ / 16.0));
    const std::complex<double> centred =
        std::complex<double>(i, q) * std::polar(1.0, kTwoPi * centring_ / 4294967296.0);
    const double soft = correlate(centred.real(), centred.imag());
    // Positive for the lower tone, like the discriminator's measure; tone 1 is the upper one.
    const int32_t tone = soft < 0.0 ? 1 : 0;
    if (tracker.advanceClock(symbolStep)) {
        if (decoder != nullptr)
            decoder->onSymbol(0, 0, static_cast<int32_t>(std::lround(soft * kSoftFullScale)));
        forwardPhase(channelId, tracker.freqMeasure, levelCode);
        tracker.endSymbol(tone);
        gradeSymbol(soft);
    }
    if (tone != tracker.lastTone) {
        // A tone change moves the clock an eighth of the way toward 0.
        tracker.lastTone = tone;
        tracker.symbolClock -= tracker.symbolClock / 8;
    }
}

}  // namespace tarnvel::modem
