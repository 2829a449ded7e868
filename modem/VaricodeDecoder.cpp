#include "modem/VaricodeDecoder.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "modem/Tables.h"
#include "modem/Varicode.h"
#include "modem/WrapArithmetic.h"

namespace tarnvel::modem {

namespace {

// 2^31 per pi: atan2 in radians to a 32-bit angle.
constexpr double kRadiansToAngle32 = 683565275.0;
constexpr int32_t kHalfTurn = INT32_MIN;   // 2^31 as a wrapping 32-bit angle
constexpr uint16_t kCharacterEnd = 0b100;  // a code's final 1, then two 0 separators
constexpr int kQualityWindow = 20;
constexpr int32_t kSteadyAngle = 16000;  // 16-bit angle units, about 88 degrees
constexpr int32_t kMinScopeLevel = 10;

}  // namespace

void VaricodeDecoder::onBit(int bit) {
    zeroRun = bit == 0 ? countUp(zeroRun) : 0;
    shiftRegister = static_cast<uint16_t>((shiftRegister << 1) | (bit & 1));
    if ((shiftRegister & 0b111) != kCharacterEnd) return;
    const uint16_t word = shiftRegister >> 3;
    if (word < kVaricodeDecodeTableSize && sink != nullptr)
        sink->putChar(channelId, VaricodeDecodeTable[word]);
    shiftRegister = 0;
}

int32_t VaricodeDecoder::scopeLevel(int32_t i, int32_t q) {
    const double power = static_cast<double>(i) * i + static_cast<double>(q) * q;
    // log10(0) is -inf; such a symbol shows at the floor.
    if (!(power > 0.0)) return -800;
    return (static_cast<int32_t>(std::trunc(std::log10(power))) - 7) * 100;
}

void VaricodeDecoder::onSymbol(int32_t i, int32_t q, int32_t levelCode) {
    measureQuality(i, q, levelCode);
    const int32_t o = static_cast<int32_t>(std::trunc(std::atan2(q, i) * kRadiansToAngle32));
    phaseDelta = wrapSub(o, referencePhase);
    if (scope != nullptr) {
        int32_t l = scopeLevel(i, q);
        if (l < kMinScopeLevel) l = kMinScopeLevel;
        scope->showPhase(channelId, phaseDelta, l);
    }

    // The change since the previous symbol in 16-bit turns, classified by quadrant and octant.
    const int16_t d = low16(wrapSub(o, prevAbsPhase) >> 16);
    prevAbsPhase = o;
    const int32_t u = (static_cast<int16_t>(d + 8192) >> 14) + 2;  // 2: <45, 0: >=135 degrees
    if (u & 1) {
        if (bpskLock > 200 && quadFigure < kLockCeiling) quadFigure += 16;
    } else if (u != 0) {
        if (quadFigure > 10) quadFigure -= 12;
    }
    const int32_t k = (static_cast<int16_t>(d + 4096) >> 13) + 4;  // 4: no change, 0: 180
    if (k == 2 || k == 6) {
        if (bpskLock > 16) bpskLock -= 16;
    } else if (k & 1) {
        if (bpskLock > 1) bpskLock -= 2;
    } else if (bpskLock < kLockCeiling) {
        bpskLock += 10;
    }
    noReversalRun = (k >= 3 && k <= 5) ? countUp(noReversalRun) : 0;
    if (noReversalRun > kNoReversalLimit) bpskLock = 0;

    // Bit 1 = no reversal: the drift-corrected change lies within +-90 degrees.
    phaseError = 0;
    const int32_t test = wrapSub(wrapSub(wrapAdd(phaseDelta, kQuarterTurn), drift), phaseError);
    const int bit = test > 0 ? 1 : 0;
    onBit(bit);

    drift -= (drift >> 6) + (drift >> 7);
    phaseError -= (phaseError >> 2) + (phaseError >> 3);
    residualTrend -= (residualTrend >> 5) + (residualTrend >> 6);
    if (bit == 0) {  // remove the reversal, leaving the residual
        phaseDelta = wrapSub(phaseDelta, kHalfTurn);
        referencePhase = wrapSub(referencePhase, kHalfTurn);
    }
    const int32_t v = phaseDelta;
    drift = wrapAdd(drift, v >> 6);
    phaseError = wrapAdd(phaseError, wrapSub(v, drift) >> 2);
    referencePhase = wrapAdd(referencePhase, v);
    residualTrend = wrapAdd(residualTrend, wrapSub(v, prevResidual));
    prevResidual = v;
}

void VaricodeDecoder::accumulateQuality(int32_t error, int32_t window, bool steadyRule) {
    int32_t e = error < kQualityFloor ? 0 : error - kQualityFloor;
    qualitySum += e;
    if (++qualityCount < window) return;
    int32_t x = qualitySum / window / 256;
    if (x >= 32) x = kBestQuality;
    if (steadyRule && steadyCount >= kQualityWindow) x = kBestQuality;  // no reversals: a carrier
    qualityCount = 0;
    qualitySum = 0;
    quality = kBestQuality - x;
}

void VaricodeDecoder::measureQuality(int32_t i, int32_t q, int32_t /*levelCode*/) {
    const uint16_t a = phaseAngle(i, q);
    const int16_t delta = static_cast<int16_t>(a - static_cast<uint16_t>(prevAngle));
    prevAngle = static_cast<int16_t>(a);
    steadyCount = std::abs(delta) < kSteadyAngle ? countUp(steadyCount) : 0;
    // Doubling the angle maps 0 and 180 degrees both to 0.
    const int16_t doubled = low16(delta * 2);
    const int16_t e = static_cast<int16_t>(std::abs(doubled));
    accumulateQuality(e, kQualityWindow, true);
}

void VaricodeDecoder::reset() {
    shiftRegister = 0;
    prevI = 0;
    prevQ = 0;
}

}  // namespace tarnvel::modem
