#pragma once
// FSK31: two tones either side of the receive frequency at 31.25 baud. A data bit is 1 when
// the tone of a symbol equals that of the previous symbol and 0 when it changed; the bits go
// to the varicode assembly through the decoder.

#include "modem/FskReceiver.h"

namespace tarnvel::modem {

class Fsk31Receiver : public FskReceiver {
  public:
    static constexpr int32_t kDecimBaseRate = 500;  // 500 decimated samples per second
    static constexpr int32_t kFirInputDivisor = 1024;
    // Error word units per Hertz of retuning for the AFC.
    static constexpr double kAfcScale = 285212672.0;

    explicit Fsk31Receiver(double sampleRate = kNominalSampleRate);

    double afcScale() const override { return kAfcScale; }

  protected:
    void onDecimatedSample() override;
};

}  // namespace tarnvel::modem
