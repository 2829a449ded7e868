#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FskSignal.h"
#include "TransmittedAudio.h"
#include "Recorders.h"
#include "modem/CharacterSink.h"
#include "modem/Fsk31Receiver.h"
#include "modem/Fsk63Decoder.h"
#include "modem/Fsk63Receiver.h"
#include "modem/Fsk63SensitiveReceiver.h"

namespace tarnvel::modem {
namespace {

using testing::fsk63Signal;
using testing::FskModulator;

// Reads the front-end settings the receivers derive from the sample rate.
struct Fsk63Probe : Fsk63Receiver {
    using Fsk63Receiver::combLength;
    using Fsk63Receiver::decimStep;
    using Fsk63Receiver::symbolStep;
};

using BitRecorder = testing::SymbolRecorder;
using testing::ScopeRecorder;

void feed(PskReceiver& rx, const std::vector<int16_t>& audio) {
    for (size_t at = 0; at < audio.size(); at += 512)
        rx.processSamples(audio.data() + at,
                          static_cast<int>(std::min<size_t>(512, audio.size() - at)));
}

TEST(Fsk63Receiver, FrontEndRunsAt2000SamplesPerSecond) {
    Fsk63Probe rx;
    EXPECT_EQ(rx.combLength, 11);
    EXPECT_EQ(rx.decimStep, 11888);
    EXPECT_EQ(rx.symbolStep, 2048);
}

TEST(Fsk31Receiver, SteadyToneGivesOnesAndAlternatingTonesGiveZeros) {
    constexpr double kCentre = 1000.0;
    std::vector<int16_t> steady, alternating;
    FskModulator a(kCentre, 15.625, 31.25), b(kCentre, 15.625, 31.25);
    for (int n = 0; n < 120; ++n) {
        a.modulate({1}, steady);
        b.modulate({n & 1}, alternating);
    }
    for (const auto* audio : {&steady, &alternating}) {
        Fsk31Receiver rx;
        BitRecorder bits;
        ScopeRecorder scope;
        rx.attachDecoder(&bits);
        rx.attachScope(&scope);
        rx.setCarrierFrequency(kCentre);
        feed(rx, *audio);
        ASSERT_GT(bits.bits.size(), 100u);
        // Skip the symbols in which the filters and the tone levels settle.
        const int expected = audio == &steady ? 1 : 0;
        for (size_t n = 40; n < bits.bits.size(); ++n) EXPECT_EQ(bits.bits[n], expected) << n;
        ASSERT_EQ(scope.calls.size(), bits.bits.size());
        for (const auto& call : scope.calls) EXPECT_GE(call.level, FskToneTracker::kMinLevelCode);
    }
}

TEST(FskToneTracker, QualityPenaltyIsZeroAtAQuarterTurnAndWorstAtZero) {
    EXPECT_EQ(FskToneTracker::qualityPenalty(1 << 30), 0);
    EXPECT_EQ(FskToneTracker::qualityPenalty(-(1 << 30)), 0);
    // Silence measures exactly 0: the worst case, not a wrap round to the best.
    EXPECT_EQ(FskToneTracker::qualityPenalty(0), 64);
    EXPECT_EQ(FskToneTracker::qualityPenalty(INT32_MIN), 64);
    EXPECT_EQ(FskToneTracker::levelCode(0, 0), FskToneTracker::kMinLevelCode);
}

TEST(Fsk31Receiver, SilenceClosesTheSquelchQuality) {
    Fsk31Receiver rx;
    BitRecorder bits;
    rx.attachDecoder(&bits);
    const std::vector<int16_t> silence(11025 * 2, 0);
    feed(rx, silence);
    EXPECT_EQ(rx.quality(), 0);
}

// The lowest and highest quality figure read from two seconds into the audio (the weak-signal
// FSK63 receiver gives its figure 1.3 s late at the start) to one second before its end (the
// transmitter's audio ends in silence).
std::pair<int32_t, int32_t> qualityRange(FskReceiver& rx, const std::vector<int16_t>& audio) {
    BitRecorder bits;
    rx.attachDecoder(&bits);
    rx.setCarrierFrequency(1000.0);
    int32_t low = 31, high = 0;
    for (size_t at = 0; at + 512 <= audio.size(); at += 512) {
        rx.processSamples(audio.data() + at, 512);
        if (at < 2 * 11025 || at + 11025 > audio.size()) continue;
        low = std::min(low, rx.quality());
        high = std::max(high, rx.quality());
    }
    return {low, high};
}

// Every FSK receiver's quality figure keeps the squelch at its usual threshold (20: open from
// 11) open throughout a clean signal. (At the weak-signal FSK63 receiver's symbol instants
// the discriminator's figure read a clean signal as about 6 and every usual squelch stayed
// shut; that receiver grades its correlators instead, which also read noise far lower.)
TEST(FskReceivers, QualityReadsCleanSignalsHighAndNoiseLow) {
    const std::string text = "CQ CQ DE SP9XYZ SP9XYZ PSE K THE QUICK BROWN FOX";
    const std::vector<int16_t> fsk31 = testing::transmittedAudio(Mode::Fsk31, text, 1000.0);
    const std::vector<int16_t> fsk63 = testing::transmittedAudio(Mode::Fsk63, text, 1000.0);
    std::vector<int16_t> noise(11025 * 20, 0);
    testing::addNoise(noise, 3000.0, 7);

    Fsk31Receiver a;
    Fsk63Receiver b;
    Fsk63SensitiveReceiver e, f;
    const struct {
        const char* name;
        FskReceiver& onSignal;
        const std::vector<int16_t>& signal;
    } cases[] = {{"FSK31", a, fsk31}, {"FSK63", b, fsk63}, {"FSK63 sensitive", e, fsk63}};
    for (const auto& k : cases) {
        const auto [low, high] = qualityRange(k.onSignal, k.signal);
        EXPECT_GE(low, 11) << k.name;
        EXPECT_EQ(high, 31) << k.name;
    }
    EXPECT_LE(qualityRange(f, noise).second, 6) << "20 s of noise";
}

std::string decodeFsk63(const std::vector<int16_t>& audio, double tunedHz, int* bestPhase) {
    std::string text;
    CharacterSink sink(&text, nullptr);
    Fsk63Decoder decoder;
    decoder.sink = &sink;
    Fsk63Receiver rx;
    rx.attachDecoder(&decoder);
    rx.setCarrierFrequency(tunedHz);
    feed(rx, audio);
    if (bestPhase) *bestPhase = decoder.bestPhase();
    return text;
}

TEST(Fsk63Decoder, DecodesUprightAndSwappedTonesThroughOppositeCodePhases) {
    const std::string message = "CQ DE SP9XYZ";
    int upright = -1, swapped = -1;
    const std::string a = decodeFsk63(fsk63Signal(message, 1200.0, false), 1200.0, &upright);
    const std::string b = decodeFsk63(fsk63Signal(message, 1200.0, true), 1200.0, &swapped);
    // Once the decoder has locked, the whole output is the message: the idle words after it
    // give nothing, on either path (what comes out while it locks on is noise).
    auto tail = [&](const std::string& text) {
        return text.substr(text.size() - std::min(text.size(), message.size()));
    };
    EXPECT_EQ(tail(a), message) << a;
    EXPECT_EQ(tail(b), message) << b;
    // The same timing with the tones swapped wins in the other half of the phase scores.
    EXPECT_EQ(upright < Fsk63Decoder::kCodePhases, swapped >= Fsk63Decoder::kCodePhases);
}

TEST(Fsk63Decoder, SoftValuesBelowTheScaleAreErasures) {
    std::string text;
    CharacterSink sink(&text, nullptr);
    Fsk63Decoder decoder;
    decoder.sink = &sink;
    for (int n = 0; n < 17 * 20; ++n) decoder.onSymbol(0, 0, (n & 1) ? 639 : -639);
    // Every score is 0: no phase ever leads, so the best phase stays 0 and code 0 (the best
    // index when nothing scores) comes out once per word.
    EXPECT_EQ(decoder.phaseScore(0), 0);
    EXPECT_EQ(text, std::string(20, '\0'));
}

}  // namespace
}  // namespace tarnvel::modem
