#include "audio/Resampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <span>

#include "SoundTestSupport.h"

namespace tarnvel::audio {
namespace {

std::vector<int16_t> tone(double hz, double rate, double seconds, double amplitude) {
    std::vector<int16_t> s(static_cast<size_t>(rate * seconds));
    test::Tone(hz, rate, amplitude).fill(s);
    return s;
}

// The middle half, away from the filter's edges.
std::span<const int16_t> middle(const std::vector<int16_t>& s) {
    return std::span<const int16_t>(s).subspan(s.size() / 4, s.size() / 2);
}

// To the modem rate from common card rates and back out to others: frequency, level and
// length are kept.
TEST(Resampler, ToneKeepsFrequencyLevelAndLengthBetweenRates) {
    struct Case {
        double from, to, hz, amplitude, hzTolerance;
    };
    for (const Case c : {Case{48000, kModemSampleRate, 1000, 16000, 0.01},
                         Case{8000, kModemSampleRate, 1000, 16000, 0.01},
                         Case{44100, kModemSampleRate, 1000, 16000, 0.01},
                         Case{192000, kModemSampleRate, 1000, 16000, 0.01},
                         Case{kModemSampleRate, 8000, 1500, 20000, 0.02},
                         Case{kModemSampleRate, 22050, 1500, 20000, 0.02},
                         Case{kModemSampleRate, 48000, 1500, 20000, 0.02}}) {
        const ResampleResult out =
            resampleBuffer(tone(c.hz, c.from, 2.0, c.amplitude), c.from, c.to);
        ASSERT_TRUE(out.ok) << out.error;
        EXPECT_NEAR(double(out.samples.size()), 2.0 * c.to, 2.0) << c.from << " " << c.to;
        EXPECT_NEAR(test::measureFrequency(middle(out.samples), c.to), c.hz, c.hzTolerance)
            << c.from << " " << c.to;
        EXPECT_NEAR(test::rms(middle(out.samples)), c.amplitude / std::sqrt(2.0),
                    c.amplitude * 0.002)
            << c.from << " " << c.to;
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
