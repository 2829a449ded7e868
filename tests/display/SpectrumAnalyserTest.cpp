#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "display/SpectrumAnalyser.h"
#include "display/SpectrumCollector.h"
#include "display/SpectrumWindow.h"

namespace tarnvel::display {
namespace {

constexpr double kTwoPi = 6.283185307179586;

// The row as the plain definition gives it: a double-precision DFT of every bin, floor added,
// log10 taken.
std::vector<double> naiveLogPower(const std::vector<float>& x) {
    std::vector<double> out(kSpectrumBins, 0.0);
    for (int k = 1; k < kSpectrumBins; ++k) {
        double re = 0, im = 0;
        for (int n = 0; n < kSpectrumBlockSize; ++n) {
            const double a =
                kTwoPi * static_cast<double>((k * n) % kSpectrumBlockSize) / kSpectrumBlockSize;
            re += x[static_cast<size_t>(n)] * std::cos(a);
            im -= x[static_cast<size_t>(n)] * std::sin(a);
        }
        out[static_cast<size_t>(k)] = std::log10(re * re + im * im + 28145.8) - 4.4494132;
    }
    return out;
}

TEST(SpectrumCollector, FillsOneBlockThenDropsUntilCleared) {
    SpectrumCollector c;
    std::vector<int16_t> block(512);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<int16_t>(i);

    for (int i = 0; i < 3; ++i) EXPECT_FALSE(c.collect(block.data(), block.size()));
    EXPECT_EQ(c.writePosition(), 1536);

    // A 600-sample block completes the collection after 512 samples; the last 88 are dropped.
    std::vector<int16_t> longer(600, 7);
    longer[511] = 99;
    longer[512] = -5;
    EXPECT_TRUE(c.collect(longer.data(), longer.size()));
    EXPECT_TRUE(c.blockReady());
    EXPECT_EQ(c.writePosition(), 0);
    EXPECT_EQ(c.block()[2047], 99.0f);
    EXPECT_EQ(c.block()[511], 511.0f);

    // While ready nothing is taken at all.
    EXPECT_FALSE(c.collect(block.data(), block.size()));
    EXPECT_EQ(c.writePosition(), 0);
    EXPECT_EQ(c.block()[0], 0.0f);

    c.clearBlockReady();
    EXPECT_FALSE(c.collect(longer.data() + 512, 1));
    EXPECT_EQ(c.block()[0], -5.0f);
    EXPECT_EQ(c.writePosition(), 1);
}

TEST(SpectrumAnalyser, LogPowerMatchesDoublePrecisionDft) {
    std::mt19937 rng(1234);
    std::uniform_real_distribution<float> noise(-8000.0f, 8000.0f);
    std::vector<float> x(kSpectrumBlockSize);
    for (size_t n = 0; n < x.size(); ++n)
        x[n] = std::round(noise(rng) + 12000.0f * static_cast<float>(std::sin(0.3 * n)));

    const auto original = x;
    SpectrumAnalyser analyser;
    std::vector<float> out(kSpectrumBins, -1.0f);
    analyser.compute(x.data(), 0, kSpectrumBins - 1, 1.0f, 1, out.data());
    const auto expected = naiveLogPower(x);

    EXPECT_EQ(out[0], 0.0f);
    for (int k = 1; k < kSpectrumBins; ++k)
        EXPECT_NEAR(out[static_cast<size_t>(k)], expected[static_cast<size_t>(k)], 2e-5) << k;
    EXPECT_EQ(x, original);  // the block is not consumed
}

TEST(SpectrumAnalyser, FullScaleSineOnABinReadsAbout5_30) {
    // 32767 x sin at bin 186 (about 1001 Hz) without a window: |X| = 32767 x 1024.
    std::vector<float> block(kSpectrumBlockSize);
    for (int n = 0; n < kSpectrumBlockSize; ++n)
        block[static_cast<size_t>(n)] =
            static_cast<float>(32767.0 * std::sin(kTwoPi * 186.0 * n / kSpectrumBlockSize));
    SpectrumAnalyser analyser;
    SpectrumRow row;
    analyser.analyseBlock(block.data(), SpectrumWindow::None, row);
    EXPECT_NEAR(row[186], 5.30, 0.005);
    EXPECT_NEAR(row[186] * 20, 106.0, 0.1);
    // Far from the tone the unwindowed sine leaves only rounding noise.
    EXPECT_LT(row[400], 0.5f);
    // Bin 512 is an ordinary bin: a tone there reads like one anywhere else.
    for (int n = 0; n < kSpectrumBlockSize; ++n)
        block[static_cast<size_t>(n)] =
            static_cast<float>(32767.0 * std::sin(kTwoPi * 512.0 * n / kSpectrumBlockSize + 0.3));
    analyser.analyseBlock(block.data(), SpectrumWindow::None, row);
    EXPECT_NEAR(row[512], 5.30, 0.005);
    EXPECT_LT(row[511], 1.0f);
    EXPECT_LT(row[513], 1.0f);
}

TEST(SpectrumAnalyser, AveragingCountFourMovesAQuarterOfTheWay) {
    SpectrumAnalyser analyser;
    std::vector<float> loud(kSpectrumBlockSize), quiet(kSpectrumBlockSize, 0.0f);
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> noise(-20000.0f, 20000.0f);
    for (auto& v : loud) v = noise(rng);

    std::vector<float> first(kSpectrumBins), second(kSpectrumBins), fresh(kSpectrumBins);
    analyser.compute(loud.data(), 0, kSpectrumBins - 1, 1.0f, 1, first.data());
    EXPECT_FALSE(analyser.averaging());
    analyser.compute(quiet.data(), 0, kSpectrumBins - 1, 1.0f, 4, second.data());
    EXPECT_TRUE(analyser.averaging());
    EXPECT_EQ(analyser.averagingCount(), 4);

    SpectrumAnalyser other;
    other.compute(quiet.data(), 0, kSpectrumBins - 1, 1.0f, 1, fresh.data());
    for (int k = 1; k < kSpectrumBins; ++k) {
        const auto i = static_cast<size_t>(k);
        EXPECT_NEAR(second[i], first[i] + 0.25f * (fresh[i] - first[i]), 1e-5) << k;
    }
    EXPECT_EQ(second[0], 0.0f);
}

TEST(SpectrumWindow, UnknownSettingsBehaveAsHann) {
    EXPECT_EQ(spectrumWindowFromSetting(7), SpectrumWindow::Hann);
    EXPECT_EQ(spectrumWindowFromSetting(-1), SpectrumWindow::Hann);
    EXPECT_EQ(spectrumWindowFromSetting(2), SpectrumWindow::Hann);
}

TEST(SpectrumWindow, WeightsMatchTheirDefinitions) {
    for (int i = 0; i < kSpectrumBlockSize; i += 17) {
        const double th = kTwoPi * i / 2048.0;
        EXPECT_NEAR(spectrumWindowWeight(SpectrumWindow::Hann, i), 0.5 - 0.5 * std::cos(th), 1e-9)
            << i;
        EXPECT_NEAR(spectrumWindowWeight(SpectrumWindow::BlackmanNuttall, i),
                    0.3635819 - 0.4891775 * std::cos(th) + 0.1365995 * std::cos(2 * th) -
                        0.0106411 * std::cos(3 * th),
                    1e-9)
            << i;
        EXPECT_EQ(spectrumWindowWeight(SpectrumWindow::None, i), 1.0);
    }
}

TEST(SpectrumWindow, TriangularIsOneSampleOffSymmetric) {
    const auto w = [](int i) { return spectrumWindowWeight(SpectrumWindow::Triangular, i); };
    EXPECT_EQ(w(0), 0.0);
    EXPECT_EQ(w(2047), 0.0);
    EXPECT_EQ(w(1023), 1023.0 / 1024.0);
    EXPECT_EQ(w(1024), 1023.0 / 1024.0);
    EXPECT_EQ(w(1), 1.0 / 1024.0);
    EXPECT_EQ(w(2046), 1.0 / 1024.0);
    // Mirror about the centre pair: w(i) = w(2047 - i), not w(2048 - i).
    EXPECT_EQ(w(500), w(1547));
    EXPECT_NE(w(500), w(1548));
    for (int i = 0; i < 2047; ++i) EXPECT_LE(w(i), 1023.0 / 1024.0);
}

}  // namespace
}  // namespace tarnvel::display
