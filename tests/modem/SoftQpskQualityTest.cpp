// The squelch's quality figure of the sensitive receiver's soft QPSK decoder: measured against
// the decoder's own decisions, it reads the top of the scale on a clean signal, stays low on
// noise and silence, and lets the default squelch pass a weak signal the decoder copies, which
// the scatter of the symbols' phases alone would shut out.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "PskTestSignal.h"
#include "modem/ReceiveChain.h"
#include "modem/SoftQpskViterbi.h"

namespace tarnvel::modem {
namespace {

using cf = std::complex<float>;

constexpr int kWindow = SoftQpskViterbi::kQualityWindow;
constexpr int kShutAt20 = Squelch::kMaxThreshold - 20;  // the quality that opens squelch 20
constexpr int kShutAt15 = Squelch::kMaxThreshold - 15;

// QPSK31 symbols for random data, as unit phasors, in the transmitter's differential sense.
std::vector<cf> qpskSymbols(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<cf> symbols;
    unsigned reg = 0;
    int phase = 0;
    for (size_t k = 0; k < n; ++k) {
        reg = ((reg << 1) | (rng() & 1u)) & 31u;
        phase += (std::popcount(reg & 25u) & 1) * 2 + (std::popcount(reg & 23u) & 1);
        symbols.push_back(
            std::polar(1.0f, -std::numbers::pi_v<float> / 2 * static_cast<float>(phase)));
    }
    return symbols;
}

// Adds complex white noise of the given power to each symbol.
void addNoise(std::vector<cf>& symbols, float noisePower, unsigned seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<float> gauss(0.0f, std::sqrt(noisePower / 2.0f));
    for (cf& s : symbols) s += cf(gauss(rng), gauss(rng));
}

// The figure after each full window, from the symbols' phase changes.
std::vector<int> windowQualities(const std::vector<cf>& symbols, float scale = 1.0f) {
    SoftQpskViterbi viterbi;
    std::vector<int> qualities;
    cf previous = symbols.empty() ? cf{} : symbols.front();
    for (const cf s : symbols) {
        viterbi.step(scale * s * std::conj(previous), false);
        previous = s;
        if (viterbi.qualityUpdated()) qualities.push_back(viterbi.quality());
    }
    return qualities;
}

size_t countAtLeast(const std::vector<int>& qualities, int level) {
    return static_cast<size_t>(
        std::count_if(qualities.begin(), qualities.end(), [level](int q) { return q >= level; }));
}

TEST(SoftQpskQuality, CleanSignalReadsTheTopWhateverItsLevelAndOnlyFullWindowsCount) {
    const std::vector<cf> symbols = qpskSymbols(10 * kWindow, 1);
    for (const float scale : {1e-4f, 1.0f, 1e7f}) {
        const std::vector<int> q = windowQualities(symbols, scale);
        ASSERT_EQ(q.size(), 10u);
        EXPECT_EQ(countAtLeast(q, SoftQpskViterbi::kBestQuality), q.size()) << scale;
    }
    SoftQpskViterbi viterbi;
    for (int n = 1; n < kWindow; ++n) {
        viterbi.step(cf(1.0f, 0.0f), false);
        EXPECT_FALSE(viterbi.qualityUpdated());
    }
    viterbi.step(cf(1.0f, 0.0f), false);
    EXPECT_TRUE(viterbi.qualityUpdated());
    EXPECT_EQ(viterbi.quality(), SoftQpskViterbi::kBestQuality);
    viterbi.reset();
    EXPECT_EQ(viterbi.quality(), 0);
    EXPECT_FALSE(viterbi.qualityUpdated());
}

TEST(SoftQpskQuality, NoiseAndSilenceStayBelowTheSquelchLevels) {
    // Noise alone: symbols of random phase and size, 1000 windows (about 16 minutes).
    std::vector<cf> noise(1000 * kWindow, cf{});
    addNoise(noise, 1.0f, 7);
    const std::vector<int> q = windowQualities(noise);
    EXPECT_EQ(countAtLeast(q, kShutAt20), 0u);
    EXPECT_LE(countAtLeast(q, 6), q.size() / 100);  // squelch 25 shut 99 % of the time
    // Digital silence agrees with nothing.
    const std::vector<int> silent = windowQualities(std::vector<cf>(5 * kWindow, cf{}));
    EXPECT_EQ(countAtLeast(silent, 1), 0u);
    // A NaN from a broken input does not open the squelch either.
    EXPECT_EQ(SoftQpskViterbi::qualityOf(std::nanf("")), 0);
    EXPECT_EQ(SoftQpskViterbi::qualityOf(-1.0f), 0);
    EXPECT_EQ(SoftQpskViterbi::qualityOf(1.0f), SoftQpskViterbi::kBestQuality);
}

TEST(SoftQpskQuality, SymbolsOfAWeakSignalTheDecoderCopiesOpenTheSquelch) {
    // Es/N0 of 9 dB, a QPSK31 signal at -10 dB in 2500 Hz: the changes scatter by about 20
    // degrees, enough for the phase-scatter figure to read noise.
    std::vector<cf> symbols = qpskSymbols(200 * kWindow, 3);
    addNoise(symbols, std::pow(10.0f, -0.9f), 4);
    const std::vector<int> q = windowQualities(symbols);
    EXPECT_GE(countAtLeast(q, kShutAt20), q.size() * 97 / 100);
    EXPECT_GE(countAtLeast(q, kShutAt15), q.size() * 85 / 100);
}

// Through the whole chain with the sensitive receiver (the default): an over between stretches
// of noise, text kept as the station keeps it (only while the squelch passes it).
struct SquelchedReception {
    std::string text;
    std::vector<bool> open;  // the squelch after each tick
};

constexpr size_t kTickSamples = 3307;  // the 300 ms timer at 11025 samples per second
constexpr double kRate = 11025.0;
const std::string kMessage =
    "cq cq de sp9xyz sp9xyz pse k\nthe quick brown fox jumps over the lazy dog 0123456789\n"
    "name is ann, qth graz, locator jn76, how copy? sp9xyz de n0call kn\n";

SquelchedReception receiveSquelched(const std::vector<int16_t>& audio, int threshold) {
    ReceiveChain chain;
    chain.selectMode(Mode::Qpsk31);
    chain.usePskReceiver(PskReceiverKind::Sensitive);
    chain.setReceiveFrequency(1000.0, true);
    chain.squelch().setThreshold(threshold);
    SquelchedReception r;
    for (size_t pos = 0; pos < audio.size(); pos += kTickSamples) {
        const size_t n = std::min(kTickSamples, audio.size() - pos);
        chain.processReceiveBlock(std::span(audio).subspan(pos, n), ReceiveChain::kDemodulate);
        chain.onTimerTick();
        chain.afcStep(10);
        if (chain.textPasses(false)) r.text += chain.pendingText();
        chain.clearPendingText();
        r.open.push_back(chain.squelch().isOpen());
    }
    return r;
}

// `quiet` seconds of noise, the over at `snrDb`, and `quiet` seconds of noise again.
std::vector<int16_t> overInNoise(double snrDb, double quiet, unsigned seed) {
    testing::PskSignalOptions o;
    o.qpsk = true;
    o.preambleSymbols = 64;
    o.postambleSymbols = 64;
    const std::vector<int16_t> clean = testing::makePskSignal(kMessage, o);
    double power = 0.0;
    for (const int16_t v : clean) power += static_cast<double>(v) * v;
    power /= static_cast<double>(clean.size());
    const double sigma = std::sqrt(power / std::pow(10.0, snrDb / 10.0) * (kRate / 2.0) / 2500.0);
    const auto lead = static_cast<size_t>(quiet * kRate);
    std::vector<int16_t> audio(2 * lead + clean.size());
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, sigma);
    for (size_t n = 0; n < audio.size(); ++n) {
        const double x =
            (n >= lead && n < lead + clean.size() ? clean[n - lead] : 0.0) + noise(rng);
        audio[n] = static_cast<int16_t>(std::clamp(std::lround(x), -32767L, 32767L));
    }
    return audio;
}

double totalError(const std::string& got) {
    return static_cast<double>(testing::editDistance(kMessage, got)) /
           static_cast<double>(kMessage.size());
}

TEST(SoftQpskQuality, WeakQpskPassesTheDefaultSquelchAndTheNoiseAroundItDoesNot) {
    constexpr double kQuiet = 8.0;
    const auto quietTicks = static_cast<size_t>(kQuiet * kRate) / kTickSamples;
    for (const unsigned seed : {21u, 22u}) {
        const std::vector<int16_t> audio = overInNoise(-10.0, kQuiet, seed);
        const SquelchedReception r = receiveSquelched(audio, Squelch::kDefaultThreshold);
        // Most of the text (today's scatter figure shut out 40..60 % of it), little junk.
        EXPECT_LE(totalError(r.text), 0.12) << r.text;
        // Shut over the noise before the over, and again within four seconds of its end.
        const size_t overEnd = r.open.size() - quietTicks;
        EXPECT_EQ(std::count(r.open.begin(), r.open.begin() + static_cast<long>(quietTicks), true),
                  0);
        EXPECT_EQ(std::count(r.open.begin() + static_cast<long>(overEnd + 13), r.open.end(), true),
                  0);
    }
}

TEST(SoftQpskQuality, NoiseAloneNeverOpensTheSquelchsDefaultLevels) {
    std::vector<int16_t> noise(static_cast<size_t>(120 * kRate));
    std::mt19937 rng(9);
    std::normal_distribution<double> gauss(0.0, 2000.0);
    for (int16_t& s : noise) s = static_cast<int16_t>(std::lround(gauss(rng)));
    for (const int threshold : {15, 20}) {
        const SquelchedReception r = receiveSquelched(noise, threshold);
        EXPECT_EQ(std::count(r.open.begin(), r.open.end(), true), 0) << threshold;
        EXPECT_TRUE(r.text.empty()) << threshold;
    }
}

}  // namespace
}  // namespace tarnvel::modem
