#pragma once
// Stands between the receivers and the character decoder of the current mode: every receiver
// talks to the switch, and a mode command points it at another decoder.

#include "modem/SymbolDecoder.h"

namespace tarnvel::modem {

class DecoderSwitch : public SymbolDecoder {
  public:
    void onBit(int bit) override;
    void onSymbol(int32_t i, int32_t q, int32_t levelCode) override;
    void reset() override;
    void measureQuality(int32_t i, int32_t q, int32_t levelCode) override;

    SymbolDecoder* current = nullptr;  // not owned; null drops everything
};

}  // namespace tarnvel::modem
