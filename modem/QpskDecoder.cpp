#include "modem/QpskDecoder.h"

#include <bit>
#include <cmath>
#include <cstdlib>

#include "modem/Tables.h"
#include "modem/WrapArithmetic.h"

namespace tarnvel::modem {

namespace {

// 262144 units per turn: atan2 in radians to an 18-bit angle.
constexpr double kRadiansToAngle18 = 41721.0;
// The phase-scope takes 32-bit angles.
constexpr int kAngle18ToAngle32Shift = 14;
constexpr int32_t kDriftGain = 200;
constexpr int32_t kSymbolScale = 131072;
constexpr int kQualityWindow = 30;
constexpr int kDecisionDepth = 20;  // history bit the survivors vote on
constexpr int32_t kMetricStart = 255;

// Cost of receiving one dibit when another was sent: adjacent phases 2, opposite 3.
constexpr int32_t kBranchMetric[4][4] = {
    {0, 2, 3, 2},
    {2, 0, 2, 3},
    {3, 2, 0, 2},
    {2, 3, 2, 0},
};

// Start-up metrics that favour the all-ones input of the idle pattern.
constexpr int32_t kInitialMetrics[kQpskStates] = {9, 10, 5, 7, 7, 5, 8, 9, 7, 5, 7, 6, 5, 4, 2, 0};

int parity(uint32_t x) {
    return std::popcount(x) & 1;
}

}  // namespace

std::array<int32_t, kQpskBranches> buildQpskCodeTable() {
    constexpr uint32_t kPolyHigh = 0b11001;  // 25
    constexpr uint32_t kPolyLow = 0b10111;   // 23
    std::array<int32_t, kQpskBranches> table{};
    for (uint32_t r = 0; r < kQpskBranches; ++r)
        table[r] = parity(r & kPolyHigh) * 2 + parity(r & kPolyLow);
    return table;
}

QpskDecoder::QpskDecoder() : CodeTable(buildQpskCodeTable()) {
    restartViterbi();
}

void QpskDecoder::restartViterbi() {
    for (int s = 0; s < kQpskStates; ++s) {
        survivors[s].pathMetric = kInitialMetrics[s];
        survivors[s].history = static_cast<uint32_t>(s - kQpskStates);  // upper bits all set
    }
}

void QpskDecoder::reset() {
    shiftRegister = 0;
    prevI = 0;
    prevQ = 0;
    restartViterbi();
}

void QpskDecoder::measureQuality(int32_t i, int32_t q, int32_t /*levelCode*/) {
    const uint16_t a = phaseAngle(i, q);
    const int16_t delta = static_cast<int16_t>(a - static_cast<uint16_t>(prevAngle));
    prevAngle = static_cast<int16_t>(a);
    // Four times the change maps all four QPSK phase changes to 0.
    const int16_t e = static_cast<int16_t>(std::abs(low16(delta * 4)));
    accumulateQuality(e, kQualityWindow, false);
}

int QpskDecoder::differentialDibit(int32_t i, int32_t q) {
    const int32_t a = i / kSymbolScale;
    const int32_t b = q / kSymbolScale;
    // The product with the previous symbol's conjugate, rotated by 45 degrees.
    const int32_t dot = wrapAdd(wrapMul(a, prevI), wrapMul(b, prevQ));
    const int32_t cross = wrapSub(wrapMul(b, prevI), wrapMul(a, prevQ));
    const int32_t x = wrapAdd(dot, cross);
    const int32_t y = wrapSub(dot, cross);
    int r = 0;
    if (x >= 0)
        r = y >= 0 ? 0 : 3;
    else
        r = y >= 0 ? 1 : 2;
    prevI = a;
    prevQ = b;
    if (inverted) r = (-r) & 3;
    return r;
}

int QpskDecoder::viterbiStep(int dibit) {
    std::array<int32_t, kQpskBranches> cost{};
    std::array<uint32_t, kQpskBranches> path{};
    int32_t best = kMetricStart;
    for (int s = 0; s < kQpskBranches; ++s) {
        const Survivor& from = survivors[s >> 1];
        cost[s] = kBranchMetric[dibit & 3][CodeTable[s] & 3] + from.pathMetric;
        path[s] = (from.history << 1) | static_cast<uint32_t>(s & 1);
        if (cost[s] < best) best = cost[s];
    }
    int votes = 0;
    for (int t = 0; t < kQpskStates; ++t) {
        // Ties go to the predecessor with the higher branch index.
        const int chosen = cost[t] < cost[t + kQpskStates] ? t : t + kQpskStates;
        survivors[t].pathMetric = cost[chosen] - best;
        survivors[t].history = path[chosen];
        votes += (survivors[t].history >> kDecisionDepth) & 1;
    }
    return votes < kQpskStates / 2 ? 1 : 0;
}

void QpskDecoder::onSymbol(int32_t i, int32_t q, int32_t levelCode) {
    measureQuality(i, q, levelCode);
    const int32_t angle = static_cast<int32_t>(std::trunc(std::atan2(q, i) * kRadiansToAngle18));
    const int32_t change = angle - referencePhase;  // |angle| < 2^17, so no overflow
    if (scope != nullptr)
        scope->showPhase(channelId, wrapShl(change, kAngle18ToAngle32Shift), scopeLevel(i, q));

    const int32_t d = change >> 2;
    const int32_t u = (static_cast<int16_t>(d + 8192) >> 14) + 2;
    const int32_t k = (static_cast<int16_t>(d + 4096) >> 13) + 4;
    if (u & 1) {
        if (quadFigure < kLockCeiling) quadFigure += 20;
    } else if (u != 0) {
        if (quadFigure > 10) quadFigure -= 12;
    }
    if (k & 1) {
        if (bpskLock > 8) bpskLock -= 8;
    } else if (bpskLock < kLockCeiling) {
        bpskLock += 5;
    }
    noReversalRun = (k >= 3 && k <= 5) ? countUp(noReversalRun) : 0;
    if (noReversalRun > kNoReversalLimit) bpskLock = 0;
    if ((k == 2 || k == 6) && quadFigure < 32) quadFigure += 3;
    if (k & 1) {
        if (bpskLock > 1) bpskLock -= 2;
        if (quadFigure > 2) quadFigure -= 2;
    } else if (k == 4) {
        if (bpskLock > 0) bpskLock -= 1;
        if (quadFigure > 1) quadFigure -= 1;
    } else if (k == 0) {
        if (bpskLock < 32) bpskLock += 3;
    }

    // The change modulo a quarter turn (+-45 degrees) is the residual frequency error.
    const int32_t delta = low16(change);
    referencePhase = angle;
    const int32_t residual = kDriftGain * delta;
    drift = wrapAdd(drift - (drift >> 7) - (drift >> 8), residual);
    residualTrend =
        wrapSub(wrapAdd(residualTrend - (residualTrend >> 5) - (residualTrend >> 6), residual),
                prevResidual);
    prevResidual = residual;

    onBit(viterbiStep(differentialDibit(i, q)));
}

}  // namespace tarnvel::modem
