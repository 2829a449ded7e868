// From stored "Port" values to what is opened and how the lines are driven.

#include <gtest/gtest.h>

#include "radio/PortSettings.h"

namespace tarnvel::radio {
namespace {

const PortList kPorts = PortList::fromDevices({"/dev/ttyUSB0", "/dev/ttyUSB1"});

TEST(PortPlanning, ASerialDeviceByItsPathWithItsLineRules) {
    StoredPortSettings s;
    s.number = 1;  // a position that moved: the path decides
    s.device = "/dev/ttyUSB1";
    s.serialSpeed = 9600;
    s.rtsAsPtt = 1;
    s.dtrAsPtt = 0;
    s.useIcomCiv = 1;
    s.icomAddr = 0x58;
    s.fourband = 2;
    const PortPlan plan = planPort(s, kPorts);
    EXPECT_EQ(plan.kind, PortKind::Serial);
    EXPECT_EQ(plan.device, "/dev/ttyUSB1");
    EXPECT_EQ(plan.baud, 9600);
    EXPECT_TRUE(plan.radio.portInUse);
    EXPECT_TRUE(plan.radio.rtsAsPtt);
    EXPECT_FALSE(plan.radio.dtrAsPtt);
    EXPECT_TRUE(plan.radio.useIcomCiv);
    EXPECT_EQ(plan.radio.icomAddr, 0x58);
    EXPECT_EQ(plan.radio.fourband, Fourband::TwoBands);
    EXPECT_TRUE(plan.problems.empty());
}

TEST(PortPlanning, NoneAndExternalKeepThePortLinesOutOfIt) {
    StoredPortSettings s;
    EXPECT_EQ(planPort(s, kPorts).kind, PortKind::None);
    EXPECT_FALSE(planPort(s, kPorts).radio.portInUse);
    s.number = 3;
    s.device = kExternalDeviceKey;
    s.rigModel = 3073;
    s.rigDevice = "/dev/ttyUSB0";
    s.rigSpeed = 19200;
    s.rigPtt = 1;
    const PortPlan plan = planPort(s, kPorts);
    EXPECT_EQ(plan.kind, PortKind::External);
    EXPECT_FALSE(plan.radio.portInUse) << "PTT through Hamlib, not the port lines";
    EXPECT_EQ(plan.rig.model, 3073);
    EXPECT_EQ(plan.rig.device, "/dev/ttyUSB0");
    EXPECT_EQ(plan.rig.speed, 19200);
    EXPECT_EQ(plan.rig.ptt, PttMethod::Rts);
}

TEST(PortPlanning, BadStoredValuesAreNamedAndReplacedByDefaults) {
    StoredPortSettings s;
    s.number = 1;
    s.device = "/dev/ttyUSB0";
    s.fourband = 5;
    s.icomAddr = 0xFE;
    s.serialSpeed = 1234;
    s.rigPtt = 9;
    const PortPlan plan = planPort(s, kPorts);
    EXPECT_EQ(plan.radio.fourband, Fourband::None);
    EXPECT_EQ(plan.radio.icomAddr, 0x04);
    EXPECT_EQ(plan.baud, 1200);
    EXPECT_EQ(plan.rig.ptt, PttMethod::Cat);
    ASSERT_EQ(plan.problems.size(), 4u);
    for (const char* key : {"Fourband", "IcomAddr", "SerialSpeed", "RigPtt"}) {
        bool named = false;
        for (const auto& p : plan.problems) named = named || p.find(key) != std::string::npos;
        EXPECT_TRUE(named) << key;
    }
}

TEST(SerialSpeedText, ZeroMeansTheDefaultAndOddSpeedsAreRefused) {
    EXPECT_EQ(parseSerialSpeed("0").baud, 1200);
    EXPECT_EQ(parseSerialSpeed("4800").baud, 4800);
    EXPECT_EQ(parseSerialSpeed(" 19200 ").baud, 19200);
    for (const char* bad : {"", "fast", "12o0", "1234", "-9600"}) {
        const SerialSpeedInput in = parseSerialSpeed(bad);
        EXPECT_EQ(in.baud, 0) << bad;
        EXPECT_FALSE(in.error.empty()) << bad;
    }
}

}  // namespace
}  // namespace tarnvel::radio
