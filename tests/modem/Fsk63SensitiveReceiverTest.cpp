#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "FskSignal.h"
#include "PskTestSignal.h"
#include "Recorders.h"
#include "TransmittedAudio.h"
#include "modem/CharacterSink.h"
#include "modem/Fsk63Decoder.h"
#include "modem/Fsk63Receiver.h"
#include "modem/Fsk63SensitiveReceiver.h"
#include "modem/ReceiveChain.h"

namespace tarnvel::modem {
namespace {

using testing::addNoise;
using testing::addNoiseForSnr;
using testing::fsk63Signal;
using testing::transmittedAudio;

double messageErrorRate(const std::string& sent, const std::string& decoded) {
    return static_cast<double>(testing::stretchDistance(decoded, sent)) /
           static_cast<double>(sent.size());
}

template <class Receiver>
std::string decode(const std::vector<int16_t>& audio, double tunedHz, Receiver& rx) {
    std::string text;
    CharacterSink sink(&text, nullptr);
    Fsk63Decoder decoder;
    decoder.sink = &sink;
    rx.attachDecoder(&decoder);
    rx.setCarrierFrequency(tunedHz);
    for (size_t at = 0; at < audio.size(); at += 512)
        rx.processSamples(audio.data() + at,
                          static_cast<int>(std::min<size_t>(512, audio.size() - at)));
    return text;
}

template <class Receiver>
std::string decode(const std::vector<int16_t>& audio, double tunedHz) {
    Receiver rx;
    return decode(audio, tunedHz, rx);
}

// On the station's own transmission, and on an independently generated one with swapped tones.
TEST(Fsk63SensitiveReceiver, DecodesCleanSignalsOnAndOffTuneAndWithSwappedTones) {
    const std::string message = "CQ DE SP9XYZ 599 TNX";
    // Idle words after the message carry its last interleaved words whole.
    const std::vector<int16_t> own = transmittedAudio(Mode::Fsk63, message + "   ", 1000.0);
    for (double offset : {0.0, -5.0, 5.0, -10.0, 10.0})
        EXPECT_EQ(messageErrorRate(message, decode<Fsk63SensitiveReceiver>(own, 1000.0 + offset)),
                  0.0)
            << offset << " Hz off";
    const std::string swapped =
        decode<Fsk63SensitiveReceiver>(fsk63Signal(message, 1200.0, true), 1200.0);
    ASSERT_GE(swapped.size(), message.size());
    EXPECT_EQ(swapped.substr(swapped.size() - message.size()), message) << swapped;
}

// The point of the correlators: at -6 dB in 2500 Hz the discriminator of the FSK63 receiver has
// lost most characters, the tone correlators hardly any (here 73 % against 0; over ten draws of
// a 280-character message 69 % against 0.04 %).
TEST(Fsk63SensitiveReceiver, DecodesSixDecibelsBelowTheNoiseWhereTheDiscriminatorFails) {
    const std::string message = "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789 73 SK";
    std::vector<int16_t> audio = transmittedAudio(Mode::Fsk63, message + "   ", 1000.0);
    addNoiseForSnr(audio, -6.0, 77);
    const double sensitive =
        messageErrorRate(message, decode<Fsk63SensitiveReceiver>(audio, 1000.0));
    const double specified = messageErrorRate(message, decode<Fsk63Receiver>(audio, 1000.0));
    EXPECT_LE(sensitive, 0.04);
    EXPECT_GE(specified, 0.2);
}

// The discriminator still runs beside the correlators: the AFC's error word and the phase
// scope behave as in the FSK63 receiver, and where the squelch at its usual threshold (20:
// open from 11) opens there it opens here too, although the figure comes from the correlators.
TEST(Fsk63SensitiveReceiver, KeepsTheAfcErrorSquelchQualityAndScope) {
    const std::vector<int16_t> audio = fsk63Signal("CQ CQ CQ DE SP9XYZ K", 1000.0, false, 20, 6);
    for (double offset : {-15.0, 0.0, 15.0}) {
        Fsk63Receiver specified;
        Fsk63SensitiveReceiver sensitive;
        testing::ScopeRecorder scope;
        sensitive.attachScope(&scope);
        decode(audio, 1000.0 + offset, specified);
        decode(audio, 1000.0 + offset, sensitive);
        if (offset != 0.0) {
            EXPECT_NE(sensitive.midpoint(), 0);
            EXPECT_EQ(sensitive.midpoint() > 0, specified.midpoint() > 0) << offset;
        }
        EXPECT_TRUE(sensitive.quality() >= 11 || specified.quality() < 11)
            << offset << ": " << sensitive.quality() << " against " << specified.quality();
        EXPECT_DOUBLE_EQ(sensitive.afcScale(), specified.afcScale());
        EXPECT_GT(scope.calls.size(), 500u);
    }
}

// The receive chain's choice of receiver covers FSK63: "sensitive" decodes the weak signal
// through the correlators, and going back to "specified" gives exactly what a chain that never
// left it decodes.
TEST(Fsk63SensitiveReceiver, FollowsTheReceiveChainsChoiceAndSwitchesBack) {
    const std::string message = "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789 73 SK";
    std::vector<int16_t> audio = transmittedAudio(Mode::Fsk63, message + "   ", 1000.0);
    addNoiseForSnr(audio, -6.0, 77);
    auto receive = [&](std::initializer_list<PskReceiverKind> choices) {
        ReceiveChain chain;
        chain.selectMode(Mode::Fsk63);
        for (PskReceiverKind kind : choices) chain.usePskReceiver(kind);
        chain.setReceiveFrequency(1000.0, true);
        for (size_t at = 0; at < audio.size(); at += 512)
            chain.processReceiveBlock(
                std::span(audio).subspan(at, std::min<size_t>(512, audio.size() - at)),
                ReceiveChain::kDemodulate);
        return chain.pendingText();
    };
    EXPECT_LE(messageErrorRate(message, receive({PskReceiverKind::Sensitive})), 0.04);
    const std::string specified = receive({});
    EXPECT_GE(messageErrorRate(message, specified), 0.2);
    EXPECT_EQ(receive({PskReceiverKind::Sensitive, PskReceiverKind::Specified}), specified);
}

}  // namespace
}  // namespace tarnvel::modem
