// The station on the USB sound device, end to end through a simulated device on a pty:
// receive decodes what the device plays, a transmission reaches the device and decodes, and
// a device that goes away is reported with its name and leaves the transmitter released.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "modem/TransmitHost.h"
#include "tests/support/UsbDeviceStation.h"

namespace tarnvel::audio::test {
namespace {

using app::OperatingState;

constexpr int kBoundSeconds = 120;  // only a bound: the tests end as soon as the work is done

// Waits (bounded) until `done` holds, for what the simulator's own thread does.
template <typename Done>
bool eventually(Done done) {
    for (int i = 0; i < kBoundSeconds * 100 && !done(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return done();
}

std::unique_ptr<UsbDeviceSimulator> startDevice(std::vector<int16_t> play) {
    UsbSimulatorOptions options;
    options.play = std::move(play);
    options.realTime = false;
    auto device = std::make_unique<UsbDeviceSimulator>(std::move(options));
    EXPECT_TRUE(device->start().ok());
    return device;
}

// What a station receiving through the link decodes of `play`.
std::string receivedThroughLink(std::vector<int16_t> play, const std::string& wanted) {
    auto device = startDevice(std::move(play));
    UsbStation usb(device->devicePath());
    EXPECT_TRUE(usb.start());
    return usb.receiveUntil(wanted, kBoundSeconds);
}

TEST(UsbDeviceStation, ReceivesWhatTheDevicePlays) {
    auto device = startDevice(bpsk31Signal("CQ CQ DE SP9XYZ SP9XYZ PSE K"));
    UsbStation usb(device->devicePath());
    usb.station.settings().misc.volumeIn = 128;
    usb.station.settings().misc.volumeOut = 128;
    ASSERT_TRUE(usb.start());
    EXPECT_EQ(usb.station.state(), OperatingState::Receiving);
    EXPECT_NE(usb.receiveUntil("PSE K", kBoundSeconds).find("DE SP9XYZ SP9XYZ PSE K"),
              std::string::npos)
        << usb.station.receiveText().text();
    EXPECT_TRUE(device->receiving());
    EXPECT_EQ(device->levels(), (usb::Levels{15, 7}));  // the set-up carried the levels
}

TEST(UsbDeviceStation, TransmissionReachesTheDeviceAndDecodes) {
    auto device = startDevice({});
    UsbStation usb(device->devicePath());
    ASSERT_TRUE(usb.start());
    usb.station.transmitText().appendText("TEST DE SP9XYZ AR" +
                                          std::string(1, static_cast<char>(modem::kCharRx)));
    usb.station.goTransmit();
    ASSERT_EQ(usb.station.state(), OperatingState::Transmitting);
    usb.station.runUntil([&] { return usb.station.state() != OperatingState::Transmitting; },
                         kBoundSeconds * 1000);
    EXPECT_EQ(usb.station.state(), OperatingState::Receiving);
    EXPECT_EQ(usb.station.transmissionsCompleted(), 1);
    EXPECT_FALSE(usb.station.radio().pttOn());
    ASSERT_TRUE(eventually([&] { return device->transmissionsEnded() == 1; }));
    EXPECT_EQ(device->transmissionsStarted(), 1);
    EXPECT_TRUE(eventually([&] { return device->receiving(); }));  // back to receive

    const std::vector<int16_t> sent = device->transmitted();
    ASSERT_GT(sent.size(), static_cast<size_t>(usb::kDeviceRate));
    EXPECT_NE(receivedThroughLink(sent, "SP9XYZ AR").find("TEST DE SP9XYZ AR"), std::string::npos);
}

TEST(UsbDeviceStation, DeviceGoneWhileTransmittingReleasesTheTransmitterAndSaysWhich) {
    auto device = startDevice({});
    const std::string path = device->devicePath();
    UsbStation usb(path);
    ASSERT_TRUE(usb.start());
    usb.station.transmitText().appendText(std::string(200, 'E') +
                                          std::string(1, static_cast<char>(modem::kCharRx)));
    usb.station.goTransmit();
    ASSERT_EQ(usb.station.state(), OperatingState::Transmitting);
    device->unplug();
    usb.station.runUntil([&] { return usb.station.state() != OperatingState::Transmitting; },
                         kBoundSeconds * 1000);
    EXPECT_NE(usb.station.state(), OperatingState::Transmitting);
    EXPECT_FALSE(usb.station.radio().pttOn());
    ASSERT_FALSE(usb.host.ptt.empty());
    EXPECT_FALSE(usb.host.ptt.back());
    EXPECT_EQ(usb.station.transmissionsCompleted(), 0);
    EXPECT_TRUE(usb.messageMentions("USB sound device " + path)) << usb.messageTexts();
}

TEST(UsbDeviceStation, DeviceGoneWhileReceivingEndsReceptionWithItsName) {
    auto device = startDevice(bpsk31Signal("CQ CQ"));
    const std::string path = device->devicePath();
    UsbStation usb(path);
    ASSERT_TRUE(usb.start());
    usb.station.pump(100);
    device->unplug();
    usb.station.runUntil([&] { return usb.station.state() == OperatingState::Stopped; },
                         kBoundSeconds * 1000);
    EXPECT_EQ(usb.station.state(), OperatingState::Stopped);
    EXPECT_TRUE(usb.messageMentions("USB sound device " + path + " stopped")) << usb.messageTexts();
}

}  // namespace
}  // namespace tarnvel::audio::test
