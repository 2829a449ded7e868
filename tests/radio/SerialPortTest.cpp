// The termios port on ptys: bytes both ways, a clear error for the modem lines a pty lacks,
// and a far end that vanishes in the middle of a transmission.

#include <gtest/gtest.h>

#include <atomic>
#include <iostream>
#include <numeric>

#include "PtyPair.h"
#include "radio/SerialPort.h"
#include "radio/SerialRadio.h"

namespace tarnvel::radio {
namespace {

std::vector<uint8_t> pattern(std::size_t count, unsigned seed = 0) {
    std::vector<uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>((i * 7 + seed) % 251);
    return bytes;
}

TEST(SerialPortBytes, EverythingWrittenArrivesInOrder) {
    test::BarePty pty;
    ASSERT_FALSE(pty.device().empty());
    SerialPort port;
    ASSERT_TRUE(port.open(pty.device(), 115200));
    const auto first = pattern(3000, 1);
    const auto second = pattern(2000, 2);
    ASSERT_TRUE(port.write(first));
    ASSERT_TRUE(port.write(second));
    auto expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(pty.read(expected.size()), expected);
    EXPECT_TRUE(port.flush(std::chrono::seconds(5)));
    EXPECT_EQ(port.pendingBytes(), 0u);
}

TEST(SerialPortBytes, ReceivedBytesAreKeptAndTheOldestGiveWayWhenTheRingIsFull) {
    test::BarePty pty;
    SerialPort port;
    ASSERT_TRUE(port.open(pty.device(), 9600));
    const std::size_t extra = 3616;
    const auto sent = pattern(SerialPort::kRingBytes + extra, 3);
    // In pieces: a full pty blocks the writer here until the port's reader has made room.
    for (std::size_t at = 0; at < sent.size(); at += 1000) {
        const std::size_t n = std::min<std::size_t>(1000, sent.size() - at);
        ASSERT_TRUE(pty.write({sent.begin() + static_cast<long>(at),
                               sent.begin() + static_cast<long>(at + n)}));
    }
    ASSERT_TRUE(test::waitUntil([&] { return port.rxOverflows() == extra; }))
        << "overflows: " << port.rxOverflows();
    const auto kept = port.readAll();
    EXPECT_EQ(kept, std::vector<uint8_t>(sent.begin() + static_cast<long>(extra), sent.end()));
    EXPECT_EQ(port.readByte(), -1);
}

TEST(SerialPortBytes, TooMuchAtOnceIsRefusedWholeAndNothingIsCut) {
    test::BarePty pty;
    SerialPort port;
    ASSERT_TRUE(port.open(pty.device(), 1200));
    const SerialResult r = port.write(pattern(SerialPort::kRingBytes + 1));
    EXPECT_EQ(r.error, SerialError::QueueFull);
    ASSERT_TRUE(port.write(std::vector<uint8_t>{0x42, 0x43}));
    EXPECT_EQ(pty.read(2), (std::vector<uint8_t>{0x42, 0x43})) << "no part of the refused block went out";
}

TEST(SerialPortLines, APtyGivesAClearErrorForRtsAndDtrAndStaysUsable) {
    test::BarePty pty;
    SerialPort port;
    ASSERT_TRUE(port.open(pty.device(), 1200));
    std::cout << "DTR/RTS raised by open() until cleared: " << port.lineRaiseWindow().count()
              << " us (pty: the clearing ioctl is refused)\n";
    EXPECT_FALSE(port.hasModemLines());
    for (const SerialResult& r : {port.setRts(true), port.setDtr(false)}) {
        EXPECT_EQ(r.error, SerialError::LinesUnsupported);
        EXPECT_NE(r.message.find(pty.device()), std::string::npos) << r.message;
    }
    EXPECT_NE(port.setRts(true).message.find("RTS"), std::string::npos);
    EXPECT_NE(port.setDtr(true).message.find("DTR"), std::string::npos);
    ASSERT_TRUE(port.write(std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(pty.read(3), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(SerialPortOpening, FailuresNameTheDeviceAndLeaveThePortClosed) {
    SerialPort port;
    SerialResult r = port.open("/dev/tarnvel-no-such-port", 1200);
    EXPECT_EQ(r.error, SerialError::OpenFailed);
    EXPECT_NE(r.message.find("/dev/tarnvel-no-such-port"), std::string::npos);
    EXPECT_FALSE(port.isOpen());

    r = port.open("/dev/null", 1200);
    EXPECT_EQ(r.error, SerialError::NotSerial) << r.message;
    EXPECT_NE(r.message.find("/dev/null"), std::string::npos);
    EXPECT_FALSE(port.isOpen());

    test::BarePty pty;
    r = port.open(pty.device(), 1234);
    EXPECT_EQ(r.error, SerialError::UnsupportedSpeed);
    EXPECT_NE(r.message.find("1234"), std::string::npos);
    EXPECT_FALSE(port.isOpen());

    EXPECT_EQ(port.close().error, SerialError::NotOpen);
    EXPECT_EQ(port.write(std::vector<uint8_t>{1}).error, SerialError::NotOpen);
    EXPECT_EQ(port.setRts(true).error, SerialError::NotOpen);
}

TEST(SerialPortOpening, ReopeningAfterCloseCarriesBytesAgain) {
    test::BarePty pty;
    SerialPort port;
    ASSERT_TRUE(port.open(pty.device(), 4800));
    ASSERT_TRUE(port.close());
    EXPECT_FALSE(port.isOpen());
    ASSERT_TRUE(port.open(pty.device(), 4800));
    ASSERT_TRUE(port.write(std::vector<uint8_t>{9, 8, 7}));
    EXPECT_EQ(pty.read(3), (std::vector<uint8_t>{9, 8, 7}));
}

TEST(SerialPortLoss, FarEndClosedMidTransmissionIsReportedOnceAndNothingHangs) {
    test::BarePty pty;
    SerialPort port;
    std::atomic<int> handlerCalls{0};
    port.setLostHandler([&] { ++handlerCalls; });
    ASSERT_TRUE(port.open(pty.device(), 1200));
    SerialRadioSettings settings;
    settings.portInUse = true;
    SerialRadio radio(port, settings);
    radio.setPtt(true);  // refused on a pty, but the station asks for it all the same

    // Nobody reads the far end: fill the pty until the writer is stuck with bytes queued.
    const auto chunk = pattern(4096);
    ASSERT_TRUE(test::waitUntil([&] {
        port.write(chunk);
        return port.pendingBytes() > SerialPort::kRingBytes / 2;
    })) << "the transmission never backed up";

    pty.closeMaster();  // the adapter is pulled out
    ASSERT_TRUE(test::waitUntil([&] { return port.lost(); })) << "the loss went unnoticed";
    const auto message = port.takeLostMessage();
    ASSERT_TRUE(message);
    EXPECT_NE(message->find(pty.device()), std::string::npos) << *message;
    EXPECT_FALSE(port.takeLostMessage()) << "reported a second time";

    EXPECT_EQ(port.write(chunk).error, SerialError::DeviceLost);
    EXPECT_FALSE(port.flush(std::chrono::milliseconds(100)));
    EXPECT_EQ(radio.setPtt(false).error, SerialError::DeviceLost);
    EXPECT_FALSE(radio.keyed());
    EXPECT_TRUE(port.close());
    EXPECT_EQ(handlerCalls.load(), 1);
}

}  // namespace
}  // namespace tarnvel::radio
