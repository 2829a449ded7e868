#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "TransmitProbe.h"
#include "modem/Transmitter.h"
#include "modem/Varicode.h"

namespace tarnvel::modem {
namespace {

constexpr size_t kBuffer = Transmitter::kBufferSamples;
constexpr int kPrimed = 4;
const std::string kRx = "\xae";
const std::string kCwId = "\xb0";

std::vector<int> demodulate(Transmitter& tx, const std::vector<int16_t>& s) {
    return probe::symbols(s, tx.modulator().symbolStep(), tx.modulator().carrierStep());
}

bool silent(std::vector<int16_t>::const_iterator from, std::vector<int16_t>::const_iterator to) {
    return std::all_of(from, to, [](int16_t v) { return v == 0; });
}

// BPSK for a text ended by 174: 4 carrier symbols, 36 idle reversals, each character as two 0
// bits and its code (0 = reversal), 10 encoder symbols, 36 of carrier, one of silence.
std::vector<int> expectedBpsk(const std::string& text) {
    std::vector<int> s(4, 0);
    std::string bits(36, '0');
    for (unsigned char c : text) {
        bits += "00";
        for (int b = 15; b >= 0; --b)
            if (VaricodeTable[c] >> b) bits += (VaricodeTable[c] >> b) & 1 ? '1' : '0';
    }
    for (char b : bits + std::string(10, '0')) s.push_back(b == '0' ? s.back() ^ 2 : s.back());
    s.insert(s.end(), 36, 0);
    s.push_back(4);
    return s;
}

// The sound card path as the engine drives it: four buffers primed, each refilled when it comes
// back, until the sequencer declines one.
struct Played {
    std::vector<int16_t> samples;
    int filled = 0;
    int declined = -1;
};
Played play(Transmitter& tx, int maxBuffers = 400) {
    Played p;
    std::vector<int16_t> b(kBuffer);
    tx.startTransmission();
    for (int k = 0; k < maxBuffers && p.declined < 0; ++k) {
        if (!tx.fillOutputBuffer(k % kPrimed, b.data(), kBuffer)) {
            p.declined = k % kPrimed;
        } else {
            p.samples.insert(p.samples.end(), b.begin(), b.end());
            ++p.filled;
        }
    }
    return p;
}

// The block path until it reports the end or maxBlocks; `during` runs after each block.
template <typename F>
std::vector<int16_t> blocks(Transmitter& tx, int maxBlocks, F during, int first = 1) {
    std::vector<int16_t> s;
    std::vector<int16_t> b(kBuffer);
    for (int k = 0; k < maxBlocks; ++k, first = 0) {
        const int goesOn = tx.fillBlock(b.data(), kBuffer, first);
        s.insert(s.end(), b.begin(), b.end());
        during();
        if (!goesOn) break;
    }
    return s;
}
std::vector<int16_t> blocks(Transmitter& tx, int maxBlocks, int first = 1) {
    return blocks(
        tx, maxBlocks, [] {}, first);
}

TEST(TransmitSequencer, TextTransmissionTimeline) {
    TextTransmitHost host;
    Transmitter tx(host);
    host.type("hello" + kRx + "\r\n");
    const Played p = play(tx);
    EXPECT_EQ(host.transmissionsOver(), 1);
    EXPECT_EQ(host.echoed(), "hello");
    EXPECT_EQ(host.pendingText(), "\r\n");  // nothing after the end character is taken

    const auto sym = demodulate(tx, p.samples);
    const auto expected = expectedBpsk("hello");
    ASSERT_GT(sym.size(), expected.size());
    EXPECT_EQ(std::vector<int>(sym.begin(), sym.begin() + static_cast<long>(expected.size())),
              expected);
    EXPECT_EQ(probe::decodeVaricode(probe::bpskBits(sym, 40, sym.size())), "hello");

    // From the symbol after the silent one the output is exactly zero; its buffer was marked as
    // the end and came back after the three buffers queued behind it.
    const size_t endStart =
        probe::symbolEnds(p.samples.size(), tx.modulator().symbolStep())[expected.size() - 1] + 1;
    EXPECT_TRUE(silent(p.samples.begin() + static_cast<long>(endStart), p.samples.end()));
    EXPECT_EQ(p.declined, static_cast<int>(endStart / kBuffer) % kPrimed);
    EXPECT_EQ(p.filled, static_cast<int>(endStart / kBuffer) + kPrimed);
}

TEST(TransmitSequencer, FirstCharacterEndEndsAtOnce) {
    TextTransmitHost host;
    Transmitter tx(host);
    host.type(kRx + "never sent");
    const Played p = play(tx);
    EXPECT_EQ(p.filled, kPrimed);
    EXPECT_EQ(p.declined, 0);
    EXPECT_TRUE(silent(p.samples.begin(), p.samples.end()));
    EXPECT_EQ(host.transmissionsOver(), 1);
    EXPECT_EQ(host.echoed(), "");
    // Buffers still coming back after the end are not played again.
    std::vector<int16_t> late(kBuffer);
    EXPECT_FALSE(tx.fillOutputBuffer(1, late.data(), kBuffer));
}

TEST(TransmitSequencer, EmptyWindowIdlesUntilTextArrives) {
    TextTransmitHost host;
    Transmitter tx(host);
    const auto sym = demodulate(tx, blocks(tx, 40));
    ASSERT_EQ(sym.size(), 116u);  // it never ended
    for (size_t k = 0; k < sym.size(); ++k) EXPECT_EQ(sym[k], k < 4 || k % 2 ? 0 : 2) << k;
    host.type("e" + kRx);
    EXPECT_LT(blocks(tx, 100, 0).size(), 100 * kBuffer);
    EXPECT_EQ(host.echoed(), "e");
}

struct CwIdCase {
    Mode mode;
    int fast;
    double unitMs;
};
class CwIdTiming : public ::testing::TestWithParam<CwIdCase> {};

TEST_P(CwIdTiming, MorseUnitsAndGaps) {
    TextTransmitHost host;
    host.setUseCwId(1);
    host.setFastCwId(GetParam().fast);
    host.setCwIdText("e t");
    Transmitter tx(host);
    ASSERT_TRUE(tx.setMode(GetParam().mode));
    host.type(kCwId);
    const auto out = tx.renderTransmission(200 * kBuffer);
    ASSERT_TRUE(out.complete);
    EXPECT_EQ(host.announced(), "CWID: e t");
    EXPECT_EQ(host.echoed(), "");

    // Carrier (preamble, idle, tail, 19 of postamble and the leading dash), 7 units off, E,
    // 5 units off, T, silence to the end.
    const auto runs = probe::keyingRuns(demodulate(tx, out.samples));
    ASSERT_EQ(runs.size(), 6u);
    const int unit = runs[2];
    EXPECT_DOUBLE_EQ(unit * 1000.0 / tx.modulator().symbolRate(), GetParam().unitMs);
    EXPECT_EQ(runs[0], 4 + 36 + 10 + 19 + 3 * unit);
    EXPECT_EQ(runs[1], 7 * unit);
    EXPECT_EQ(runs[3], 5 * unit);
    EXPECT_EQ(runs[4], 3 * unit);
}

INSTANTIATE_TEST_SUITE_P(Rates, CwIdTiming,
                         ::testing::Values(CwIdCase{Mode::Bpsk31, 1, 64.0},
                                           CwIdCase{Mode::Bpsk31, 0, 32.0},
                                           CwIdCase{Mode::Bpsk63, 1, 32.0},
                                           CwIdCase{Mode::Bpsk63, 0, 16.0}));

TEST(TransmitSequencer, CwIdCharacterWithoutUseCwIdIsSentAsNul) {
    TextTransmitHost host;
    Transmitter tx(host);
    host.type(kCwId + kRx);
    const auto sym = demodulate(tx, tx.renderTransmission(100 * kBuffer).samples);
    const auto expected = expectedBpsk(std::string(1, '\0'));
    ASSERT_GE(sym.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), sym.begin()));
    EXPECT_EQ(host.echoed(), std::string(1, '\0'));
    EXPECT_EQ(host.announced(), "");
}

