#pragma once
// Symbol timing from the signal's own energy: the filtered PSK signal is strongest at the
// middle of each symbol and dips between symbols wherever the phase changes, so its power,
// averaged over many symbols, carries a tone at the symbol rate whose phase tells where the
// symbol middles lie. The estimate uses every sample, not just the few transitions, and the
// long average keeps noise from moving the sampling instant from symbol to symbol.
//
// Runs at 16 filtered samples per symbol; the symbol sample is interpolated between the two
// filtered samples around the instant.

#include <array>
#include <complex>

namespace tarnvel::modem {

class SquareLawTiming {
  public:
    static constexpr int kSamplesPerSymbol = 16;

    SquareLawTiming();
    void reset();
    // Takes one filtered sample; returns true when a symbol sample was taken into `symbol`.
    bool push(std::complex<float> sample, std::complex<float>& symbol);
    // Where the symbol middles lie, in samples after the counter's zero (0..16).
    float peakPosition() const;

  private:
    // Samples whose power the average weighs equally at first, so it settles within a few
    // symbols; later it forgets with a time constant of kAverageSymbols symbols.
    static constexpr float kAverageSymbols = 96.0f;
    // Share of the measured timing error the clock takes out per symbol.
    static constexpr float kClockGain = 0.5f;
    static constexpr float kMaxStep = 4.0f;

    std::array<std::complex<float>, kSamplesPerSymbol> basis_{};
    std::complex<float> tone_{};
    std::complex<float> previous_{};
    float untilSymbol_ = kSamplesPerSymbol;
    float samplesSeen_ = 0.0f;
    int counter_ = 0;
};

}  // namespace tarnvel::modem
