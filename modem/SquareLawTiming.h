#pragma once
// Symbol timing from the signal's own energy: the filtered PSK signal is strongest at the
// middle of each symbol and dips between symbols wherever the phase changes, so its power,
// averaged over many symbols, carries a tone at the symbol rate whose phase tells where the
// symbol middles lie. The estimate uses every sample, not just the few transitions, and the
// long average keeps noise from moving the sampling instant from symbol to symbol.
//
// Runs at 16 filtered samples per symbol; the symbol sample is interpolated between the two
// filtered samples around the instant. A short average runs beside the long one: when the two
// disagree by several samples for many symbols in a row (the symbol clock jumped: samples lost
// by the sound card, another signal), the long one starts again from the short one.

#include <array>
#include <complex>

namespace tarnvel::modem {

class SquareLawTiming {
  public:
    static constexpr int kSamplesPerSymbol = 16;

    SquareLawTiming();
    void reset();
    // Takes one filtered sample; returns true when a symbol sample was taken into `symbol`.
    // (Inline: a complex argument to a call is split and joined through memory, a stall on
    // every sample.)
    bool push(std::complex<float> sample, std::complex<float>& symbol) {
        if (samplesSeen_ < kAverageSymbols * kSamplesPerSymbol) countSample(samplesSeen_ + 1.0f);
        const std::complex<float> term =
            std::norm(sample) * basis_[static_cast<size_t>(counter_)];
        tone_ += (term - tone_) * toneWeight_;
        shortTone_ += (term - shortTone_) * shortWeight_;
        untilSymbol_ -= 1.0f;
        const bool taken = untilSymbol_ <= 0.0f;
        if (taken) symbol = takeSymbol(sample);
        previous_ = sample;
        counter_ = (counter_ + 1) % kSamplesPerSymbol;
        return taken;
    }
    // Where the symbol middles lie, in samples after the counter's zero (0..16).
    float peakPosition() const;
    // How far the last symbol's instant lay before the sample that took it, in samples (0..1).
    float lastFraction() const { return lastFraction_; }

  private:
    // Samples whose power the average weighs equally at first, so it settles within a few
    // symbols; later it forgets with a time constant of kAverageSymbols symbols.
    static constexpr float kAverageSymbols = 96.0f;
    // Share of the measured timing error the clock takes out per symbol.
    static constexpr float kClockGain = 0.5f;
    static constexpr float kMaxStep = 4.0f;
    static constexpr float kShortAverageSymbols = 6.0f;
    static constexpr float kJumpSamples = 3.0f;
    static constexpr int kJumpSymbols = 8;

    static float peakOf(std::complex<float> tone);
    // Once a symbol: restarts the long average from the short one after a clock jump.
    void followJump();

    std::array<std::complex<float>, kSamplesPerSymbol> basis_{};
    std::complex<float> tone_{};
    std::complex<float> shortTone_{};
    int disagreeing_ = 0;
    std::complex<float> previous_{};
    float untilSymbol_ = kSamplesPerSymbol;
    float lastFraction_ = 0.0f;
    float samplesSeen_ = 0.0f;
    // The averages' weights, 1 / samplesSeen_ and 1 / min(samplesSeen_, short average): they
    // change only while the averages fill, so they are not divided out per sample.
    float toneWeight_ = 1.0f;
    float shortWeight_ = 1.0f;
    int counter_ = 0;

    void countSample(float seen);
    // Once a symbol: the symbol between the previous sample and this one, and the clock's
    // correction.
    std::complex<float> takeSymbol(std::complex<float> sample);
};

}  // namespace tarnvel::modem
