// A recording as the sound card: real WAV files in, real WAV files out.

#include "audio/WavFileSoundCard.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <numeric>
#include <thread>

#include "SoundTestSupport.h"
#include "audio/WavFile.h"
#include "support/WavBytes.h"

namespace tarnvel::audio {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::ScratchFolder;

std::vector<int16_t> pattern(std::size_t count) {
    std::vector<int16_t> v(count);
    for (std::size_t i = 0; i < count; ++i) v[i] = static_cast<int16_t>(i * 7919 % 65536);
    return v;
}

struct Received {
    std::vector<int16_t> samples;
    bool ended = false;
};

// Reads the input until InputEnded (or the time-out).
Received readAll(SoundCard& card, std::chrono::seconds timeout = 20s) {
    Received r;
    std::array<int16_t, kInputBlockSamples> block{};
    const auto deadline = Clock::now() + timeout;
    while (!r.ended && Clock::now() < deadline) {
        card.events().waitFor(50ms);
        while (auto e = card.events().next()) {
            if (e->kind == SoundEventKind::InputEnded) r.ended = true;
        }
        while (card.readInputBlock(block))
            r.samples.insert(r.samples.end(), block.begin(), block.end());
    }
    return r;
}

// A recording at the nominal rate arrives sample for sample, in whole blocks with the last
// one padded with silence, then InputEnded.
TEST(WavFileSoundCard, RecordingArrivesExactlyInBlocks) {
    ScratchFolder dir;
    const auto recording = pattern(10 * kInputBlockSamples + 100);
    ASSERT_EQ(writeWavFile(recording.data(), 11025, static_cast<int>(recording.size()),
                           dir / "in.wav", 0),
              0);
    WavFileSoundCard card({}, {dir / "in.wav", "", false});
    ASSERT_EQ(card.inputDevices().size(), 1u);
    EXPECT_TRUE(card.outputDevices().empty());
    const SoundResult started = card.startInput();
    ASSERT_TRUE(started.ok()) << started.message;

    const Received r = readAll(card);
    EXPECT_TRUE(r.ended);
    ASSERT_EQ(r.samples.size(), 11u * kInputBlockSamples);
    EXPECT_TRUE(std::equal(recording.begin(), recording.end(), r.samples.begin()));
    EXPECT_TRUE(std::all_of(r.samples.begin() + static_cast<std::ptrdiff_t>(recording.size()),
                            r.samples.end(), [](int16_t s) { return s == 0; }));
    EXPECT_EQ(card.inputSamplesDelivered(), recording.size());
    card.stopInput();
}

// A recording at another rate is converted: a 1000 Hz tone at 8000 samples per second comes
// in at 11025 as 1000 Hz with the duration kept; paced in real time it takes as long as it
// lasts.
TEST(WavFileSoundCard, OtherRatesAreConvertedAndPacingKeepsTime) {
    ScratchFolder dir;
    std::vector<int16_t> tone(8000);
    test::Tone(1000, 8000, 10000).fill(tone);
    ASSERT_EQ(writeWavFile(tone.data(), 8000, 8000, dir / "tone8k.wav", 0), 0);

    WavFileSoundCard card({}, {dir / "tone8k.wav", "", true});
    const auto started = Clock::now();
    ASSERT_TRUE(card.startInput().ok());
    const Received r = readAll(card);
    const auto took = Clock::now() - started;
    EXPECT_TRUE(r.ended);
    EXPECT_GE(took, 900ms);
    EXPECT_NEAR(static_cast<double>(card.inputSamplesDelivered()), 11025.0, 64.0);
    const auto steady = std::span<const int16_t>(r.samples).subspan(1000, 9000);
    EXPECT_NEAR(test::measureFrequency(steady, 11025), 1000.0, 0.5);
}

// A station that stops reading a real-time input keeps the first 2.2 s (48 blocks) and is
// told how much it lost, as with a sound card.
TEST(WavFileSoundCard, StalledStationLosesAudioBeyondTheBacklog) {
    ScratchFolder dir;
    const auto recording = pattern(3 * 11025);
    ASSERT_EQ(writeWavFile(recording.data(), 11025, static_cast<int>(recording.size()),
                           dir / "in.wav", 0),
              0);
    WavFileSoundCard card({}, {dir / "in.wav", "", true});
    ASSERT_TRUE(card.startInput().ok());
    bool ended = false;
    const auto deadline = Clock::now() + 20s;
    while (!ended && Clock::now() < deadline) {
        card.events().waitFor(100ms);
        while (auto e = card.events().next()) ended |= e->kind == SoundEventKind::InputEnded;
    }
    ASSERT_TRUE(ended);
    std::array<int16_t, kInputBlockSamples> block{};
    std::vector<int16_t> kept;
    while (card.readInputBlock(block)) kept.insert(kept.end(), block.begin(), block.end());
    ASSERT_EQ(kept.size(), static_cast<std::size_t>(kInputBacklogBlocks * kInputBlockSamples));
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), recording.begin()));
    EXPECT_EQ(card.inputOverruns(), recording.size() - kept.size());
}

