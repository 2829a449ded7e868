// Encodes text into audio and decodes it back through the batch tool's modem bridge, in every
// PSK variant: clean, in white noise, with the receiver tuned off and with a transmit sound
// card running fast. Bounds on the character error rate were set from measured rates with
// margin.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "app/ReceiveText.h"
#include "cli/ModemBridge.h"
#include "modem/TransmitHost.h"

namespace tarnvel::cli {
namespace {

constexpr double kRate = 11025.0;
constexpr double kCarrierHz = 1000.0;
// Characters the receiver may make of the rising carrier before the text.
constexpr size_t kOnsetCharacters = 2;

// Letters, digits, punctuation, line ends and every code from 128 to 255 that is not a
// transmit control character.
std::string mixedText() {
    std::string t =
        "CQ CQ de N0CALL: The quick brown fox jumps over the lazy dog 0123456789.\r\n"
        "Name Ann, QTH Graz (JN76), rig 5W & dipole; rst 599? ok! #73 @20m [a+b=c] {x|y} ~\r\n"
        "lower upper MiXeD 42% 3/4 \"quoted\" 'single' <tag> _under_ back\\slash\r\n";
    for (int c = 128; c <= 255; ++c)
        if (c != modem::kCharRx && c != modem::kCharRxAndClear && c != modem::kCharCwId)
            t.push_back(static_cast<char>(c));
    return t + "\r\nEND";
}

// The text as the receive window shows it (CR LF pairs become one line end).
std::string asShown(const std::string& codes) {
    app::ReceiveText window(true);
    window.appendReceivedText(codes);
    return window.text();
}

size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = up;
        }
    }
    return row[b.size()];
}

// Character error rate of `decoded` against `expected`, not counting characters made of the
// carrier's onset before the text.
double cer(const std::string& decoded, const std::string& expected) {
    size_t best = editDistance(decoded, expected);
    for (size_t skip = 1; skip <= kOnsetCharacters && skip <= decoded.size(); ++skip)
        best = std::min(best, editDistance(decoded.substr(skip), expected));
    return static_cast<double>(best) / static_cast<double>(expected.size());
}

std::vector<int16_t> encode(const ModeChoice& mode, const std::string& text,
                            double cardRate = kRate) {
    TransmitSettings settings{&mode, kCarrierHz, text, std::nullopt, cardRate};
    std::vector<int16_t> audio;
    const ModemOutcome out = renderTransmission(settings, audio);
    EXPECT_TRUE(out.ok) << out.error;
    return audio;
}

std::string decode(const ModeChoice& mode, const std::vector<int16_t>& audio,
                   double frequency = kCarrierHz, bool afc = true) {
    app::ReceiveText window(true);
    const ModemOutcome out = decodeAudio(audio, {&mode, frequency, afc, std::nullopt}, window);
    EXPECT_TRUE(out.ok) << out.error;
    return window.text();
}

// White Gaussian noise at `snrDb` in a 2500 Hz bandwidth, relative to the mean power of the
// whole transmission.
std::vector<int16_t> withNoise(const std::vector<int16_t>& audio, double snrDb, uint32_t seed) {
    double power = 0.0;
    for (const int16_t s : audio) power += static_cast<double>(s) * s;
    power /= static_cast<double>(audio.size());
    const double noiseInBand = power / std::pow(10.0, snrDb / 10.0);
    const double sigma = std::sqrt(noiseInBand * (kRate / 2.0) / 2500.0);
    std::mt19937 rng(seed);
    std::normal_distribution<double> gauss(0.0, sigma);
    std::vector<int16_t> noisy(audio.size());
    for (size_t i = 0; i < audio.size(); ++i)
        noisy[i] =
            static_cast<int16_t>(std::clamp(std::lround(audio[i] + gauss(rng)), -32768L, 32767L));
    return noisy;
}

// Near the edge of each mode (a 31.25 baud signal is about 19 dB above the noise in its own
// bandwidth at 0 dB in 2500 Hz, a 62.5 baud signal 3 dB less) some characters are lost.
struct Variant {
    const char* mode;
    double edgeSnrDb;
    double edgeCer;
};

// Measured rates were 0 at 10 dB and at +100 ppm in every variant; the bound allows one error
// in the text (about 330 characters).
constexpr double kCleanConditionCer = 0.005;

class RoundTrip : public ::testing::TestWithParam<Variant> {
  protected:
    const ModeChoice& mode() const { return *findMode(GetParam().mode); }
    const std::string text_ = mixedText();
    const std::string shown_ = asShown(text_);
};

TEST_P(RoundTrip, CleanAndTunedOffWithAfcAreExact) {
    const std::vector<int16_t> audio = encode(mode(), text_);
    const std::string clean = decode(mode(), audio);
    EXPECT_EQ(cer(clean, shown_), 0.0) << clean;
    EXPECT_TRUE(clean.ends_with(shown_)) << clean;

    const std::string offTune = decode(mode(), audio, kCarrierHz + 3.0);
    EXPECT_EQ(cer(offTune, shown_), 0.0) << offTune;
}

TEST_P(RoundTrip, NoiseAndSampleRateErrorStayWithinBounds) {
    constexpr uint32_t kSeed = 20261207;
    const std::vector<int16_t> audio = encode(mode(), text_);
    const double noisy = cer(decode(mode(), withNoise(audio, 10.0, kSeed)), shown_);
    const double edge = cer(decode(mode(), withNoise(audio, GetParam().edgeSnrDb, kSeed)), shown_);
    const double fast = cer(decode(mode(), encode(mode(), text_, kRate * (1.0 + 1e-4))), shown_);
    std::printf("%s: CER %.4f at 10 dB, %.4f at %.0f dB, %.4f at +100 ppm\n", GetParam().mode,
                noisy, edge, GetParam().edgeSnrDb, fast);
    EXPECT_LE(noisy, kCleanConditionCer);
    EXPECT_LE(edge, GetParam().edgeCer);
    EXPECT_LE(fast, kCleanConditionCer);
}

// Measured at the edge (this seed): bpsk31 0.014, bpsk63 0.020, qpsk31 0.040,
// qpsk31i 0.026.
INSTANTIATE_TEST_SUITE_P(PskVariants, RoundTrip,
                         ::testing::Values(Variant{"bpsk31", -8.0, 0.04},
                                           Variant{"bpsk63", -5.0, 0.05},
                                           Variant{"qpsk31", -8.0, 0.08},
                                           Variant{"qpsk31i", -8.0, 0.08}),
                         [](const auto& info) { return std::string(info.param.mode); });

TEST(RoundTripSideband, InvertedQpskDecodesOnlyWithTheInvertedSetting) {
    const std::string text = "Sidebands swapped: only the matching receiver reads this text.";
    for (const auto& [sent, other] : {std::pair{"qpsk31i", "qpsk31"}, {"qpsk31", "qpsk31i"}}) {
        const std::vector<int16_t> audio = encode(*findMode(sent), text);
        EXPECT_EQ(cer(decode(*findMode(sent), audio), text), 0.0) << sent;
        EXPECT_GT(cer(decode(*findMode(other), audio), text), 0.5) << sent << " read as " << other;
    }
}

}  // namespace
}  // namespace tarnvel::cli
