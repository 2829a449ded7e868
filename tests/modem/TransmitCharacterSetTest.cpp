#include <gtest/gtest.h>

#include <string>

#include "TransmitProbe.h"
#include "modem/CharacterSet.h"
#include "modem/Transmitter.h"

namespace tarnvel::modem {
namespace {

constexpr size_t kBuffer = Transmitter::kBufferSamples;
const std::string kRx = "\xAE";
const std::string kRxAndClear = "\xA9";
const std::string kCwId = "\xB0";

struct Sent {
    std::string onAir;  // the characters decoded back from the audio
    bool complete = false;
};

Sent transmit(TextTransmitHost& host, CharacterSet set, const std::string& text) {
    Transmitter tx(host);
    tx.setCharacterSet(set);
    host.type(text);
    const auto out = tx.renderTransmission(600 * kBuffer);
    const auto sym =
        probe::symbols(out.samples, tx.modulator().symbolStep(), tx.modulator().carrierStep());
    return {probe::decodeVaricode(probe::bpskBits(sym, 40, sym.size())), out.complete};
}

// Letters whose UTF-8 bytes hold 174, 169 and 176: "Ů" C5 AE, "©" C2 A9, "°" C2 B0, "ę" C4 99.
const std::string kMarkerLetters = encodeText(U"Ů©°ę zażółć", CharacterSet::Utf8);

TEST(TransmitCharacterSet, Utf8LettersHoldingMarkerBytesAreSentWhole) {
    TextTransmitHost host;
    host.setUseCwId(1);
    const Sent sent = transmit(host, CharacterSet::Utf8, kMarkerLetters + kRx + "\r\nlater");
    EXPECT_TRUE(sent.complete);
    EXPECT_EQ(sent.onAir, kMarkerLetters);
    EXPECT_EQ(host.echoed(), kMarkerLetters);
    EXPECT_EQ(host.announced(), "");  // 176 inside "°" did not key the identification
    EXPECT_EQ(host.clears(), 0);      // 169 inside "©" did not clear the window
    EXPECT_EQ(host.pendingText(), "\r\nlater");
}

TEST(TransmitCharacterSet, SingleByteSetsKeepEveryMarkerAControl) {
    // The same bytes in Latin-1: the 174 after C5 ends the transmission there, as it always did.
    TextTransmitHost host;
    const Sent sent = transmit(host, CharacterSet::Latin1, kMarkerLetters + kRx);
    EXPECT_TRUE(sent.complete);
    EXPECT_EQ(sent.onAir, "\xC5");
    EXPECT_EQ(host.pendingText(), kMarkerLetters.substr(2) + kRx);
}

TEST(TransmitCharacterSet, StandaloneMarkersStillActInUtf8) {
    {
        TextTransmitHost host;
        const std::string text = encodeText(U"żółw", CharacterSet::Utf8);
        const Sent sent = transmit(host, CharacterSet::Utf8, text + kRx + "never");
        EXPECT_TRUE(sent.complete);
        EXPECT_EQ(sent.onAir, text);
        EXPECT_EQ(host.pendingText(), "never");
    }
    {
        TextTransmitHost host;
        const Sent sent = transmit(host, CharacterSet::Utf8, "\xC5\x81" + kRxAndClear + "x");
        EXPECT_TRUE(sent.complete);
        EXPECT_EQ(sent.onAir, "\xC5\x81");
        EXPECT_EQ(host.clears(), 1);
    }
    {
        TextTransmitHost host;
        host.setUseCwId(1);
        host.setCwIdText("sp");
        const Sent sent = transmit(host, CharacterSet::Utf8, "\xC2\xB0" + kCwId);
        EXPECT_TRUE(sent.complete);
        EXPECT_EQ(host.echoed(), "\xC2\xB0");
        EXPECT_EQ(host.announced(), "CWID: sp");
    }
    {
        // A marker first of all ends at once, whatever the set.
        TextTransmitHost host;
        const Sent sent = transmit(host, CharacterSet::Utf8, kRx + "never");
        EXPECT_TRUE(sent.complete);
        EXPECT_EQ(host.echoed(), "");
    }
}

TEST(TransmitCharacterSet, ALetterSplitAcrossTheFirstCharacterIsSentWhole) {
    // The first character is taken before the preamble; its continuation comes in the text step.
    TextTransmitHost host;
    const Sent sent = transmit(host, CharacterSet::Utf8, "\xC5\xAE" + kRx);
    EXPECT_TRUE(sent.complete);
    EXPECT_EQ(sent.onAir, "\xC5\xAE");
}

}  // namespace
}  // namespace tarnvel::modem