// A station that reads the audio but does not look at its events until the recording is
// through (hundreds of blocks, far more than the event queue holds) still gets every sample
// and the end of the input.
TEST(WavFileSoundCard, EndOfInputSurvivesAStationThatIgnoresItsEvents) {
    ScratchFolder dir;
    constexpr std::size_t kBlocks = 3 * SoundEvents::kCapacity;
    const auto recording = pattern(kBlocks * kInputBlockSamples - 100);
    ASSERT_EQ(writeWavFile(recording.data(), 11025, static_cast<int>(recording.size()),
                           dir / "in.wav", 0),
              0);
    WavFileSoundCard card({}, {dir / "in.wav", "", false});
    ASSERT_TRUE(card.startInput().ok());
    std::vector<int16_t> received;
    std::array<int16_t, kInputBlockSamples> block{};
    const auto deadline = Clock::now() + 20s;
    while (received.size() < kBlocks * kInputBlockSamples && Clock::now() < deadline) {
        if (card.readInputBlock(block)) {
            received.insert(received.end(), block.begin(), block.end());
        } else {
            std::this_thread::sleep_for(1ms);
        }
    }
    ASSERT_EQ(received.size(), kBlocks * kInputBlockSamples);
    EXPECT_TRUE(std::equal(recording.begin(), recording.end(), received.begin()));
    const Received rest = readAll(card, 5s);
    EXPECT_TRUE(rest.ended);
    EXPECT_TRUE(rest.samples.empty());
    EXPECT_EQ(card.events().droppedEvents(), 0u);
    EXPECT_EQ(card.inputOverruns(), 0u);
}

// Every played buffer comes back done and lands in the file, across two transmissions.
TEST(WavFileSoundCard, TransmittedBuffersAreWrittenExactly) {
    ScratchFolder dir;
    WavFileSoundCard card({}, {"", dir / "tx.wav", false});
    EXPECT_TRUE(card.inputDevices().empty());
    EXPECT_EQ(card.startInput().error, SoundError::NoDevice);
    ASSERT_TRUE(card.openOutput().ok());

    std::vector<int16_t> expected;
    int16_t next = -3000;
    auto fillAndPlay = [&](int index) {
        OutputBuffer buffer = card.outputBuffer(index);
        std::iota(buffer.begin(), buffer.end(), next);
        next = static_cast<int16_t>(next + kOutputBufferSamples);
        expected.insert(expected.end(), buffer.begin(), buffer.end());
        ASSERT_TRUE(card.playBuffer(index).ok());
    };
    for (int i = 0; i < kOutputBuffersInFlight; ++i) fillAndPlay(i);
    // Refill each returned buffer until twelve have been played.
    int played = kOutputBuffersInFlight;
    while (auto e = card.events().next()) {
        ASSERT_EQ(e->kind, SoundEventKind::OutputBufferDone);
        if (played < 12) {
            fillAndPlay(e->buffer);
            ++played;
        }
    }
    EXPECT_EQ(played, 12);
    ASSERT_TRUE(card.closeOutput().ok());

    ASSERT_TRUE(card.openOutput().ok());
    fillAndPlay(2);
    ASSERT_TRUE(card.closeOutput().ok());

    const WavReadResult file = readWavFile(dir / "tx.wav");
    ASSERT_TRUE(file.ok) << file.error;
    EXPECT_EQ(file.sampleRate, 11025u);
    EXPECT_EQ(file.samples, expected);
}

// Files that cannot be read or written give a clear error naming the file; nothing hangs,
// and once the problem is gone the same card opens.
TEST(WavFileSoundCard, FileFailuresAreReportedAndRecoverable) {
    ScratchFolder dir;
    WavFileSoundCard card({}, {dir / "missing.wav", dir / "no-folder" / "tx.wav", false});
    const SoundResult in = card.startInput();
    EXPECT_EQ(in.error, SoundError::FileReadFailed);
    EXPECT_NE(in.message.find("missing.wav"), std::string::npos) << in.message;
    EXPECT_FALSE(card.inputOpen());

    const SoundResult out = card.openOutput();
    EXPECT_EQ(out.error, SoundError::WriteFailed);
    EXPECT_NE(out.message.find("tx.wav"), std::string::npos) << out.message;
    EXPECT_FALSE(card.outputOpen());
    EXPECT_EQ(card.playBuffer(0).error, SoundError::NotOpen);

    std::filesystem::create_directory(dir / "no-folder");
    ASSERT_TRUE(card.openOutput().ok());
    ASSERT_TRUE(card.playBuffer(0).ok());
    // The target turns into a folder while transmitting: the final write fails and says so.
    std::filesystem::remove(dir / "no-folder" / "tx.wav");
    std::filesystem::create_directory(dir / "no-folder" / "tx.wav");
    const SoundResult closed = card.closeOutput();
    EXPECT_EQ(closed.error, SoundError::WriteFailed);
    EXPECT_EQ(card.lastOutputResult().error, SoundError::WriteFailed);

    const int16_t one[] = {42};
    ASSERT_EQ(writeWavFile(one, 11025, 1, dir / "missing.wav", 0), 0);
    ASSERT_TRUE(card.startInput().ok());
    const Received r = readAll(card);
    ASSERT_FALSE(r.samples.empty());
    EXPECT_EQ(r.samples[0], 42);
}

}  // namespace
}  // namespace tarnvel::audio
