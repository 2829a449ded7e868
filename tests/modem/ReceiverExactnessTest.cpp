// The receivers' outputs must not move when their arithmetic is reorganised for speed: every
// symbol value, bit and phase-scope call of the PSK and FSK front ends over a long,
// busy input is folded into a checksum, and the checksums below are those of the plain
// one-sample-at-a-time front end. The input covers noise, several carriers with phase
// reversals, full-scale clipping (where the filter sums wrap), retuning, a sound card rate
// change without a reset, and odd block lengths.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "Recorders.h"
#include "modem/Fsk31Receiver.h"
#include "modem/Fsk63Receiver.h"
#include "modem/PskReceiver.h"

namespace tarnvel::modem {
namespace {

// FNV-1a over 32-bit words.
class Checksum {
  public:
    void add(int64_t v) {
        for (int b = 0; b < 8; ++b) {
            hash_ ^= static_cast<uint64_t>(v >> (8 * b)) & 0xFFu;
            hash_ *= 0x100000001B3ull;
        }
    }
    uint64_t value() const { return hash_; }

  private:
    uint64_t hash_ = 0xCBF29CE484222325ull;
};

struct HashingDecoder : SymbolDecoder {
    Checksum sum;
    int count = 0;
    void onBit(int bit) override {
        sum.add(bit);
        ++count;
    }
    void onSymbol(int32_t i, int32_t q, int32_t levelCode) override {
        sum.add(i);
        sum.add(q);
        sum.add(levelCode);
        ++count;
    }
    void reset() override { sum.add(-1); }
    void measureQuality(int32_t, int32_t, int32_t) override {}
};

struct HashingScope : PhaseScopeSink {
    Checksum sum;
    void showPhase(int16_t channel, int32_t delta, int32_t level) override {
        sum.add(channel);
        sum.add(delta);
        sum.add(level);
    }
};

// A deterministic input: a linear congruential generator, so that the same samples come out
// with every standard library.
std::vector<int16_t> busyInput(double rate, int seconds, uint32_t seed) {
    uint32_t state = seed;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;  // 24 bits
    };
    const int count = static_cast<int>(rate * seconds);
    std::vector<int16_t> s(count);
    const double carriers[] = {700.0, 1000.0, 1062.5, 1500.0, 2210.0};
    double phase[5] = {};
    const int symbol = static_cast<int>(rate / 31.25);
    for (int n = 0; n < count; ++n) {
        double x = (static_cast<double>(next()) / (1 << 24) - 0.5) * 6000.0;
        for (int c = 0; c < 5; ++c) {
            if (n % symbol == 0 && (next() & 1) != 0) phase[c] += M_PI;
            x += 3000.0 * std::cos(2.0 * M_PI * carriers[c] * n / rate + phase[c]);
        }
        // Every fourth second is driven into clipping.
        if ((n / static_cast<int>(rate)) % 4 == 3) x *= 8.0;
        s[n] = static_cast<int16_t>(std::lround(std::clamp(x, -32768.0, 32767.0)));
    }
    return s;
}

// Feeds the input in blocks of varying length, as sound cards and files deliver it.
void feed(ModeReceiver& rx, const std::vector<int16_t>& s) {
    const int lengths[] = {512, 1, 7, 1000, 333, 64};
    size_t pos = 0;
    for (int k = 0; pos < s.size(); ++k) {
        const int n = static_cast<int>(std::min<size_t>(lengths[k % 6], s.size() - pos));
        rx.processSamples(s.data() + pos, n);
        pos += n;
    }
}

// The same sequence for every receiver: 11025/s, a retune, a rate change without a reset (the
// comb keeps what it held), then 48000/s after a reset.
template <class Receiver>
void runSequence(Receiver& rx) {
    rx.setCarrierFrequency(1000.0);
    feed(rx, busyInput(11025.0, 12, 1));
    rx.setCarrierFrequency(1062.5);
    feed(rx, busyInput(11025.0, 4, 2));
    rx.setSampleRate(8000.0);
    feed(rx, busyInput(8000.0, 5, 3));
    rx.setSampleRate(48000.0);
    rx.resetState();
    feed(rx, busyInput(48000.0, 3, 4));
}

TEST(ReceiverExactness, PskSymbolsAreThoseOfThePlainFrontEnd) {
    struct Case {
        double baud;
        uint64_t expected;
    };
    for (const Case& c :
         {Case{kPsk31Baud, 0x53356e45ba6307a8ull}, Case{kPsk63Baud, 0xc07d4e3a7901aebeull}}) {
        PskReceiver rx;
        HashingDecoder decoder;
        rx.attachDecoder(&decoder);
        rx.setBaudRate(c.baud);
        runSequence(rx);
        EXPECT_GT(decoder.count, 700);
        EXPECT_EQ(decoder.sum.value(), c.expected)
            << "baud " << c.baud << std::hex << " got 0x" << decoder.sum.value();
    }
}

TEST(ReceiverExactness, FskSymbolsAndScopeAreThoseOfThePlainFrontEnd) {
    HashingDecoder decoder31;
    HashingScope scope31;
    Fsk31Receiver fsk31;
    fsk31.attachDecoder(&decoder31);
    fsk31.attachScope(&scope31);
    runSequence(fsk31);
    EXPECT_GT(decoder31.count, 500);
    EXPECT_EQ(decoder31.sum.value(), 0xf92f164c4baee01dull) << std::hex << decoder31.sum.value();
    EXPECT_EQ(scope31.sum.value(), 0x3f3f2554ddb52dbbull) << std::hex << scope31.sum.value();

    HashingDecoder decoder63;
    HashingScope scope63;
    Fsk63Receiver fsk63;
    fsk63.attachDecoder(&decoder63);
    fsk63.attachScope(&scope63);
    runSequence(fsk63);
    EXPECT_GT(decoder63.count, 1000);
    EXPECT_EQ(decoder63.sum.value(), 0xb7a8c2a5c78ca972ull) << std::hex << decoder63.sum.value();
    EXPECT_EQ(scope63.sum.value(), 0xefe4234b3682e8abull) << std::hex << scope63.sum.value();
}

}  // namespace
}  // namespace tarnvel::modem