TEST(TransmitSequencer, TextTypedDuringTheIdentificationIsNeverSent) {
    TextTransmitHost host;
    host.setUseCwId(1);
    Transmitter tx(host);
    host.type("k" + kCwId);
    bool typed = false;
    const auto s = blocks(tx, 400, [&] {
        if (typed || host.announced().empty()) return;
        host.type("abc" + kRx);
        typed = true;
    });
    EXPECT_TRUE(typed);
    EXPECT_EQ(host.announced(), "CWID: de N0CALL sk");
    EXPECT_EQ(host.echoed(), "k");
    EXPECT_EQ(host.pendingText(), "");
    const auto sym = demodulate(tx, s);  // after "k": only carrier and silence, no reversals
    EXPECT_TRUE(std::all_of(sym.begin() + 60, sym.end(), [](int v) { return v == 0 || v == 4; }));
    EXPECT_TRUE(silent(s.end() - 300, s.end()));
}

TEST(TransmitSequencer, TuneHoldsTheCarrier) {
    TextTransmitHost host;
    host.setTuning(true);
    Transmitter tx(host);
    host.type("hello" + kRx);
    const auto s = blocks(tx, 60);
    ASSERT_EQ(s.size(), 60 * kBuffer);
    const auto sym = demodulate(tx, s);
    EXPECT_TRUE(std::all_of(sym.begin(), sym.end(), [](int v) { return v == 0; }));
    EXPECT_EQ(*std::max_element(s.begin() + 400, s.end()), 32766);
    EXPECT_EQ(host.echoed(), "");
    host.setTuning(false);  // released, the preamble goes on to the idle and the text
    EXPECT_LT(blocks(tx, 200, 0).size(), 200 * kBuffer);
    EXPECT_EQ(host.echoed(), "hello");
}

