#include "modem/FskToneTracker.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tarnvel::modem {

namespace {
constexpr double kRadiansToAngle = 683565275.0;  // 2^31 per pi
constexpr int32_t kClockHalfSymbol = 32768;
constexpr int64_t kClockSymbol = 65536;
constexpr int64_t kQuarterTurnSlack = 1 << 29;
constexpr int64_t kQualityUnit = 33554432;
constexpr int32_t kLevelCodeOffset = 7;
constexpr int32_t kLevelCodePerDecade = 100;

int32_t wrapSub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
}  // namespace

int32_t FskToneTracker::levelCode(int32_t i, int32_t q) {
    const double power = static_cast<double>(i) * i + static_cast<double>(q) * q;
    if (!(power > 0.0)) return kMinLevelCode;  // log10 of zero has no integer value
    const auto code =
        (static_cast<int32_t>(std::log10(power)) - kLevelCodeOffset) * kLevelCodePerDecade;
    return std::max(code, kMinLevelCode);
}

// The doubled measure folds both tone senses together; its distance from half a turn, less a
// slack of an eighth of a turn, grows as the tones drift toward the centre or toward half a
// turn. It is computed in 64 bits: a measure of exactly zero (silence, or an unmodulated
// carrier on the receive frequency) must count as the worst case, not wrap round to the best.
int32_t FskToneTracker::qualityPenalty(int32_t freqMeasure) {
    const auto doubled = static_cast<int32_t>(static_cast<uint32_t>(freqMeasure) * 2u);
    const auto folded = static_cast<int32_t>(static_cast<uint32_t>(doubled) - 0x80000000u);
    int64_t y = std::llabs(static_cast<int64_t>(folded)) - kQuarterTurnSlack;
    if (y < 0) y = 0;
    y = (y / 3) * 4;
    return static_cast<int32_t>(y / kQualityUnit);
}

void FskToneTracker::measure(int32_t i, int32_t q) {
    midpoint = static_cast<int32_t>((int64_t{lowLevel} + highLevel) >> 1);
    phase = static_cast<int32_t>(std::atan2(static_cast<double>(q), i) * kRadiansToAngle);
    freqMeasure = wrapSub(phase, phaseRing[phaseRingIndex]);
    phaseRing[phaseRingIndex] = phase;
    phaseRingIndex = (phaseRingIndex + 1) % kPhaseRingLength;
}

void FskToneTracker::endSymbol(int32_t tone) {
    qualitySum += qualityPenalty(freqMeasure);
    if (++qualityCount >= kQualityWindow) {
        const int32_t q = std::min(qualitySum / kQualityWindow, kBestQuality);
        qualitySum = 0;
        qualityCount = 0;
        quality = kBestQuality - q;
    }
    int32_t& level = tone == 1 ? highLevel : lowLevel;
    level = static_cast<int32_t>(static_cast<uint32_t>(level) +
                                 static_cast<uint32_t>((freqMeasure >> 2) - (level >> 2)));
    prevSymbolTone = tone;
}

bool FskToneTracker::advanceClock(int32_t step) {
    symbolClock += step;
    if (symbolClock <= kClockHalfSymbol) return false;
    symbolClock = static_cast<int32_t>(symbolClock - kClockSymbol);
    return true;
}

}  // namespace tarnvel::modem
