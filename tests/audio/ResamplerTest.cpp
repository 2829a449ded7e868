#include "audio/Resampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace tarnvel::audio {
namespace {

std::vector<int16_t> tone(double hz, double rate, double seconds, double amplitude) {
    std::vector<int16_t> s(static_cast<size_t>(rate * seconds));
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<int16_t>(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * double(i) / rate)));
    return s;
}

// Frequency from the first and last rising zero crossings (linearly interpolated) of the
// middle half, away from the filter's edges.
double measuredFrequency(const std::vector<int16_t>& s, double rate) {
    double first = -1, last = -1;
    int crossings = 0;
    for (size_t i = s.size() / 4; i < 3 * s.size() / 4; ++i) {
        if (s[i - 1] < 0 && s[i] >= 0) {
            const double t = double(i - 1) + double(-s[i - 1]) / double(s[i] - s[i - 1]);
            if (first < 0) first = t;
            last = t;
            ++crossings;
        }
    }
    return (crossings - 1) * rate / (last - first);
}

double rmsOfMiddle(const std::vector<int16_t>& s) {
    double sum = 0;
    const size_t from = s.size() / 4, to = 3 * s.size() / 4;
    for (size_t i = from; i < to; ++i) sum += double(s[i]) * s[i];
    return std::sqrt(sum / double(to - from));
}

TEST(Resampler, ToneComesOutAtTheModemRateWithFrequencyLevelAndLengthKept) {
    for (double rate : {48000.0, 8000.0, 44100.0, 192000.0}) {
        const std::vector<int16_t> in = tone(1000, rate, 2.0, 16000);
        const ResampleResult out = resampleBuffer(in, rate, kModemSampleRate);
        ASSERT_TRUE(out.ok) << out.error;
        EXPECT_NEAR(double(out.samples.size()), 2.0 * kModemSampleRate, 2.0) << rate;
        EXPECT_NEAR(measuredFrequency(out.samples, kModemSampleRate), 1000.0, 0.01) << rate;
        EXPECT_NEAR(rmsOfMiddle(out.samples), 16000 / std::sqrt(2.0), 16000 * 0.002) << rate;
    }
}

TEST(Resampler, ModemAudioGoesToAnyOutputRate) {
    const std::vector<int16_t> in = tone(1500, kModemSampleRate, 1.0, 20000);
    for (double rate : {8000.0, 22050.0, 48000.0}) {
        const ResampleResult out = resampleBuffer(in, kModemSampleRate, rate);
        ASSERT_TRUE(out.ok);
        EXPECT_NEAR(double(out.samples.size()), rate, 2.0);
        EXPECT_NEAR(measuredFrequency(out.samples, rate), 1500.0, 0.02) << rate;
        EXPECT_NEAR(rmsOfMiddle(out.samples), 20000 / std::sqrt(2.0), 20000 * 0.002) << rate;
    }
}

TEST(Resampler, StreamedBlocksGiveTheSameAudioAsOneBufferAndTheObjectIsReusable) {
    const std::vector<int16_t> in = tone(700, 48000, 1.0, 12000);
    const ResampleResult whole = resampleBuffer(in, 48000, kModemSampleRate);
    ASSERT_TRUE(whole.ok);

    Resampler stream;
    ASSERT_TRUE(stream.open(48000, kModemSampleRate));
    for (int pass = 0; pass < 2; ++pass) {  // the second pass after reset() must match too
        std::vector<int16_t> out;
        out.reserve(stream.maxOutputFor(in.size()) + 4096);
        const int16_t* p = in.data();
        size_t left = in.size();
        for (size_t block = 1; left > 0; block = block * 3 + 1) {  // 1, 4, 13, ... samples
            const size_t n = std::min(left, block % 5000 + 1);
            stream.process({p, n}, out);
            p += n;
            left -= n;
        }
        stream.finish(out);
        EXPECT_TRUE(stream.error().empty());
        EXPECT_EQ(out, whole.samples) << "pass " << pass;
        stream.reset();
    }
}

TEST(Resampler, EqualRatesPassThroughAndBadRatesAreRefused) {
    const std::vector<int16_t> in = tone(440, kModemSampleRate, 0.1, 30000);
    const ResampleResult same = resampleBuffer(in, kModemSampleRate, kModemSampleRate);
    ASSERT_TRUE(same.ok);
    EXPECT_EQ(same.samples, in);

    Resampler r;
    EXPECT_FALSE(r.open(0, kModemSampleRate));
    EXPECT_FALSE(r.error().empty());
    EXPECT_FALSE(r.open(48000, std::nan("")));
    std::vector<int16_t> out;
    EXPECT_EQ(r.process(in, out), 0u);
    EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace tarnvel::audio
