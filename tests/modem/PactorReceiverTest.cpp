#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PactorSignal.h"
#include "modem/HuffmanTree.h"
#include "modem/PactorReceiver.h"

namespace tarnvel::modem {
namespace {

using testing::connectFrame;
using testing::dataPacket;
using testing::FskModulator;
using testing::PacketOptions;
using testing::PactorSpeed;

struct TextCollector : CharacterSink {
    std::string text;
    TextCollector() : CharacterSink(&text, nullptr) {}
};

int feed(HuffmanTree& tree, std::initializer_list<int> bits) {
    int result = HuffmanTree::kNeedMoreBits;
    for (int b : bits) result = tree.step(b);
    return result;
}

TEST(HuffmanTree, DecodesShortCodesAndSettlesTheAmbiguousOnes) {
    HuffmanTree tree;
    EXPECT_EQ(feed(tree, {1, 0}), ' ');
    EXPECT_EQ(tree.step(0), HuffmanTree::kNeedMoreBits);
    EXPECT_EQ(feed(tree, {1, 1}), 'e');
    // The code of 127 passes through the node of 'e': decoding stops there.
    const HuffmanCode del = PactorHuffmanCodeTable[127];
    std::vector<int> results;
    for (int n = del.length - 1; n >= del.length - 3; --n)
        results.push_back(tree.step((del.bits >> n) & 1));
    EXPECT_EQ(results,
              (std::vector<int>{HuffmanTree::kNeedMoreBits, HuffmanTree::kNeedMoreBits, 'e'}));
    // 28 and 90 share a code; the later entry wins.
    const HuffmanCode z = PactorHuffmanCodeTable[28];
    int last = 0;
    for (int n = z.length - 1; n >= 0; --n) last = tree.step((z.bits >> n) & 1);
    EXPECT_EQ(last, 90);
}

TEST(HuffmanTree, BitLeavingTheTreeIsDroppedAndDecodingGoesOnFromTheSameNode) {
    HuffmanTree tree;
    // 11110011 is an inner node with no child for 0.
    EXPECT_EQ(feed(tree, {1, 1, 1, 1, 0, 0, 1, 1}), HuffmanTree::kNeedMoreBits);
    EXPECT_EQ(tree.step(0), HuffmanTree::kNoSuchCode);
    // 111100111 continued by 01 is the code of '!' (11110011101).
    EXPECT_EQ(feed(tree, {1, 0, 1}), '!');
}

TEST(HuffmanTree, EveryCharacterDecodesExceptThoseShadowedByAShorterCode) {
    // Besides 28 (shares the code of 90) and 127 (passes through 'e'), the control characters
    // 22..31 listed here have codes that pass through the codes of 96, 93, 124 and 94.
    const std::vector<int> shadowed = {22, 23, 24, 25, 27, 28, 29, 31, 127};
    std::vector<int> unreachable;
    for (int c = 0; c < kHuffmanCharacters; ++c) {
        HuffmanTree tree;
        const HuffmanCode code = PactorHuffmanCodeTable[c];
        int first = HuffmanTree::kNeedMoreBits;
        for (int n = code.length - 1; n >= 0 && first < 0; --n)
            first = tree.step((code.bits >> n) & 1);
        if (first != c) unreachable.push_back(c);
    }
    EXPECT_EQ(unreachable, shadowed);
}

TEST(PactorCrc, CheckValueAndResidue) {
    const std::string check = "123456789";
    EXPECT_EQ(crc16X25(reinterpret_cast<const uint8_t*>(check.data()), check.size()), 0x906E);
    std::vector<uint8_t> block(check.begin(), check.end());
    block.push_back(0x6E);
    block.push_back(0x90);
    EXPECT_EQ(crc16X25(block.data(), block.size()), kCrc16X25Residue);
}

TEST(PactorReceiver, FrontEndConstantsAt11025) {
    PactorReceiver rx;
    EXPECT_EQ(rx.ncoStep(), 4161);
    EXPECT_EQ(rx.combLength(), 8);
    EXPECT_EQ(rx.decimStep(), 8322);
    EXPECT_EQ(rx.bitStep(), 4681);
    EXPECT_NEAR(rx.slowFilterCutoff(), 0.1142857, 1e-7);
    EXPECT_DOUBLE_EQ(rx.fastFilterCutoff(), 0.15);
}

TEST(PactorReceiver, RejectsRatesTheFrontEndCannotRun) {
    PactorReceiver rx;
    EXPECT_FALSE(rx.configureSampleRate(0.0));
    EXPECT_FALSE(rx.configureSampleRate(1000.0));
    EXPECT_FALSE(rx.configureSampleRate(200000.0));
    EXPECT_EQ(rx.combLength(), 8);
    EXPECT_EQ(rx.decimStep(), 8322);
    EXPECT_TRUE(rx.configureSampleRate(48000.0));
    EXPECT_EQ(rx.combLength(), 34);
}

// Sends the frames at the speed given, at 1500 Hz, and returns the monitor's text.
std::string receive(const std::vector<std::vector<uint8_t>>& frames, PactorSpeed speed,
                    double noiseRms = 0.0) {
    constexpr double kCentre = 1500.0;
    std::vector<int16_t> audio;
    FskModulator modulator(kCentre, 200.0, testing::baudOf(speed));
    modulator.modulate(testing::transmission(frames), audio);
    if (noiseRms > 0) testing::addNoise(audio, noiseRms, 7);
    PactorReceiver rx;
    TextCollector out;
    rx.attachOutput(&out);
    rx.setCarrierFrequency(kCentre);
    // Blocks of 512 as the sound card delivers them.
    for (size_t at = 0; at < audio.size(); at += 512)
        rx.processSamples(audio.data() + at,
                          static_cast<int>(std::min<size_t>(512, audio.size() - at)));
    return out.text;
}

class PactorBothSpeeds : public ::testing::TestWithParam<PactorSpeed> {};

TEST_P(PactorBothSpeeds, PlainAndHuffmanPacketsDecode) {
    const PactorSpeed speed = GetParam();
    const bool slow = speed == PactorSpeed::Slow;
    const std::string a = slow ? "CQ CQ DE" : "CQ CQ CQ DE SP9XYZ K";
    // As much Huffman text as one packet holds: 64 and 160 bits.
    const std::string b = slow ? "the quick br" : "the quick brown fox jumps ove";
    PacketOptions plain{.counter = 1};
    PacketOptions huffman{.counter = 2, .huffman = true, .header = 0xAA};
    EXPECT_EQ(receive({dataPacket(speed, a, plain), dataPacket(speed, b, huffman)}, speed), a + b);
}

TEST_P(PactorBothSpeeds, ComplementedPacketsDecodeAndNoiseIsTolerated) {
    const PactorSpeed speed = GetParam();
    PacketOptions inverted{.counter = 1, .complemented = true};
    PacketOptions next{.counter = 2, .huffman = true};
    // Noise of RMS 2000 against tones of amplitude 8000: 12.5 dB SNR in 2500 Hz.
    EXPECT_EQ(receive({dataPacket(speed, "RST 599", inverted), dataPacket(speed, "ok", next)},
                      speed, 2000.0),
              "RST 599ok");
}

INSTANTIATE_TEST_SUITE_P(Speeds, PactorBothSpeeds,
                         ::testing::Values(PactorSpeed::Slow, PactorSpeed::Fast));

TEST(PactorReceiver, RepetitionsLossesCorruptionAndFiller) {
    const auto s = PactorSpeed::Slow;
    const auto p1 = dataPacket(s, "ABC", {.counter = 1});
    auto corrupt = dataPacket(s, "XYZ", {.counter = 2});
    corrupt[4] ^= 0x10;
    const auto p3 = dataPacket(s, "DEF", {.counter = 3});
    // Counter 1 after 3 skips 0: loss mark first. Filler bytes inside the data never print.
    std::vector<uint8_t> withFiller = dataPacket(s, std::string("G\x1eH\x1e", 4), {.counter = 1});
    // Only one of the two complement bits set: no data packet, even with a good CRC.
    const auto halfMarked = dataPacket(s, "IJK", {.counter = 2, .extraStatus = 0x10});
    EXPECT_EQ(receive({p1, p1, corrupt, halfMarked, p3, p3, withFiller}, s),
              "ABC___\r\nDEF___\r\nGH");
}

TEST(PactorReceiver, CounterTwoAfterZeroMarksALoss) {
    const auto s = PactorSpeed::Fast;
    // The first packet (counter 1) follows the start state 0; counter 3 after it skips 2.
    EXPECT_EQ(
        receive({dataPacket(s, "one", {.counter = 1}), dataPacket(s, "two", {.counter = 3})}, s),
        "one___\r\ntwo");
    // The start state is counter 0: a first packet with counter 0 is no step of one either.
    EXPECT_EQ(receive({dataPacket(s, "a", {.counter = 0}), dataPacket(s, "b", {.counter = 2})}, s),
              "___\r\na___\r\nb");
}

TEST(PactorReceiver, TheCounterWrapsFromThreeToZeroWithoutALoss) {
    const auto s = PactorSpeed::Fast;
    std::vector<std::vector<uint8_t>> packets;
    const std::string words[] = {"p1", "p2", "p3", "p0", "q1", "q2", "q3", "q0"};
    for (int n = 0; n < 8; ++n)
        packets.push_back(dataPacket(s, words[n], {.counter = (n + 1) % 4}));
    EXPECT_EQ(receive(packets, s), "p1p2p3p0q1q2q3q0");
}

TEST(PactorReceiver, ConnectFramesAnnounceTheCalledStationFromTheSecondReception) {
    const auto s = PactorSpeed::Slow;
    const auto call = connectFrame("SP9XYZ");
    EXPECT_EQ(receive({call}, s), "");
    EXPECT_EQ(receive({call, call}, s), "\r\n<Calling:SP9XYZ>");
    EXPECT_EQ(receive({call, call, call}, s), "\r\n<Calling:SP9XYZ>\r\n<Calling:SP9XYZ>");
    const auto lp = connectFrame("DL1ABC", true);
    EXPECT_EQ(receive({lp, lp}, s), "\r\n<Calling LP:DL1ABC>");
    // The slash of a portable call is skipped.
    const auto portable = connectFrame("SP9/XY");
    EXPECT_EQ(receive({portable, portable}, s), "\r\n<Calling:SP9XY>");
    const auto idle = connectFrame("UUUUUUUU");
    const auto shortCall = connectFrame("AB");
    EXPECT_EQ(receive({idle, idle, idle, shortCall, shortCall, shortCall}, s), "");
    // Lower-case letters are no call sign.
    const auto bad = connectFrame("sp9xyz");
    EXPECT_EQ(receive({bad, bad}, s), "");
}

}  // namespace
}  // namespace tarnvel::modem
