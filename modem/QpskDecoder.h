#pragma once
// The QPSK31 symbol decoder: differential dibits, a 16-state Viterbi decoder for the rate-1/2,
// constraint-length-5 convolutional code, and the varicode assembly it inherits.

#include <array>
#include <cstdint>

#include "modem/VaricodeDecoder.h"

namespace tarnvel::modem {

inline constexpr int kQpskStates = 16;
inline constexpr int kQpskBranches = 32;

// Output dibit of the convolutional code for each 5-bit register value.
std::array<int32_t, kQpskBranches> buildQpskCodeTable();

class QpskDecoder : public VaricodeDecoder {
  public:
    QpskDecoder();

    void onSymbol(int32_t i, int32_t q, int32_t levelCode) override;
    // Clears the bit collector and the previous symbol and restarts the Viterbi decoder.
    void reset() override;
    // Quality over 30 symbols: how far each phase change is from a multiple of 90 degrees.
    void measureQuality(int32_t i, int32_t q, int32_t levelCode) override;

    // Dibit of the phase change from the previous symbol: 0 none, 1 -90, 2 180, 3 +90 degrees
    // (mirrored when inverted). Updates the previous symbol.
    int differentialDibit(int32_t i, int32_t q);
    // One add-compare-select step on a received dibit; returns the decided data bit, taken 20
    // bits back as the complement of the survivors' majority.
    int viterbiStep(int dibit);

    struct Survivor {
        int32_t pathMetric;
        uint32_t history;  // newest bit in bit 0
    };

    std::array<int32_t, kQpskBranches> CodeTable{};
    int32_t inverted = 0;  // the "QPSKi" option: +90 and -90 degrees swap
    std::array<Survivor, kQpskStates> survivors{};

  private:
    void restartViterbi();
};

}  // namespace tarnvel::modem
