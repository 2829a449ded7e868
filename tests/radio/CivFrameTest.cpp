// CI-V frames and addresses: the limits where a wrong byte would go out on the wire.

#include <gtest/gtest.h>

#include <limits>

#include "radio/CivFrame.h"

namespace tarnvel::radio {
namespace {

TEST(CivFrame, EveryDigitPairLandsInItsByteLeastSignificantFirst) {
    const CivFrame f = civFrequencyFrame(0x70, 1'234'567'890ULL);
    const std::vector<uint8_t> expected{0xFE, 0xFE, 0x70, 0xE0, 0x05, 0x90,
                                        0x78, 0x56, 0x34, 0x12, 0xFD};
    EXPECT_EQ(f.bytes, expected);
    EXPECT_TRUE(f.error.empty());
}

TEST(CivFrame, TopOfEachFrameStillFits) {
    EXPECT_EQ(civFrequencyFrame(0x04, 99'999'999ULL).bytes.size(), 10u);
    const CivFrame top = civFrequencyFrame(0x58, 9'999'999'999ULL);
    ASSERT_EQ(top.bytes.size(), 11u);
    EXPECT_EQ(top.bytes[9], 0x99);
}

TEST(CivFrame, AFrequencyTooLargeForTheFrameIsRefusedNotCut) {
    // Cut to four bytes, 144.300 MHz would tune an old rig to 44.300 MHz.
    const CivFrame old = civFrequencyFrame(0x04, 144'300'000ULL);
    EXPECT_TRUE(old.bytes.empty());
    EXPECT_NE(old.error.find("144300000"), std::string::npos) << old.error;
    EXPECT_TRUE(civFrequencyFrame(0x58, 10'000'000'000ULL).bytes.empty());
    EXPECT_EQ(civFrequencyFrame(0x58, 144'300'000ULL).bytes.size(), 11u);
}

TEST(CivFrame, FrameBytesAreRefusedAsAddresses) {
    for (const int bad : {0xFD, 0xFE, 0xE0, -1, 0x100}) {
        EXPECT_FALSE(civAddressProblem(bad).empty()) << bad;
    }
    EXPECT_TRUE(civFrequencyFrame(0xFE, 7'040'000).bytes.empty());
    for (const int good : {0x00, 0x04, 0x58, 0x94, 0xDF, 0xE1, 0xFC, 0xFF}) {
        EXPECT_TRUE(civAddressProblem(good).empty()) << good;
    }
}

TEST(CivAddressText, HexadecimalAsShownInTheDialog) {
    EXPECT_EQ(parseCivAddress("58").address, 0x58);
    EXPECT_EQ(parseCivAddress("04").address, 0x04);
    EXPECT_EQ(parseCivAddress(" a4 ").address, 0xA4);
    EXPECT_EQ(parseCivAddress("0x7c").address, 0x7C);
}

TEST(CivAddressText, BadTextIsRefusedWithAReason) {
    for (const char* bad : {"", "xyz", "1g", "100", "-4", "fe", "FD", "e0"}) {
        const CivAddressInput in = parseCivAddress(bad);
        EXPECT_FALSE(in.address) << bad;
        EXPECT_FALSE(in.error.empty()) << bad;
    }
}

TEST(CivHertz, RoundedToNearestAndNothingForNonsense) {
    EXPECT_EQ(civHertzFromKhz(14070.0), 14'070'000u);
    EXPECT_EQ(civHertzFromKhz(7.0004), 7'000u);
    EXPECT_EQ(civHertzFromKhz(7.0006), 7'001u);
    EXPECT_EQ(civHertzFromKhz(0.0), 0u);
    EXPECT_FALSE(civHertzFromKhz(-1.0));
    EXPECT_FALSE(civHertzFromKhz(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(civHertzFromKhz(std::numeric_limits<double>::infinity()));
}

}  // namespace
}  // namespace tarnvel::radio
