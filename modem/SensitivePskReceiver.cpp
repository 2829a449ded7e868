#include "modem/SensitivePskReceiver.h"

#include "modem/ComplexMagnitude.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

namespace tarnvel::modem {

namespace {

// The receive filter for the transmitted pulse (a raised cosine two symbols long, sampled 16
// times a symbol): of all 64-tap filters that leave no trace of a symbol at its neighbours'
// instants, the one that lets through the least noise, 0.26 dB from the pulse's matched
// filter (which would mix a sixth of each neighbour into every symbol; the plain low-pass
// loses 0.45 dB and leaves 2 % of each of four neighbours). Made by projecting the pulse
// away from its copies shifted by 1 to 3 symbols either way; gain 24578 at 0 Hz.
constexpr std::array<float, kFirTapCount> kPulseFilterTaps = {
    126.8f,  117.0f,  97.8f,   69.9f,   34.4f,   -7.3f,   -53.7f,  -102.9f, -153.1f, -202.3f,
    -248.7f, -290.4f, -325.9f, -353.8f, -373.0f, -382.8f, -377.9f, -328.9f, -232.9f, -93.5f,
    84.0f,   292.6f,  524.5f,  770.6f,  1021.5f, 1267.7f, 1499.5f, 1708.2f, 1885.6f, 2025.0f,
    2121.1f, 2170.0f, 2170.0f, 2121.1f, 2025.0f, 1885.6f, 1708.2f, 1499.5f, 1267.7f, 1021.5f,
    770.6f,  524.5f,  292.6f,  84.0f,   -93.5f,  -232.9f, -328.9f, -377.9f, -382.8f, -373.0f,
    -353.8f, -325.9f, -290.4f, -248.7f, -202.3f, -153.1f, -102.9f, -53.7f,  -7.3f,   34.4f,
    69.9f,   97.8f,   117.0f,  126.8f};

constexpr float kSamplesPerSymbol = static_cast<float>(SquareLawTiming::kSamplesPerSymbol);
// Decimated samples between two renormalisations of the turning phasor.
constexpr int kTurnRenormalise = 1024;

int32_t toSampleWord(float x) {
    constexpr float kLimit = 2147483520.0f;  // the largest float below 2^31
    return static_cast<int32_t>(std::lround(std::clamp(x, -kLimit, kLimit)));
}

// Takes the one symbol the plain clock recovery hands out, instead of a decoder.
class SymbolCapture final : public SymbolDecoder {
  public:
    void onBit(int) override {}
    void onSymbol(int32_t i, int32_t q, int32_t) override {
        symbol = {static_cast<float>(i), static_cast<float>(q)};
        taken = true;
    }
    void reset() override {}
    void measureQuality(int32_t, int32_t, int32_t) override {}

