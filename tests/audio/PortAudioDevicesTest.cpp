// The formats tried on a device, best first, without any sound server.

#include <gtest/gtest.h>

#include <vector>

#include "audio/PortAudioDevices.h"

namespace tarnvel::audio {
namespace {

PaDeviceInfo deviceWith(int inputs, int outputs, double ownRate) {
    PaDeviceInfo info{};
    info.name = "test";
    info.maxInputChannels = inputs;
    info.maxOutputChannels = outputs;
    info.defaultSampleRate = ownRate;
    return info;
}

std::vector<std::pair<int, int>> pairsOf(const std::vector<StreamFormat>& formats) {
    std::vector<std::pair<int, int>> out;
    for (const StreamFormat& f : formats) out.emplace_back(f.channels, f.rate);
    return out;
}

TEST(PortAudioDevices, MonoAtTheNominalRateComesFirstThenTheDevicesOwnRate) {
    SoundCardConfig config;
    config.nominalRate = 11025;
    const auto stereo = candidateFormats(deviceWith(2, 0, 48000.0), SoundDirection::Input, config);
    EXPECT_EQ(pairsOf(stereo),
              (std::vector<std::pair<int, int>>{{1, 11025}, {1, 48000}, {2, 11025}, {2, 48000}}));
    // The direction decides which channel count counts: this device has no output.
    EXPECT_TRUE(
        candidateFormats(deviceWith(2, 0, 48000.0), SoundDirection::Output, config).empty());
}

TEST(PortAudioDevices, OwnRateEqualToNominalOrUnknownIsNotTriedTwice) {
    SoundCardConfig config;
    config.nominalRate = 11025;
    EXPECT_EQ(pairsOf(candidateFormats(deviceWith(0, 1, 11025.0), SoundDirection::Output, config)),
              (std::vector<std::pair<int, int>>{{1, 11025}}));
    EXPECT_EQ(pairsOf(candidateFormats(deviceWith(0, 1, 0.0), SoundDirection::Output, config)),
              (std::vector<std::pair<int, int>>{{1, 11025}}));
}

TEST(PortAudioDevices, ForcedRateIsTheOnlyRateTried) {
    SoundCardConfig config;
    config.nominalRate = 11025;
    config.forcedDeviceRate = 44100;
    EXPECT_EQ(pairsOf(candidateFormats(deviceWith(1, 2, 48000.0), SoundDirection::Output, config)),
              (std::vector<std::pair<int, int>>{{1, 44100}, {2, 44100}}));
}

}  // namespace
}  // namespace tarnvel::audio
