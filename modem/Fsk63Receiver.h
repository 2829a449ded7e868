#pragma once
// FSK63: two tones either side of the receive frequency at 62.5 baud, 2000 decimated samples
// per second. Each symbol's frequency measure, relative to the midpoint between the tones, goes
// to the decoder as a soft value (the block decoder finds the codewords).

#include "modem/FskReceiver.h"
#include "modem/SymmetricFir.h"

namespace tarnvel::modem {

class Fsk63Receiver : public FskReceiver {
  public:
    static constexpr int32_t kDecimBaseRate = 1000;  // x 62.5 / 31.25 = 2000 per second
    static constexpr int32_t kFilterInputDivisor = 16;
    static constexpr int kFilterHalfLength = 32;
    static constexpr double kFilterCutoffHz = 90.0;  // per kDecimBaseRate: 0.09 cycles/sample
    // The midpoint measures the phase advance over 16 samples at 2000 per second, a quarter of
    // the time FSK31 measures over (500 per second): a quarter of its scale gives the AFC the
    // same pull per Hertz of error.
    static constexpr double kAfcScale = 285212672.0 / 4;

    explicit Fsk63Receiver(double sampleRate = kNominalSampleRate);

    double afcScale() const override { return kAfcScale; }

  protected:
    void onDecimatedSample() override;

  private:
    SymmetricFir lowPassI_;
    SymmetricFir lowPassQ_;
};

}  // namespace tarnvel::modem