    std::complex<float> symbol{};
    bool taken = false;
};

}  // namespace

SensitivePskReceiver::SensitivePskReceiver(double rate) : PskReceiver(rate) {
    for (int j = 0; j < kFirTapCount; ++j)
        plainTaps_[static_cast<size_t>(j)] =
            static_cast<float>(kBpskFirTaps[static_cast<size_t>(j)]);
    mixerStep_ = ncoStep;
    makeMatchedFilter();
}

void SensitivePskReceiver::makeMatchedFilter() {
    // The pulse at the filter's 16 samples a symbol, centred like the pulse filter (whose 64
    // taps span the 32 of the pulse with 16 either side).
    constexpr int kSpan = 2 * kSamplesPerSymbolInt;
    constexpr int kOffset = (kFirTapCount - kSpan) / 2;
    for (int n = 0; n < kSpan; ++n)
        matchedTaps_[static_cast<size_t>(n)] = static_cast<float>(
            0.5 - 0.5 * std::cos(std::numbers::pi * (n + 0.5) / kSamplesPerSymbolInt));
    // The reference is measured behind the pulse filter (or the plain one): its size is the
    // pulse's amplitude times that filter's gain for the pulse.
    double pulseGain = 0.0;
    double plainGain = 0.0;
    double neighbour = 0.0;
    double own = 0.0;
    for (int n = 0; n < kSpan; ++n) {
        const double p = matchedTaps_[static_cast<size_t>(n)];
        own += p * p;
        pulseGain += kPulseFilterTaps[static_cast<size_t>(n + kOffset)] * p;
        plainGain += plainTaps_[static_cast<size_t>(n + kOffset)] * p;
        if (n + kSamplesPerSymbolInt < kSpan)
            neighbour += p * matchedTaps_[static_cast<size_t>(n + kSamplesPerSymbolInt)];
    }
    overlapRatios_ = {static_cast<float>(neighbour / pulseGain),
                      static_cast<float>(neighbour / plainGain)};
    matchedPerFiltered_ = {static_cast<float>(own / pulseGain),
                           static_cast<float>(own / plainGain)};
}

void SensitivePskReceiver::setStages(const SensitivePskStages& stages) {
    stages_ = stages;
    clearFrequencyError();
}

void SensitivePskReceiver::setQpsk(bool qpsk) {
    qpsk_ = qpsk;
    loop_.setOrder(qpsk ? 4 : 2);
}

void SensitivePskReceiver::setCarrierFrequency(double hz) {
    PskReceiver::setCarrierFrequency(hz);
    // The mixer moved: the loop keeps turning the signal to where it was, so a retune by the
    // AFC (which follows the loop) changes nothing downstream. A move beyond the loop's range
    // is a retune to another signal: the loop starts afresh.
    const auto moved = static_cast<int16_t>(static_cast<uint16_t>(ncoStep - mixerStep_));
    mixerStep_ = ncoStep;
    const double rate = decimatedRate();
    if (moved == 0 || !(rate > 0.0)) return;
    const double movedHz = moved * sampleRate / 65536.0;
    const auto shift =
        static_cast<float>(2.0 * std::numbers::pi * movedHz / rate * kSamplesPerSymbol);
    if (std::abs(shift) > loop_.range())
        clearFrequencyError();
    else
        loop_.shift(shift);
    updateAfcWord();
}

void SensitivePskReceiver::setSampleRate(double rate) {
    PskReceiver::setSampleRate(rate);
    mixerStep_ = ncoStep;
    clearFrequencyError();
}

void SensitivePskReceiver::resetState() {
    PskReceiver::resetState();
    ringI_.fill(0.0f);
    ringQ_.fill(0.0f);
    ringPos_ = 0;
    timing_.reset();
    viterbi_.reset();
    previousSymbol_ = {};
    reference_ = {};
    matched_ = {};
    turning_ = {};
    previousSigned_ = {};
    sequence_.reset();
    previousSign_ = 1.0f;
    clearFrequencyError();
}

void SensitivePskReceiver::clearFrequencyError() {
    loop_.clear();
    turn_ = {1.0f, 0.0f};
    turnStep_ = {1.0f, 0.0f};
    afcWord_ = 0;
}

void SensitivePskReceiver::processSamples(const int16_t* samples, int count) {
    if (samples == nullptr || count <= 0) return;
    if (kind_ == PskReceiverKind::Specified) {
        PskReceiver::processSamples(samples, count);
        return;
    }
    runFrontEnd(samples, count, [this] { decimatedStep(); });
    // The level of the newest filtered sample, as the plain receiver leaves it; worked out
    // here and at the symbols only (the rounding to words costs more than the rest of a step).
    level = levelBits(toSampleWord(lastFiltered_.real()), toSampleWord(lastFiltered_.imag()));
}

double SensitivePskReceiver::decimatedRate() const {
    return sampleRate * decimStep / 65536.0;
}

double SensitivePskReceiver::measuredOffsetHz() const {
    const double rate = decimatedRate();
    // The loop turns the signal back by its correction; the signal sits below the mixer when
    // the correction is positive.
    return -loop_.radiansPerSymbol() / kSamplesPerSymbol * rate / (2.0 * std::numbers::pi);
}

int32_t* SensitivePskReceiver::afcErrorWord() {
    return kind_ == PskReceiverKind::Sensitive && stages_.frequencyLoop ? &afcWord_ : nullptr;
}

void SensitivePskReceiver::updateAfcWord() {
    const double word = -measuredOffsetHz() * kAfcScale;
    constexpr double kLimit = std::numeric_limits<int32_t>::max();
    afcWord_ = static_cast<int32_t>(std::clamp(word, -kLimit, kLimit));
}

std::complex<float> SensitivePskReceiver::filtered(const float* weights) const {
    // The newest sample sits at ringPos_ + kRingSize; the window ends there.
    const float* wi = ringI_.data() + ringPos_ + 1;
    const float* wq = ringQ_.data() + ringPos_ + 1;
#if defined(__SSE2__)
    // Four partial sums a lane (the one running sum of a plain float loop cannot be split
    // into vector lanes by the compiler).
    __m128 sumI = _mm_setzero_ps();
    __m128 sumQ = _mm_setzero_ps();
    for (int j = 0; j < kFirTapCount; j += 4) {
        const __m128 w = _mm_loadu_ps(weights + j);
        sumI = _mm_add_ps(sumI, _mm_mul_ps(w, _mm_loadu_ps(wi + j)));
        sumQ = _mm_add_ps(sumQ, _mm_mul_ps(w, _mm_loadu_ps(wq + j)));
    }
    alignas(16) float lanesI[4];
    alignas(16) float lanesQ[4];
    _mm_store_ps(lanesI, sumI);
    _mm_store_ps(lanesQ, sumQ);
    return {(lanesI[0] + lanesI[1]) + (lanesI[2] + lanesI[3]),
            (lanesQ[0] + lanesQ[1]) + (lanesQ[2] + lanesQ[3])};
#else
    float sumI = 0.0f;
    float sumQ = 0.0f;
    for (int j = 0; j < kFirTapCount; ++j) {
        sumI += weights[j] * wi[j];
        sumQ += weights[j] * wq[j];
    }
    return {sumI, sumQ};
#endif
}

std::complex<float> SensitivePskReceiver::matchedAt(float back) const {
    // The pulse's 32 taps sit in the middle of the 64-sample window; the window one sample
    // earlier starts one place before it, still inside the ring.
    constexpr int kOffset = (kFirTapCount - 2 * kSamplesPerSymbolInt) / 2;
    const float* wi = ringI_.data() + ringPos_ + 1 + kOffset;
    const float* wq = ringQ_.data() + ringPos_ + 1 + kOffset;
    std::complex<float> now{};
    std::complex<float> before{};
    for (int j = 0; j < 2 * kSamplesPerSymbolInt; ++j) {
        const float t = matchedTaps_[static_cast<size_t>(j)];
        now += t * std::complex<float>(wi[j], wq[j]);
        before += t * std::complex<float>(wi[j - 1], wq[j - 1]);
    }
    return now * (1.0f - back) + before * back;
}

void SensitivePskReceiver::decimatedStep() {
    constexpr float kCombScale = 1.0f / 256.0f;
    std::complex<float> x(static_cast<float>(stage2I) * kCombScale,
                          static_cast<float>(stage2Q) * kCombScale);
    if (stages_.frequencyLoop) {
        x *= turn_;
        turn_ *= turnStep_;
        if (++turnSteps_ >= kTurnRenormalise) {
            turn_ /= magnitude(turn_);
            turnSteps_ = 0;
        }
    }
    ringPos_ = (ringPos_ + 1) & (kRingSize - 1);
    ringI_[static_cast<size_t>(ringPos_)] = ringI_[static_cast<size_t>(ringPos_ + kRingSize)] =
        x.real();
    ringQ_[static_cast<size_t>(ringPos_)] = ringQ_[static_cast<size_t>(ringPos_ + kRingSize)] =
        x.imag();

    const std::complex<float> y =
        filtered(stages_.pulseFilter ? kPulseFilterTaps.data() : plainTaps_.data());
    lastFiltered_ = y;
    std::complex<float> symbol;
    const bool taken = stages_.energyTiming ? timing_.push(y, symbol) : transitionTiming(y, symbol);
    if (!taken) return;
    level = levelBits(toSampleWord(y.real()), toSampleWord(y.imag()));
    if (!qpsk_ && stages_.coherentBpsk)
        matched_ = matchedAt(stages_.energyTiming ? timing_.lastFraction() : 0.0f);
    takeSymbol(symbol);
}

bool SensitivePskReceiver::transitionTiming(std::complex<float> sample,
                                            std::complex<float>& symbol) {
    SymbolCapture capture;
    SymbolDecoder* const attached = decoder;
    decoder = &capture;
    trackSymbolClock(toSampleWord(sample.real()), toSampleWord(sample.imag()));
    decoder = attached;
    symbol = capture.symbol;
    return capture.taken;
}

void SensitivePskReceiver::takeSymbol(std::complex<float> symbol) {
    if (stages_.frequencyLoop) {
        loop_.update(symbol);
        turnStep_ = std::polar(1.0f, -loop_.radiansPerSymbol() / kSamplesPerSymbol);
        updateAfcWord();
    }
    const int32_t i = toSampleWord(symbol.real());
    const int32_t q = toSampleWord(symbol.imag());
    const std::complex<float> change = symbol * std::conj(previousSymbol_);
    if (qpsk_ && stages_.softQpsk && qpskDecoder_ != nullptr)
        decodeQpskSoftly(change, i, q);
    else if (!qpsk_ && stages_.coherentBpsk && bpskDecoder_ != nullptr)
        decodeBpskCoherently(symbol, i, q);
    else if (decoder != nullptr)
        decoder->onSymbol(i, q, level + kLevelCodeOffset);
    previousSymbol_ = symbol;
}

void SensitivePskReceiver::showOnScope(const VaricodeDecoder& d, std::complex<float> change,
                                       int32_t i, int32_t q, int32_t floor) const {
    if (d.scope == nullptr) return;
    // The phase change in 32-bit turns and (log10 of the power - 7) * 100.
    constexpr double kTurnsPerRadian = 2147483648.0 / std::numbers::pi;
    const auto delta = static_cast<int32_t>(
        static_cast<uint32_t>(static_cast<int64_t>(std::arg(change) * kTurnsPerRadian)));
    const double power = static_cast<double>(i) * i + static_cast<double>(q) * q;
    constexpr int32_t kSilentLevel = -800;  // log10(0): the floor
    const int32_t levelCode = power > 0.0
                                  ? (static_cast<int32_t>(std::trunc(std::log10(power))) - 7) * 100
                                  : kSilentLevel;
    d.scope->showPhase(d.channelId, delta, std::max(levelCode, floor));
}

void SensitivePskReceiver::decodeQpskSoftly(std::complex<float> change, int32_t i, int32_t q) {
    // The quality comes from the soft decoder's own decisions, not the decoder's phase scatter.
    QpskDecoder& d = *qpskDecoder_;
    showOnScope(d, change, i, q, std::numeric_limits<int32_t>::min());
    const int bit = viterbi_.step(change, d.inverted != 0);
    if (viterbi_.qualityUpdated()) d.quality = viterbi_.quality();
    d.onBit(bit);
}

void SensitivePskReceiver::decodeBpskCoherently(std::complex<float> symbol, int32_t i, int32_t q) {
    // The carrier phasor averaged over the last few symbols, each turned by its decided sign,
    // is a steadier reference than the previous symbol alone (whose noise plain differential
    // detection adds to every decision); a 0 bit is a change of sign.
    constexpr float kReferenceMemory = 0.6f;
    constexpr int32_t kScopeFloor = 10;
    VaricodeDecoder& d = *bpskDecoder_;
    d.measureQuality(i, q, level + kLevelCodeOffset);
    showOnScope(d, symbol * std::conj(previousSymbol_), i, q, kScopeFloor);
    const float sign = (symbol * std::conj(reference_)).real() >= 0.0f ? 1.0f : -1.0f;
    const float decided = sequenceSign(symbol, sign);
    reference_ = kReferenceMemory * reference_ + (1.0f - kReferenceMemory) * sign * symbol;
    d.onBit(decided == previousSign_ ? 1 : 0);
    previousSign_ = decided;
}

float SensitivePskReceiver::sequenceSign(std::complex<float> symbol, float sign) {
    // The sign comes from the matched filter's sample along the reference, through the search
    // that takes out the neighbours' share in it (at the reference's size). Where the turn from
    // one symbol to the next (the sign taken out, averaged as unit phasors) is not steady, the
    // pulse filter's sample decides: while the frequency loop pulls in, the neighbours reach the
    // matched sample turned, not as the search assumes; at a signal's start (a neighbour may be
    // silence) and on noise the turns agree too little.
    constexpr float kTurningMemory = 0.9f;
    constexpr float kMaxTurn = 0.3f;       // radians per symbol
    constexpr float kMinCoherence = 0.4f;  // the averaged unit turns' length
    const std::complex<float> signedSymbol = sign * symbol;
    const std::complex<float> turn = signedSymbol * std::conj(previousSigned_);
    const float turnSize = magnitude(turn);
    turning_ *= kTurningMemory;
    if (turnSize > 0.0f) turning_ += (1.0f - kTurningMemory) * turn / turnSize;
    previousSigned_ = signedSymbol;
    const float size = magnitude(reference_);
    if (!(size > 0.0f)) return sequence_.step(0.0f, 0.0f);
    const size_t filter = stages_.pulseFilter ? 0 : 1;
    if (magnitude(turning_) < kMinCoherence || std::abs(std::arg(turning_)) > kMaxTurn) {
        const float along = (symbol * std::conj(reference_)).real() / size;
        return sequence_.step(along * matchedPerFiltered_[filter], 0.0f);
    }
    const float along = (matched_ * std::conj(reference_)).real() / size;
    return sequence_.step(along, overlapRatios_[filter] * size);
}

}  // namespace tarnvel::modem
