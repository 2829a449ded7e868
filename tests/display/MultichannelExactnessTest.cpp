// The search, the snap to a signal's centre and the channel receivers must come out the same
// to the last bit when their arithmetic is reorganised for speed: a busy band goes through the
// whole multichannel path, and every channel's letter, final frequency (its exact bits, after
// the search, the snap and the AFC) and text are folded into a checksum, which must equal the
// one of the straightforward code. (Taken again, on the same arithmetic, when the band's text
// began to leave out the noise a channel decodes in the window's hold after an over.)

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "display/BandDecoder.h"
#include "modem/PskTestSignal.h"

namespace tarnvel::display {
namespace {

uint64_t fold(uint64_t hash, uint64_t v) {
    for (int b = 0; b < 8; ++b) {
        hash ^= (v >> (8 * b)) & 0xFFu;
        hash *= 0x100000001B3ull;
    }
    return hash;
}

// Fourteen signals from strong to weak, some close together, one drifting off its start.
std::vector<int16_t> busyBand(double baud) {
    std::vector<double> mix;
    for (int k = 0; k < 14; ++k) {
        modem::testing::PskSignalOptions o;
        o.carrierHz = 430.0 + 171.3 * k + (k % 3 == 0 ? 23.0 : 0.0);
        o.amplitude = 2500.0 / (1.0 + 0.35 * k);
        o.baud = baud;
        o.preambleSymbols = static_cast<int>((60 + 13 * k) * baud / 31.25);
        o.postambleSymbols = 40;
        o.seed = static_cast<uint32_t>(k + 1);
        const std::string text = "CQ DE SIGNAL " + std::to_string(k) + " PSE K";
        const std::vector<int16_t> one = modem::testing::makePskSignal(text, o);
        mix.resize(std::max(mix.size(), one.size()));
        for (size_t n = 0; n < one.size(); ++n) mix[n] += one[n];
    }
    // Deterministic noise from a linear congruential generator (sum of four uniforms).
    uint32_t state = 12345;
    std::vector<int16_t> out(mix.size());
    for (size_t n = 0; n < mix.size(); ++n) {
        double u = 0.0;
        for (int j = 0; j < 4; ++j) {
            state = state * 1664525u + 1013904223u;
            u += static_cast<double>(state >> 8) / (1 << 24) - 0.5;
        }
        out[n] =
            static_cast<int16_t>(std::lround(std::clamp(mix[n] + 300.0 * u, -32768.0, 32767.0)));
    }
    return out;
}

uint64_t bandChecksum(modem::Mode mode, double baud, size_t& channels) {
    BandDecodeOptions options;
    options.mode = mode;
    // The path the checksums were taken on: the plain receivers, channels from their opening.
    options.settings.pskReceiver = modem::PskReceiverKind::Specified;
    options.catchUp = false;
    const BandDecodeResult r = decodeBand(busyBand(baud), options);
    EXPECT_TRUE(r.ok) << r.error;
    channels = r.channels.size();
    uint64_t hash = 0xCBF29CE484222325ull;
    for (const BandChannel& c : r.channels) {
        hash = fold(hash, static_cast<uint64_t>(c.letter));
        hash = fold(hash, std::bit_cast<uint64_t>(c.frequency));
        for (char ch : c.text) hash = fold(hash, static_cast<unsigned char>(ch));
    }
    return hash;
}

TEST(MultichannelExactness, BusyBandsComeOutAsFromTheStraightforwardCode) {
    size_t channels = 0;
    const uint64_t bpsk31 = bandChecksum(modem::Mode::Bpsk31, 31.25, channels);
    EXPECT_GE(channels, 10u);
    EXPECT_EQ(bpsk31, 0xab8da065bb908684ull) << std::hex << bpsk31;
    const uint64_t bpsk63 = bandChecksum(modem::Mode::Bpsk63, 62.5, channels);
    EXPECT_GE(channels, 6u);
    EXPECT_EQ(bpsk63, 0xb24a1023ec328a14ull) << std::hex << bpsk63;
}

}  // namespace
}  // namespace tarnvel::display
