// The sensitive PSK receiver: what it decodes (clean, off tune, drifting, weak), that it keeps
// what the station reads from a receiver (quality, idle run, phase scope, the AFC word), and
// that its "specified" choice is the plain receiver bit for bit. Signals come from the test
// signal source, which is written independently of the transmitter.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "PskTestSignal.h"
#include "Recorders.h"
#include "modem/ReceiveChain.h"
#include "modem/SensitivePskReceiver.h"

namespace tarnvel::modem {
namespace {

using testing::makePskSignal;
using testing::PskSignalOptions;
using testing::stretchDistance;

constexpr size_t kTickSamples = 3307;  // the 300 ms timer at 11025 samples per second
const std::string kMessage =
    "cq cq de sp9xyz sp9xyz pse k\nthe quick brown fox jumps over the lazy dog 0123456789\n"
    "name is ann, qth graz, locator jn76, how copy? sp9xyz de n0call kn\n";

struct Reception {
    std::string text;
    int maxQuality = 0;
    int lastQuality = 0;
    double frequency = 0.0;
    size_t scopePoints = 0;
};

Reception receive(Mode mode, PskReceiverKind kind, const std::vector<int16_t>& audio, double tuneHz,
                  bool inverted = false) {
    ReceiveChain chain;
    chain.selectMode(mode);
    chain.setInvertedQpsk(inverted);
    chain.usePskReceiver(kind);
    chain.setReceiveFrequency(tuneHz, true);
    testing::ScopeRecorder scope;
    chain.attachPhaseScope(&scope);
    Reception r;
    for (size_t pos = 0; pos < audio.size(); pos += kTickSamples) {
        const size_t n = std::min(kTickSamples, audio.size() - pos);
        chain.processReceiveBlock(std::span(audio).subspan(pos, n), ReceiveChain::kDemodulate);
        chain.onTimerTick();
        chain.afcStep(20);  // a signal stands well out of the spectrum
        r.maxQuality = std::max(r.maxQuality, chain.squelchQuality());
        r.lastQuality = chain.squelchQuality();
    }
    r.text = chain.pendingText();
    r.frequency = chain.receiveFrequency();
    r.scopePoints = scope.calls.size();
    return r;
}

PskSignalOptions optionsFor(Mode mode, double carrierHz) {
    PskSignalOptions o;
    o.carrierHz = carrierHz;
    o.baud = modeInfo(mode).baud;
    o.qpsk = modeInfo(mode).coding == ModeCoding::Qpsk;
    o.preambleSymbols = 64;
    o.postambleSymbols = 64;
    return o;
}

double errorRate(const std::string& decoded) {
    return static_cast<double>(stretchDistance(decoded, kMessage)) /
           static_cast<double>(kMessage.size());
}

struct ModeCase {
    Mode mode;
    bool inverted;
};

class SensitiveModes : public ::testing::TestWithParam<ModeCase> {};

TEST_P(SensitiveModes, CleanSignalDecodesWithQualityScopeAndIdleRun) {
    const auto [mode, inverted] = GetParam();
    PskSignalOptions o = optionsFor(mode, 1000.0);
    o.invertedQpsk = inverted;
    const Reception r =
        receive(mode, PskReceiverKind::Sensitive, makePskSignal(kMessage, o), 1000.0, inverted);
    EXPECT_NE(r.text.find(kMessage), std::string::npos) << r.text;
    EXPECT_GE(r.maxQuality, 28);  // the squelch opens at the default threshold
    EXPECT_GT(r.scopePoints, kMessage.size());
    EXPECT_NEAR(r.frequency, 1000.0, 0.5);
}

TEST_P(SensitiveModes, ReceiverDecodesSignalsOffTuneAndTheAfcFollowsThem) {
    const auto [mode, inverted] = GetParam();
    // Pull-in: a quarter of the baud rate in BPSK (7.8 Hz at 31.25 baud), an eighth in QPSK.
    const double offset = modeInfo(mode).coding == ModeCoding::Qpsk ? 3.0 : 7.0;
    for (const double sign : {1.0, -1.0}) {
        PskSignalOptions o = optionsFor(mode, 1000.0 + sign * offset);
        o.invertedQpsk = inverted;
        o.preambleSymbols = 160;  // the loop pulls in within a few seconds
        const Reception r =
            receive(mode, PskReceiverKind::Sensitive, makePskSignal(kMessage, o), 1000.0, inverted);
        EXPECT_LE(errorRate(r.text), 0.02) << sign * offset << " Hz: " << r.text;
        EXPECT_NEAR(r.frequency, 1000.0 + sign * offset, 0.5) << sign * offset << " Hz";
    }
}

INSTANTIATE_TEST_SUITE_P(PskModes, SensitiveModes,
                         ::testing::Values(ModeCase{Mode::Bpsk31, false},
                                           ModeCase{Mode::Bpsk63, false},
                                           ModeCase{Mode::Qpsk31, false},
                                           ModeCase{Mode::Qpsk31, true}));

TEST(SensitivePskReceiver, FollowsADriftingSignal) {
    for (const Mode mode : {Mode::Bpsk31, Mode::Qpsk31}) {
        PskSignalOptions o = optionsFor(mode, 995.0);
        o.driftHzPerSecond = 0.25;  // 995 Hz to about 1010 Hz over the message
        const std::vector<int16_t> audio = makePskSignal(kMessage, o);
        const double endHz = 995.0 + 0.25 * static_cast<double>(audio.size()) / o.sampleRate;
        const Reception sensitive = receive(mode, PskReceiverKind::Sensitive, audio, 995.0);
        const Reception plain = receive(mode, PskReceiverKind::Specified, audio, 995.0);
        EXPECT_LE(errorRate(sensitive.text), errorRate(plain.text)) << sensitive.text;
        EXPECT_LE(errorRate(sensitive.text), 0.01) << sensitive.text;
        EXPECT_NEAR(sensitive.frequency, endHz, 1.0);
    }
}

// A few points of the weak-signal sweep (bench/PskQualityBench.cpp has the whole sweep): the
// sensitive receiver stays within its bound and is never worse than the plain receiver on the
// same recordings.
TEST(SensitivePskReceiver, CopiesWeakSignalsBetterThanThePlainReceiver) {
    struct Point {
        Mode mode;
        double snrDb;
        double bound;
    };
    for (const Point p : {Point{Mode::Bpsk31, -10.0, 0.03}, Point{Mode::Bpsk63, -8.0, 0.01},
                          Point{Mode::Qpsk31, -10.0, 0.03}}) {
        double sensitive = 0.0;
        double plain = 0.0;
        for (const uint32_t seed : {11u, 12u}) {
            PskSignalOptions o = optionsFor(p.mode, 1000.0);
            o.snrDb = p.snrDb;
            o.seed = seed;
            const std::vector<int16_t> audio = makePskSignal(kMessage, o);
            sensitive += errorRate(receive(p.mode, PskReceiverKind::Sensitive, audio, 1000.0).text);
            plain += errorRate(receive(p.mode, PskReceiverKind::Specified, audio, 1000.0).text);
        }
        const std::string point =
            std::string(modeInfo(p.mode).cliName) + " " + std::to_string(p.snrDb) + " dB";
        EXPECT_LE(sensitive / 2.0, p.bound) << point;
        EXPECT_LE(sensitive, plain) << point;
    }
}

TEST(SensitivePskReceiver, NoiseAloneKeepsTheQualityLow) {
    std::vector<int16_t> noise(11025 * 20);
    std::mt19937 rng(5);
    std::normal_distribution<double> gauss(0.0, 2000.0);
    for (int16_t& s : noise) s = static_cast<int16_t>(std::lround(gauss(rng)));
    for (const Mode mode : {Mode::Bpsk31, Mode::Qpsk31}) {
        const Reception r = receive(mode, PskReceiverKind::Sensitive, noise, 1000.0);
        EXPECT_LT(r.lastQuality, 31 - 20) << modeInfo(mode).cliName;  // squelch shut at 20
        EXPECT_NEAR(r.frequency, 1000.0, 8.0);
    }
}

TEST(SensitivePskReceiver, SpecifiedChoiceIsThePlainReceiverBitForBit) {
    PskSignalOptions o = optionsFor(Mode::Bpsk31, 1003.0);
    o.snrDb = -3.0;
    const std::vector<int16_t> audio = makePskSignal("bit for bit", o);
    PskReceiver plain;
    SensitivePskReceiver chosen;
    chosen.useReceiver(PskReceiverKind::Specified);
    testing::SymbolRecorder a;
    testing::SymbolRecorder b;
    plain.attachDecoder(&a);
    chosen.attachDecoder(&b);
    for (PskReceiver* r : {&plain, static_cast<PskReceiver*>(&chosen)}) {
        r->setCarrierFrequency(1000.0);
        r->processSamples(audio.data(), static_cast<int>(audio.size()));
    }
    ASSERT_EQ(a.symbols.size(), b.symbols.size());
    ASSERT_FALSE(a.symbols.empty());
    for (size_t n = 0; n < a.symbols.size(); ++n) {
        EXPECT_EQ(a.symbols[n].i, b.symbols[n].i) << n;
        EXPECT_EQ(a.symbols[n].q, b.symbols[n].q) << n;
        EXPECT_EQ(a.symbols[n].levelCode, b.symbols[n].levelCode) << n;
    }
    EXPECT_EQ(chosen.afcErrorWord(), nullptr);  // the decoder's drift serves the AFC
}

TEST(SensitivePskReceiver, RetunesToAnotherSignalForgetTheMeasuredOffsetAfcRetunesDoNot) {
    PskSignalOptions o = optionsFor(Mode::Bpsk31, 1005.0);
    const std::vector<int16_t> audio = makePskSignal(kMessage, o);
    ReceiveChain chain;
    chain.selectMode(Mode::Bpsk31);
    chain.usePskReceiver(PskReceiverKind::Sensitive);
    chain.setReceiveFrequency(1000.0, true);
    chain.processReceiveBlock(std::span(audio).first(11025 * 8), ReceiveChain::kDemodulate);
    SensitivePskReceiver& r = chain.sensitivePskReceiver();
    EXPECT_NEAR(r.measuredOffsetHz(), 5.0, 0.3);
    // An AFC step moves the mixer; the loop's measure moves with it, the signal stays put.
    const AfcOutcome step = chain.afcStep(20);
    EXPECT_TRUE(step.moved);
    EXPECT_NEAR(r.measuredOffsetHz() + step.frequency, 1005.0, 0.3);
    // A move beyond the loop's range (a retune to another signal) starts the loop afresh.
    chain.setReceiveFrequency(1200.0, false);
    EXPECT_EQ(r.measuredOffsetHz(), 0.0);
}

}  // namespace
}  // namespace tarnvel::modem
