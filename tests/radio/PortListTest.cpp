// The port list over a made-up /dev and /sys, and how a stored choice finds its entry again.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "radio/PortList.h"

namespace tarnvel::radio {
namespace {

namespace fs = std::filesystem;

class PortListTree : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tarnvel-ports-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root_ = pattern;
        dev_ = root_ / "dev";
        sys_ = root_ / "sys";
        fs::create_directories(dev_ / "serial" / "by-id");
    }
    void TearDown() override { fs::remove_all(root_); }

    void device(const std::string& name) { std::ofstream(dev_ / name).put('\n'); }
    void uart(const std::string& name, int type) {
        fs::create_directories(sys_ / "class" / "tty" / name);
        std::ofstream(sys_ / "class" / "tty" / name / "type") << type << "\n";
    }
    void byId(const std::string& link, const std::string& target) {
        fs::create_symlink("../../" + target, dev_ / "serial" / "by-id" / link);
    }
    std::vector<std::string> labels(const PortList& list) {
        std::vector<std::string> out;
        for (const auto& c : list.choices()) out.push_back(c.label);
        return out;
    }
    std::string dev(const std::string& name) { return (dev_ / name).string(); }
    std::string id(const std::string& name) { return (dev_ / "serial" / "by-id" / name).string(); }

    fs::path root_, dev_, sys_;
};

TEST_F(PortListTree, StableNamesFirstThenPlainDevicesAndOnlyRealUarts) {
    for (const char* name : {"ttyUSB0", "ttyUSB1", "ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0",
                             "ttyS1", "ttyS2", "tty0", "null"}) {
        device(name);
    }
    uart("ttyS0", 4);  // a 16550A
    uart("ttyS1", 0);  // a placeholder the kernel made without hardware
    byId("usb-FTDI_FT232R_A1-if00-port0", "ttyUSB1");
    const PortList list = PortList::scan({}, dev_.string(), sys_.string());
    const std::vector<std::string> expected{
        "None",          id("usb-FTDI_FT232R_A1-if00-port0"),
        dev("ttyUSB0"),  dev("ttyUSB2"),
        dev("ttyUSB10"), dev("ttyACM0"),
        dev("ttyS0"),    "External"};
    EXPECT_EQ(labels(list), expected);
    EXPECT_EQ(list.at(0).kind, PortKind::None);
    EXPECT_EQ(list.at(1).kind, PortKind::Serial);
    EXPECT_EQ(list.at(list.externalPosition()).kind, PortKind::External);
}

TEST_F(PortListTree, AnEmptyMachineStillOffersNoneAndExternal) {
    fs::remove_all(dev_ / "serial");
    const PortList list = PortList::scan({}, dev_.string(), sys_.string());
    EXPECT_EQ(labels(list), (std::vector<std::string>{"None", "External"}));
    EXPECT_EQ(list.positionOf(1, kExternalDeviceKey), 1u);
}

TEST_F(PortListTree, TheChosenDeviceIsFoundByItsPathAfterTheListChanged) {
    device("ttyUSB0");
    device("ttyUSB1");
    byId("usb-Silicon_Labs_CP2102_0001-if00-port0", "ttyUSB1");
    const std::string chosen = id("usb-Silicon_Labs_CP2102_0001-if00-port0");
    PortList list = PortList::scan({}, dev_.string(), sys_.string());
    const std::size_t before = list.positionOf(1, chosen);
    ASSERT_EQ(list.at(before).device, chosen);
    const int number = list.numberAt(before);
    const std::string key = list.deviceKeyAt(before);
    EXPECT_EQ(key, chosen);

    // Another adapter plugged in, whose by-id name sorts first.
    device("ttyUSB2");
    byId("usb-A_first-if00-port0", "ttyUSB2");
    list = PortList::scan(key, dev_.string(), sys_.string());
    const std::size_t after = list.positionOf(number, key);
    EXPECT_NE(after, before);
    EXPECT_EQ(list.at(after).device, chosen);
    EXPECT_TRUE(list.at(after).present);
}

TEST_F(PortListTree, AnUnpluggedChosenDeviceStaysInTheListMarkedAbsent) {
    device("ttyUSB0");
    const std::string gone = id("usb-gone-if00-port0");
    const PortList list = PortList::scan(gone, dev_.string(), sys_.string());
    const std::size_t at = list.positionOf(3, gone);
    ASSERT_NE(at, 0u);
    EXPECT_EQ(list.at(at).device, gone);
    EXPECT_FALSE(list.at(at).present);
    EXPECT_EQ(list.at(list.externalPosition()).label, "External");
}

TEST(PortListChoice, NumbersAndKeysOfEveryKindOfEntry) {
    const PortList list = PortList::fromDevices({"/dev/ttyUSB0", "/dev/ttyS0"});
    EXPECT_EQ(list.positionOf(0, "/dev/ttyUSB0"), 0u) << "Number 0 means no port";
    EXPECT_EQ(list.positionOf(-1, ""), 0u);
    EXPECT_EQ(list.positionOf(7, kExternalDeviceKey), 3u);
    EXPECT_EQ(list.positionOf(2, ""), 2u) << "settings without a device key keep the position";
    EXPECT_EQ(list.positionOf(9, ""), 0u) << "a position past the list is no port";
    EXPECT_EQ(list.numberAt(3), 3);
    EXPECT_EQ(list.deviceKeyAt(0), "");
    EXPECT_EQ(list.deviceKeyAt(1), "/dev/ttyUSB0");
    EXPECT_EQ(list.deviceKeyAt(3), kExternalDeviceKey);
}

}  // namespace
}  // namespace tarnvel::radio
