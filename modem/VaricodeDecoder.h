#pragma once
// The BPSK symbol decoder: differential phase detection with drift tracking, the quality and
// lock figures, and varicode character assembly (also used by the FSK31 receiver's bits).

#include <cstdint>

#include "modem/CharacterSink.h"
#include "modem/SymbolDecoder.h"

namespace tarnvel::modem {

class VaricodeDecoder : public SymbolDecoder {
  public:
    // The quality of a clean signal.
    static constexpr int32_t kBestQuality = 31;

    // Varicode assembly: a 1 followed by two 0 bits ends a character.
    void onBit(int bit) override;
    void onSymbol(int32_t i, int32_t q, int32_t levelCode) override;
    // Clears the bit collector only; the tracking figures and zeroRun carry on.
    void reset() override;
    // Quality over 20 symbols: how far each phase change is from 0 or 180 degrees.
    void measureQuality(int32_t i, int32_t q, int32_t levelCode) override;

    // The station reads quality (squelch) and zeroRun (idle indicator) and reads and writes
    // drift (AFC). Angles are 32-bit turns (2^32 = one turn) unless noted.
    int32_t quality = 0;         // 0..31, 31 = clean BPSK
    int32_t steadyCount = 0;     // symbols in a row whose angle changed by less than 16000
    int32_t drift = 0;           // smoothed per-symbol phase drift: the AFC error
    int32_t phaseError = 0;      // last residual minus drift, / 4
    int32_t residualTrend = 0;   // leaky sum of residual changes
    int32_t referencePhase = 0;  // absolute phase of the previous symbol
    int32_t prevResidual = 0;
    int32_t bpskLock = 0;   // lock figure, 0..about 256
    int16_t prevAngle = 0;  // previous 16-bit angle of measureQuality
    int32_t qualitySum = 0;
    int32_t qualityCount = 0;   // 0..window - 1
    int32_t noReversalRun = 0;  // symbols in a row with a phase change under 67.5 degrees
    int32_t prevAbsPhase = 0;
    int32_t quadFigure = 0;  // rises on +-90 degree changes
    int32_t zeroRun = 0;     // data bits 0 in a row
    int32_t phaseDelta = 0;  // phase change of the last symbol
    int16_t channelId = 0;   // 0 for the main receiver
    uint16_t shiftRegister = 0;
    // Cleared by reset; the QPSK decoder keeps the previous symbol's I and Q / 131072 here.
    int32_t prevI = 0;
    int32_t prevQ = 0;
    CharacterSink* sink = nullptr;    // not owned
    PhaseScopeSink* scope = nullptr;  // not owned, may be null

  protected:
    static constexpr int32_t kQuarterTurn = 1 << 30;
    static constexpr int32_t kQualityFloor = 7000;  // angle error ignored by the quality figure
    static constexpr int32_t kLockCeiling = 256;
    static constexpr int32_t kNoReversalLimit = 20;

    // Shared by both decoders: one error sample into the quality window.
    void accumulateQuality(int32_t error, int32_t window, bool steadyRule);
    // log10 of the symbol power as the scope's level code: (trunc(log10(p)) - 7) * 100.
    static int32_t scopeLevel(int32_t i, int32_t q);
};

}  // namespace tarnvel::modem
