#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "modem/Transmitter.h"

namespace tarnvel::modem {
namespace {

constexpr size_t kBuffer = Transmitter::kBufferSamples;
constexpr int kBuffers = 40;  // 40960 samples: preamble, text and postamble

// Renders the same transmission through the sound card path twice: once straight from the
// sequencer (what the modulator makes), once through the transmitter with its level.
struct TwoRuns {
    std::vector<int16_t> raw, levelled;
};
TwoRuns render(double attenuationDb) {
    TextTransmitHost rawHost, levelHost;
    Transmitter raw(rawHost), levelled(levelHost);
    levelled.setAttenuationDb(attenuationDb);
    for (TextTransmitHost* h : {&rawHost, &levelHost}) h->type("CQ CQ DE SP9XYZ\xae");
    raw.startTransmission();
    levelled.startTransmission();
    TwoRuns runs;
    std::vector<int16_t> a(kBuffer), b(kBuffer);
    for (int k = 0; k < kBuffers; ++k) {
        const bool filledRaw = raw.soundCardSequencer().fillOutputBuffer(k % 4, a.data(), kBuffer);
        const bool filledLevelled = levelled.fillOutputBuffer(k % 4, b.data(), kBuffer);
        EXPECT_EQ(filledRaw, filledLevelled);
        if (!filledRaw) break;
        runs.raw.insert(runs.raw.end(), a.begin(), a.end());
        runs.levelled.insert(runs.levelled.end(), b.begin(), b.end());
    }
    return runs;
}

int peak(const std::vector<int16_t>& s) {
    int p = 0;
    for (int16_t v : s) p = std::max(p, std::abs(static_cast<int>(v)));
    return p;
}

TEST(TransmitLevel, ZeroDbLeavesEverySampleAsTheModulatorMadeIt) {
    const TwoRuns runs = render(0.0);
    ASSERT_GT(runs.raw.size(), 10 * kBuffer);
    EXPECT_EQ(runs.levelled, runs.raw);
    EXPECT_GE(peak(runs.raw), 32766);  // full scale
}

TEST(TransmitLevel, AttenuationScalesEverySampleByTheGainRounded) {
    for (double db : {6.0, 0.5, 20.0, 60.0}) {
        const TwoRuns runs = render(db);
        ASSERT_EQ(runs.levelled.size(), runs.raw.size());
        const double gain = std::pow(10.0, -db / 20.0);
        double worst = 0.0;
        for (size_t i = 0; i < runs.raw.size(); ++i)
            worst = std::max(worst, std::fabs(runs.levelled[i] - runs.raw[i] * gain));
        // Rounded to the nearest step, the gain itself held to 1/65536: 0.5 + 32767 / 131072.
        EXPECT_LE(worst, 0.75) << db << " dB";
        EXPECT_NEAR(peak(runs.levelled), 32766 * gain, 1.0) << db << " dB";
    }
    // -6 dB halves the amplitude (the gain is 0.5012).
    EXPECT_NEAR(peak(render(6.0).levelled) / 32766.0, 0.5, 0.002);
}

TEST(TransmitLevel, OutOfRangeAttenuationsAreClamped) {
    TransmitLevel level;
    level.setAttenuationDb(-3.0);
    EXPECT_EQ(level.attenuationDb(), 0.0);
    level.setAttenuationDb(std::nan(""));
    EXPECT_EQ(level.attenuationDb(), 0.0);
    level.setAttenuationDb(200.0);
    EXPECT_EQ(level.attenuationDb(), TransmitLevel::kMaxAttenuationDb);
    // Symmetric rounding: a sample and its negative stay each other's negative.
    level.setAttenuationDb(6.0);
    int16_t s[4] = {32767, -32767, -32768, 3};
    level.apply(s, 4);
    EXPECT_EQ(s[0], -s[1]);
    EXPECT_EQ(s[2], -16423);
    EXPECT_EQ(s[3], 2);  // 1.5036 rounds to 2
}

TEST(TransmitLevel, TheBlockPathIsLevelledToo) {
    TextTransmitHost hostA, hostB;
    Transmitter a(hostA), b(hostB);
    b.setAttenuationDb(6.0);
    hostA.type("TEST\xae");
    hostB.type("TEST\xae");
    const RenderedTransmission full = a.renderTransmission(200000);
    const RenderedTransmission half = b.renderTransmission(200000);
    ASSERT_TRUE(full.complete);
    ASSERT_EQ(full.samples.size(), half.samples.size());
    EXPECT_NEAR(peak(half.samples) / static_cast<double>(peak(full.samples)), 0.5012, 0.001);
}

}  // namespace
}  // namespace tarnvel::modem
