#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "TransmitProbe.h"
#include "modem/Transmitter.h"
#include "modem/Varicode.h"

namespace tarnvel::modem {
namespace {

constexpr size_t kBuffer = Transmitter::kBufferSamples;
constexpr int kPrimedBuffers = 4;
const std::string kRx = "\xae";
const std::string kRxAndClear = "\xa9";
const std::string kCwId = "\xb0";

std::vector<int> demodulate(Transmitter& tx, const std::vector<int16_t>& s) {
    return probe::symbols(s, tx.modulator().symbolStep(), tx.modulator().carrierStep());
}

// What BPSK sends for a text ended by 174: 4 carrier symbols, 36 idle reversals, each character
// as two 0 bits and its code (0 = reversal), 10 encoder symbols, 36 of carrier, silence.
std::vector<int> expectedBpsk(const std::string& text) {
    std::vector<int> s(4, 0);
    int phase = 0;
    auto send = [&](char bit) {
        if (bit == '0') phase ^= 2;
        s.push_back(phase);
    };
    for (int i = 0; i < 36; ++i) send('0');
    for (unsigned char c : text) {
        std::string bits = "00";
        const uint16_t code = VaricodeTable[c];
        for (int b = 15; b >= 0; --b)
            if (code >> b) bits.push_back((code >> b) & 1 ? '1' : '0');
        for (char b : bits) send(b);
    }
    for (int i = 0; i < 10; ++i) send('0');
    s.insert(s.end(), 36, 0);
    s.push_back(4);
    return s;
}

// Plays the sound card path like the engine does: four buffers primed, then each buffer is
// refilled when it comes back, until the sequencer declines one. Returns every sample played.
struct Played {
    std::vector<int16_t> samples;
    int buffersFilled = 0;
    int declinedBuffer = -1;
};
Played playSoundCard(Transmitter& tx, int maxBuffers = 400) {
    Played p;
    std::array<std::vector<int16_t>, kPrimedBuffers> buffers;
    for (auto& b : buffers) b.assign(kBuffer, 0);
    tx.startTransmission();
    for (int k = 0; k < maxBuffers; ++k) {
        const int id = k % kPrimedBuffers;
        if (!tx.fillOutputBuffer(id, buffers[id].data(), kBuffer)) {
            p.declinedBuffer = id;
            break;
        }
        ++p.buffersFilled;
        p.samples.insert(p.samples.end(), buffers[id].begin(), buffers[id].end());
    }
    return p;
}

TEST(TransmitSequencer, TextTransmissionTimeline) {
    TextTransmitHost host;
    Transmitter tx(host);
    host.type("hello" + kRx + "\r\n");
    const Played p = playSoundCard(tx);
    EXPECT_EQ(host.transmissionsOver(), 1);
    EXPECT_EQ(host.echoed(), "hello");
    EXPECT_EQ(host.pendingText(), "\r\n");  // nothing after the end character is taken

    const auto sym = demodulate(tx, p.samples);
    const auto expected = expectedBpsk("hello");
    ASSERT_GT(sym.size(), expected.size());
    EXPECT_EQ(std::vector<int>(sym.begin(), sym.begin() + expected.size()), expected);
    EXPECT_EQ(probe::decodeVaricode(probe::bpskBits(sym, 40, expected.size() - 37)), "hello");

    // From the symbol after the silent one, the output is exactly zero; that buffer was marked
    // as the end, and it came back after the three buffers queued behind it.
    const auto spans = probe::symbolSpans(p.samples.size(), tx.modulator().symbolStep());
    const size_t endStart = spans[expected.size()].first;
    EXPECT_TRUE(std::all_of(p.samples.begin() + static_cast<long>(endStart), p.samples.end(),
                            [](int16_t v) { return v == 0; }));
    const int endBuffer = static_cast<int>(endStart / kBuffer);
    EXPECT_EQ(p.declinedBuffer, endBuffer % kPrimedBuffers);
    EXPECT_EQ(p.buffersFilled, endBuffer + kPrimedBuffers);
}

TEST(TransmitSequencer, FirstCharacterEndEndsAtOnce) {
    TextTransmitHost host;
    Transmitter tx(host);
    host.type(kRx + "never sent");
    const Played p = playSoundCard(tx);
    EXPECT_EQ(p.buffersFilled, kPrimedBuffers);
    EXPECT_EQ(p.declinedBuffer, 0);
    EXPECT_EQ(host.transmissionsOver(), 1);
    EXPECT_TRUE(std::all_of(p.samples.begin(), p.samples.end(), [](int16_t v) { return v == 0; }));
    EXPECT_EQ(host.echoed(), "");
    // Buffers that still come back after the end are not played again.
    std::vector<int16_t> late(kBuffer, 1);
    EXPECT_FALSE(tx.fillOutputBuffer(1, late.data(), kBuffer));
    EXPECT_EQ(host.transmissionsOver(), 1);
}

TEST(TransmitSequencer, EmptyWindowIdlesUntilTextArrives) {
    TextTransmitHost host;
    Transmitter tx(host);
    std::vector<int16_t> s(40 * kBuffer);
    int goesOn = 1;
    for (size_t b = 0; b < 40; ++b) goesOn &= tx.fillBlock(s.data() + b * kBuffer, kBuffer, b == 0);
    EXPECT_EQ(goesOn, 1);
    const auto sym = demodulate(tx, s);
    ASSERT_GT(sym.size(), 100u);
    for (size_t k = 0; k < 4; ++k) EXPECT_EQ(sym[k], 0) << k;
    for (size_t k = 4; k < sym.size(); ++k) EXPECT_EQ(sym[k], k % 2 ? 0 : 2) << k;
    host.type("e" + kRx);
    int blocks = 0;
    std::vector<int16_t> more(kBuffer);
    while (tx.fillBlock(more.data(), kBuffer, 0) && blocks < 100) ++blocks;
    EXPECT_LT(blocks, 100);
    EXPECT_EQ(host.echoed(), "e");
}

struct CwIdCase {
    int mode;
    int fast;
    double unitMs;
};

class CwIdTiming : public ::testing::TestWithParam<CwIdCase> {};

TEST_P(CwIdTiming, MorseUnitsAndGaps) {
    const CwIdCase c = GetParam();
    TextTransmitHost host("SP9XYZ");
    host.setUseCwId(1);
    host.setFastCwId(c.fast);
    host.setCwIdText("e t");
    Transmitter tx(host);
    ASSERT_TRUE(tx.setMode(c.mode));
    host.type(kCwId + "x");
    const auto out = tx.renderTransmission(200 * kBuffer);
    ASSERT_TRUE(out.complete);
    EXPECT_EQ(host.announced(), "CWID: e t");
    EXPECT_EQ(host.echoed(), "");
    EXPECT_EQ(host.pendingText(), "");  // "x" was discarded after the last Morse character

    const auto runs = probe::keyingRuns(demodulate(tx, out.samples), 0);
    // Carrier (preamble, idle, postamble and the leading dash), 7 units off, E, 5 units off, T,
    // then silence to the end.
    ASSERT_EQ(runs.size(), 6u);
    const double symbolMs = 1000.0 / tx.modulator().symbolRate();
    const int unit = runs[2].length;
    EXPECT_NEAR(unit * symbolMs, c.unitMs, 1e-9);
    EXPECT_EQ(runs[1].length, 7 * unit);
    EXPECT_EQ(runs[3].length, 5 * unit);
    EXPECT_EQ(runs[4].length, 3 * unit);
    EXPECT_GE(runs[5].length, 3 * unit);
    // 4 + 36 + 29 symbols of carrier before the leading dash of 3 units.
    EXPECT_EQ(runs[0].length, 69 + 3 * unit);
}

INSTANTIATE_TEST_SUITE_P(Rates, CwIdTiming,
                         ::testing::Values(CwIdCase{0, 1, 64.0}, CwIdCase{0, 0, 32.0},
                                           CwIdCase{11, 1, 32.0}, CwIdCase{11, 0, 16.0}));

TEST(TransmitSequencer, CwIdCharacterWithoutUseCwIdIsSentAsNul) {
    TextTransmitHost host;
    host.setUseCwId(0);
    Transmitter tx(host);
    host.type(kCwId + kRx);
    const auto out = tx.renderTransmission(100 * kBuffer);
    ASSERT_TRUE(out.complete);
    EXPECT_EQ(host.announced(), "");
    EXPECT_EQ(host.echoed(), std::string(1, '\0'));
    const auto sym = demodulate(tx, out.samples);
    const auto expected = expectedBpsk(std::string(1, '\0'));
    ASSERT_GE(sym.size(), expected.size());
    EXPECT_EQ(std::vector<int>(sym.begin(), sym.begin() + static_cast<long>(expected.size())),
              expected);
    EXPECT_EQ(probe::decodeVaricode(probe::bpskBits(sym, 40, 70)), std::string(1, '\0'));
}

TEST(TransmitSequencer, TextTypedDuringTheIdentificationIsNeverSent) {
    TextTransmitHost host;
    host.setUseCwId(1);
    host.setCwIdText("sp9xyz");
    Transmitter tx(host);
    host.type("k" + kCwId);
    std::vector<int16_t> s;
    std::vector<int16_t> block(kBuffer);
    int first = 1;
    bool typed = false;
    for (int b = 0; b < 400; ++b) {
        const int goesOn = tx.fillBlock(block.data(), kBuffer, first);
        first = 0;
        s.insert(s.end(), block.begin(), block.end());
        if (!typed && !host.announced().empty()) {
            host.type("abc" + kRx);
            typed = true;
        }
        if (!goesOn) break;
    }
    EXPECT_TRUE(typed);
    EXPECT_EQ(host.echoed(), "k");
    EXPECT_EQ(host.pendingText(), "");
    // After the character, only carrier and silence: no phase reversals carry text.
    const auto sym = demodulate(tx, s);
    for (size_t k = 60; k < sym.size(); ++k) EXPECT_TRUE(sym[k] == 0 || sym[k] == 4) << k;
}

TEST(TransmitSequencer, TuneHoldsTheCarrier) {
    TextTransmitHost host;
    host.setTuning(true);
    Transmitter tx(host);
    host.type("hello" + kRx);
    std::vector<int16_t> s(60 * kBuffer);
    for (size_t b = 0; b < 60; ++b)
        EXPECT_EQ(tx.fillBlock(s.data() + b * kBuffer, kBuffer, b == 0), 1);
    const auto sym = demodulate(tx, s);
    for (int v : sym) EXPECT_EQ(v, 0);
    EXPECT_EQ(*std::max_element(s.begin() + 400, s.end()), 32766);
    EXPECT_EQ(host.echoed(), "");
    // Released, the preamble goes on to the idle reversals and the text.
    host.setTuning(false);
    std::vector<int16_t> more(kBuffer);
    int blocks = 0;
    while (tx.fillBlock(more.data(), kBuffer, 0) && blocks < 200) ++blocks;
    EXPECT_LT(blocks, 200);
    EXPECT_EQ(host.echoed(), "hello");
}

TEST(TransmitSequencer, EndAndClearEmptiesTheWindowAtTheNextBuffer) {
    TextTransmitHost host;
    Transmitter tx(host);
    host.type("hi" + kRxAndClear + "rest");
    std::array<std::vector<int16_t>, kPrimedBuffers> buffers;
    for (auto& b : buffers) b.assign(kBuffer, 0);
    tx.startTransmission();
    bool sawTaken = false;
    bool over = false;
    for (int k = 0; k < 300 && !over; ++k) {
        const int id = k % kPrimedBuffers;
        const bool wasTaken = host.pendingText() == "rest" && host.clears() == 0;
        over = !tx.fillOutputBuffer(id, buffers[id].data(), kBuffer);
        if (wasTaken) {
            // The buffer after the one that took the character clears the window first.
            EXPECT_EQ(host.clears(), 1);
            EXPECT_EQ(host.pendingText(), "");
            sawTaken = true;
        }
    }
    EXPECT_TRUE(sawTaken);
    EXPECT_TRUE(over);
    EXPECT_EQ(host.clears(), 1);
    EXPECT_EQ(host.echoed(), "hi");
    EXPECT_EQ(host.transmissionsOver(), 1);
}

TEST(TransmitSequencer, QpskInvertedIsTheConjugateTransmission) {
    TextTransmitHost hostA;
    TextTransmitHost hostB;
    Transmitter normal(hostA);
    Transmitter inverted(hostB);
    normal.setMode(kModeQpsk31);
    inverted.setMode(kModeQpsk31);
    inverted.setInvertedQpsk(true);
    hostA.type("cq de sp9xyz" + kRx);
    hostB.type("cq de sp9xyz" + kRx);
    const auto a = demodulate(normal, normal.renderTransmission(400 * kBuffer).samples);
    const auto b = demodulate(inverted, inverted.renderTransmission(400 * kBuffer).samples);
    ASSERT_EQ(a.size(), b.size());
    int quarter = 0;
    for (size_t k = 0; k < a.size(); ++k) {
        EXPECT_EQ(b[k], a[k] == 4 ? 4 : (4 - a[k]) % 4) << k;
        quarter += a[k] == 1 || a[k] == 3;
    }
    EXPECT_GT(quarter, 10);
}

TEST(TransmitSequencer, FskModesStepTheCarrierByQuarterTurns) {
    for (int mode : {kModeFsk31, kModeFsk63}) {
        TextTransmitHost host;
        Transmitter tx(host);
        tx.setMode(mode);
        host.type("ok" + kRx);
        const auto out = tx.renderTransmission(2000 * kBuffer);
        ASSERT_TRUE(out.complete) << mode;
        const auto sym = demodulate(tx, out.samples);
        size_t stepped = 0;
        for (size_t k = 5; k < sym.size() && sym[k] != 4; ++k) {
            const int d = (sym[k] - sym[k - 1] + 4) % 4;
            if (k >= 5 && sym[k - 1] != 0) ++stepped;
            if (k > 5 && d == 0) break;  // the postamble carrier holds phase 0
            EXPECT_TRUE(d == 1 || d == 3) << mode << " at " << k;
        }
        EXPECT_GT(stepped, 30u) << mode;
        EXPECT_EQ(host.echoed(), "ok");
    }
}

// Leaving transmit in the middle of the identification must not spoil the next transmission.
TEST(TransmitSequencer, TransmissionAfterAnInterruptedIdentification) {
    TextTransmitHost host;
    host.setUseCwId(1);
    Transmitter tx(host);
    host.type(kCwId);
    std::vector<int16_t> b(kBuffer);
    tx.startTransmission();
    int k = 0;
    while (tx.soundCardSequencer().state() != TransmitSequencer::kStateCarrierOff && k < 200)
        tx.fillOutputBuffer(k++ % kPrimedBuffers, b.data(), kBuffer);
    tx.fillOutputBuffer(k++ % kPrimedBuffers, b.data(), kBuffer);
    tx.stopTransmission();
    EXPECT_FALSE(tx.fillOutputBuffer(k++ % kPrimedBuffers, b.data(), kBuffer));
    // Both envelope points are silence again, as after a completed transmission.
    EXPECT_EQ(tx.modulator().prevSymbol(), kSymbolSilence);
    EXPECT_EQ(tx.modulator().curSymbol(), kSymbolSilence);

    host.type("e" + kRx);
    const Played p = playSoundCard(tx);
    EXPECT_EQ(host.transmissionsOver(), 1);
    EXPECT_EQ(host.echoed(), "e");
    EXPECT_GT(p.buffersFilled, kPrimedBuffers);
}

TEST(TransmitSequencer, ImdMeasurementSuppressesTheEcho) {
    TextTransmitHost host;
    host.setImdMeasuring(true);
    host.setUseCwId(1);
    Transmitter tx(host);
    host.type("abc" + kCwId);
    ASSERT_TRUE(tx.renderTransmission(400 * kBuffer).complete);
    EXPECT_EQ(host.echoed(), "");
    EXPECT_EQ(host.announced(), "");
}

}  // namespace
}  // namespace tarnvel::modem
