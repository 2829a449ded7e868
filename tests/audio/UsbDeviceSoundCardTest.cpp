// The USB sound device's card on a simulated device: received audio arrives whole and in
// order however slowly the station reads, levels and the end of a transmission reach the
// device, and failures name the device.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "audio/SelectedSoundCard.h"
#include "audio/UsbDeviceSimulator.h"
#include "audio/UsbDeviceSoundCard.h"

namespace tarnvel::audio {
namespace {

template <typename Done>
bool eventually(Done done) {
    for (int i = 0; i < 12000 && !done(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return done();
}

SoundCardConfig configFor(const std::string& path) {
    SoundCardConfig config;
    config.nominalRate = usb::kDeviceRate;
    config.usb = {true, path, 255, 255};
    return config;
}

std::vector<int16_t> ramp(std::size_t n) {
    std::vector<int16_t> samples(n);
    for (std::size_t i = 0; i < n; ++i) samples[i] = static_cast<int16_t>(i % 60000 - 30000);
    return samples;
}

TEST(UsbDeviceSoundCard, ASlowStationLosesNothingAndNothingIsOverwritten) {
    // More than the receive ring holds, sent as fast as the pty takes it.
    const std::size_t total = UsbDeviceLink::kReceiveRingBytes / 3 * 2;
    UsbSimulatorOptions options;
    options.play = ramp(total);
    options.realTime = false;
    UsbDeviceSimulator device(std::move(options));
    ASSERT_TRUE(device.start().ok());
    UsbDeviceSoundCard card(configFor(device.devicePath()));
    ASSERT_TRUE(card.startInput().ok());
    // The station does not read: the reader stops at a full ring instead of overwriting.
    ASSERT_TRUE(eventually([&] { return card.inputOverruns() > 0; }));
    std::vector<int16_t> got;
    std::array<int16_t, kInputBlockSamples> block{};
    ASSERT_TRUE(eventually([&] {
        while (card.readInputBlock(InputBlock(block)))
            got.insert(got.end(), block.begin(), block.end());
        return got.size() >= total;
    }));
    got.resize(total);
    EXPECT_EQ(got, ramp(total));
}

TEST(UsbDeviceSoundCard, OtherRatesAndMissingDevicesAreRefusedWithTheirReason) {
    SoundCardConfig config = configFor("/dev/nonexistent-usb-sound");
    UsbDeviceSoundCard card(config);
    SoundResult r = card.startInput();
    EXPECT_FALSE(r.ok());
    EXPECT_NE(r.message.find("/dev/nonexistent-usb-sound"), std::string::npos) << r.message;
    config.nominalRate = 11025;
    card.setConfig(config);
    r = card.openOutput();
    EXPECT_EQ(r.error, SoundError::FormatRefused);
    EXPECT_NE(r.message.find("10417"), std::string::npos) << r.message;
    EXPECT_FALSE(card.outputOpen());
}

TEST(UsbDeviceSoundCard, LevelsChangedSinceTheSetUpAreSentWhenReceiveStarts) {
    UsbSimulatorOptions options;
    options.realTime = false;
    UsbDeviceSimulator device(std::move(options));
    ASSERT_TRUE(device.start().ok());
    UsbDeviceSoundCard card(configFor(device.devicePath()));
    ASSERT_TRUE(card.startInput().ok());
    ASSERT_TRUE(eventually([&] { return device.levels() == usb::Levels{0, 15}; }));
    card.stopInput();
    SoundCardConfig config = configFor(device.devicePath());
    config.usb.volumeIn = 0;
    config.usb.volumeOut = 0;
    card.setConfig(config);
    ASSERT_TRUE(card.startInput().ok());
    EXPECT_TRUE(eventually([&] { return device.levels() == usb::Levels{31, 0}; }));
    device.sendCharacter('K');
    std::array<int16_t, kInputBlockSamples> block{};
    EXPECT_TRUE(eventually([&] {
        card.readInputBlock(InputBlock(block));
        return card.deviceCharacters() == "K";
    }));
}

TEST(UsbDeviceSoundCard, EveryPlayedBufferComesBackAndTheEndReachesTheDevice) {
    UsbSimulatorOptions options;
    options.realTime = false;
    UsbDeviceSimulator device(std::move(options));
    ASSERT_TRUE(device.start().ok());
    UsbDeviceSoundCard card(configFor(device.devicePath()));
    ASSERT_TRUE(card.openOutput().ok());
    constexpr int kBuffers = 40;
    int played = 0;
    int done = 0;
    for (int i = 0; i < kOutputBuffersInFlight; ++i, ++played) {
        std::fill(card.outputBuffer(i).begin(), card.outputBuffer(i).end(),
                  static_cast<int16_t>(played + 1));
        ASSERT_TRUE(card.playBuffer(i).ok());
    }
    while (done < kBuffers) {
        ASSERT_TRUE(card.events().waitFor(std::chrono::seconds(60)));
        while (auto e = card.events().next()) {
            ASSERT_EQ(e->kind, SoundEventKind::OutputBufferDone);
            ++done;
            if (played < kBuffers) {
                std::fill(card.outputBuffer(e->buffer).begin(), card.outputBuffer(e->buffer).end(),
                          static_cast<int16_t>(played + 1));
                ASSERT_TRUE(card.playBuffer(e->buffer).ok());
                ++played;
            }
        }
    }
    ASSERT_TRUE(card.closeOutput().ok());
    ASSERT_TRUE(eventually([&] { return device.transmissionsEnded() == 1; }));
    const std::vector<int16_t> sent = device.transmitted();
    // Every block in order; the first sample went as 'C', the last three bytes as the end.
    ASSERT_EQ(sent.size(), static_cast<size_t>(kBuffers * kOutputBufferSamples - 1));
    EXPECT_EQ(sent[0], 0);
    for (std::size_t i = 1; i < sent.size(); ++i)
        ASSERT_EQ(sent[i], static_cast<int16_t>(i / kOutputBufferSamples + 1)) << i;
}

}  // namespace
}  // namespace tarnvel::audio

namespace tarnvel::audio {
namespace {

TEST(SelectedSoundCard, TheUsbDeviceIsUsedWhenChosenAndLetGoWhenNot) {
    UsbSimulatorOptions options;
    options.realTime = false;
    options.play = ramp(4 * kInputBlockSamples);
    UsbDeviceSimulator device(std::move(options));
    ASSERT_TRUE(device.start().ok());
    SelectedSoundCard card(configFor(device.devicePath()));
    ASSERT_TRUE(card.startInput().ok());
    EXPECT_TRUE(card.usingUsbDevice());
    // Its blocks arrive through the selecting card's own events.
    ASSERT_TRUE(card.events().waitFor(std::chrono::seconds(60)));
    std::array<int16_t, kInputBlockSamples> block{};
    bool read = false;
    ASSERT_TRUE(eventually([&] { return read = read || card.readInputBlock(InputBlock(block)); }));
    EXPECT_EQ(block[0], -30000);  // the first block, whole

    // A new choice waits until nothing is open, then the device is shut down and released.
    SoundCardConfig soundCard = card.config();
    soundCard.usb.use = false;
    card.setConfig(soundCard);
    EXPECT_TRUE(card.inputOpen());
    EXPECT_TRUE(card.usingUsbDevice());
    card.stopInput();
    [[maybe_unused]] const SoundResult opened = card.openOutput();  // the sound card's turn
    EXPECT_FALSE(card.usingUsbDevice());
    EXPECT_TRUE(eventually([&] { return !device.receiving(); }));
    [[maybe_unused]] const SoundResult closed = card.closeOutput();
}

}  // namespace
}  // namespace tarnvel::audio
