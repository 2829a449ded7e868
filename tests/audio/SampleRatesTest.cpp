#include "audio/SampleRates.h"

#include <gtest/gtest.h>

namespace tarnvel::audio {
namespace {

// The corrected rate is rounded half up to whole samples per second.
TEST(SampleRates, CorrectionsRoundToWholeSamplesPerSecond) {
    EXPECT_EQ(correctedRate(11025, -100), 11024.0);  // 11023.8975 + 0.5
    EXPECT_EQ(correctedRate(11025, 100), 11026.0);   // 11026.1025 + 0.5
    EXPECT_EQ(correctedRate(11025, 0), 11025.0);
    EXPECT_EQ(correctedRate(8000, 62.5), 8001.0);  // exactly 8000.5 rounds up
    const SampleRates rates = sampleRates(11025, -100, 100);
    EXPECT_EQ(rates.nominal, 11025);
    EXPECT_EQ(rates.rx, 11024.0);
    EXPECT_EQ(rates.tx, 11026.0);
}

}  // namespace
}  // namespace tarnvel::audio