TEST(TransmitSequencer, EndAndClearEmptiesTheWindowAtTheNextBuffer) {
    TextTransmitHost host;
    Transmitter tx(host);
    host.type("hi\xa9rest");
    std::vector<int16_t> b(kBuffer);
    tx.startTransmission();
    int checked = 0;
    for (int k = 0; k < 300; ++k) {
        const bool taken = host.pendingText() == "rest";
        if (!tx.fillOutputBuffer(k % kPrimed, b.data(), kBuffer)) break;
        if (taken) {
            EXPECT_EQ(host.clears(), 1);
            EXPECT_EQ(host.pendingText(), "");
            ++checked;
        }
    }
    EXPECT_EQ(checked, 1);
    EXPECT_EQ(host.echoed(), "hi");
    EXPECT_EQ(host.transmissionsOver(), 1);
}

TEST(TransmitSequencer, QpskInvertedIsTheConjugateTransmission) {
    TextTransmitHost hostA;
    TextTransmitHost hostB;
    Transmitter normal(hostA);
    Transmitter inverted(hostB);
    normal.setMode(Mode::Qpsk31);
    inverted.setMode(Mode::Qpsk31);
    inverted.setInvertedQpsk(true);
    hostA.type("cq de sp9xyz" + kRx);
    hostB.type("cq de sp9xyz" + kRx);
    const auto a = demodulate(normal, normal.renderTransmission(400 * kBuffer).samples);
    const auto b = demodulate(inverted, inverted.renderTransmission(400 * kBuffer).samples);
    ASSERT_EQ(a.size(), b.size());
    for (size_t k = 0; k < a.size(); ++k) EXPECT_EQ(b[k], a[k] == 4 ? 4 : (4 - a[k]) % 4) << k;
    EXPECT_GT(std::count(a.begin(), a.end(), 1) + std::count(a.begin(), a.end(), 3), 10);
}

TEST(TransmitSequencer, FskModesStepTheCarrierByQuarterTurns) {
    for (Mode mode : {Mode::Fsk31, Mode::Fsk63}) {
        TextTransmitHost host;
        Transmitter tx(host);
        tx.setMode(mode);
        host.type("ok" + kRx);
        const auto out = tx.renderTransmission(2000 * kBuffer);
        ASSERT_TRUE(out.complete) << mode;
        EXPECT_EQ(host.echoed(), "ok");
        // Every symbol from the idle to the postamble is a quarter turn from the one before.
        const auto sym = demodulate(tx, out.samples);
        const auto postamble = std::search_n(sym.begin() + 5, sym.end(), 36, 0);
        ASSERT_NE(postamble, sym.end());
        EXPECT_GT(postamble - sym.begin(), 60);
        for (auto k = sym.begin() + 5; k < postamble; ++k)
            EXPECT_EQ((*k - *(k - 1) + 4) % 2, 1) << mode << " at " << (k - sym.begin());
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
        tx.fillOutputBuffer(k++ % kPrimed, b.data(), kBuffer);
    tx.fillOutputBuffer(k++ % kPrimed, b.data(), kBuffer);
    tx.stopTransmission();
    EXPECT_FALSE(tx.fillOutputBuffer(k++ % kPrimed, b.data(), kBuffer));
    EXPECT_EQ(tx.modulator().curSymbol(), kSymbolSilence);  // as after a completed one

    host.type("e" + kRx);
    const Played after = play(tx);
    EXPECT_GT(after.filled, kPrimed);
    EXPECT_EQ(host.transmissionsOver(), 1);
    EXPECT_EQ(host.echoed(), "e");

    // Nothing of the identification's Morse state carries over: the transmission is as long,
    // sample for sample, as the same text from a fresh transmitter.
    TextTransmitHost freshHost;
    freshHost.setUseCwId(1);
    Transmitter fresh(freshHost);
    freshHost.type("e" + kRx);
    const Played reference = play(fresh);
    EXPECT_EQ(after.filled, reference.filled);
    EXPECT_EQ(after.samples.size(), reference.samples.size());
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
