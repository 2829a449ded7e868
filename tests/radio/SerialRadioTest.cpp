// Push-to-talk and band lines on a line that records what was done to it (ptys have no
// modem lines to read back), and CI-V frames through a real pty pair.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PtyPair.h"
#include "radio/SerialPort.h"
#include "radio/SerialRadio.h"

namespace tarnvel::radio {
namespace {

class RecordingLine : public SerialLine {
  public:
    bool isOpen() const override { return true; }
    SerialResult write(std::span<const uint8_t> bytes) override {
        written.insert(written.end(), bytes.begin(), bytes.end());
        return {};
    }
    SerialResult setRts(bool on) override { return change("RTS", on, rts, failRts); }
    SerialResult setDtr(bool on) override { return change("DTR", on, dtr, failDtr); }

    // The line states as last set (-1: never touched) and every change in order.
    int rts = -1, dtr = -1;
    std::vector<std::string> changes;
    std::vector<uint8_t> written;
    bool failRts = false, failDtr = false;

  private:
    SerialResult change(const char* name, bool on, int& state, bool fail) {
        changes.push_back(std::string(name) + (on ? "+" : "-"));
        if (fail) return SerialResult::failure(SerialError::LinesUnsupported, name);
        state = on ? 1 : 0;
        return {};
    }
};

SerialRadioSettings onPort(Fourband fourband, bool rtsAsPtt = true, bool dtrAsPtt = true) {
    SerialRadioSettings s;
    s.portInUse = true;
    s.fourband = fourband;
    s.rtsAsPtt = rtsAsPtt;
    s.dtrAsPtt = dtrAsPtt;
    return s;
}

TEST(SerialRadioPtt, RtsKeysWhileDtrStaysAssertedForTheInterface) {
    RecordingLine line;
    SerialRadio radio(line, onPort(Fourband::None, true, false));
    ASSERT_TRUE(radio.setPtt(true));
    EXPECT_EQ(line.rts, 1);
    EXPECT_EQ(line.dtr, 1);
    EXPECT_TRUE(radio.keyed());
    ASSERT_TRUE(radio.setPtt(false));
    EXPECT_EQ(line.rts, 0);
    EXPECT_EQ(line.dtr, 1) << "a line not used for PTT is held asserted";
    EXPECT_FALSE(radio.keyed());
}

TEST(SerialRadioPtt, DtrKeysWhileRtsStaysAsserted) {
    RecordingLine line;
    SerialRadio radio(line, onPort(Fourband::None, false, true));
    radio.setPtt(false);
    EXPECT_EQ(line.rts, 1);
    EXPECT_EQ(line.dtr, 0);
    radio.setPtt(true);
    EXPECT_EQ(line.rts, 1);
    EXPECT_EQ(line.dtr, 1);
}

TEST(SerialRadioPtt, BothLinesFollowPttByDefault) {
    RecordingLine line;
    SerialRadio radio(line, onPort(Fourband::None));
    radio.setPtt(true);
    EXPECT_EQ(line.rts, 1);
    EXPECT_EQ(line.dtr, 1);
    radio.setPtt(false);
    EXPECT_EQ(line.rts, 0);
    EXPECT_EQ(line.dtr, 0);
}

TEST(SerialRadioPtt, NoPortTouchesNoLine) {
    RecordingLine line;
    SerialRadioSettings s = onPort(Fourband::None);
    s.portInUse = false;
    SerialRadio radio(line, s);
    EXPECT_TRUE(radio.setPtt(true));
    EXPECT_TRUE(radio.setBandLines(3));
    EXPECT_TRUE(line.changes.empty());
}

TEST(SerialRadioBands, FourBandsOnRtsAndDtrAndNoKeying) {
    RecordingLine line;
    SerialRadio radio(line, onPort(Fourband::FourBands));
    const int expectedRts[] = {0, 0, 1, 1};
    const int expectedDtr[] = {0, 1, 0, 1};
    for (int band = 0; band < 4; ++band) {
        ASSERT_TRUE(radio.setBandLines(band));
        EXPECT_EQ(line.rts, expectedRts[band]) << "band " << band;
        EXPECT_EQ(line.dtr, expectedDtr[band]) << "band " << band;
    }
    line.changes.clear();
    radio.setPtt(true);
    radio.setPtt(false);
    EXPECT_TRUE(line.changes.empty()) << "the band lines must not be keyed";
    EXPECT_EQ(line.rts, 1);
    EXPECT_EQ(line.dtr, 1);
}

TEST(SerialRadioBands, TwoBandsKeyOnRtsAndSelectOnDtr) {
    RecordingLine line;
    SerialRadio radio(line, onPort(Fourband::TwoBands, false, false));
    radio.setBandLines(1);
    EXPECT_EQ(line.dtr, 1);
    EXPECT_EQ(line.rts, -1) << "choosing a band must not key the transmitter";
    radio.setPtt(true);
    EXPECT_EQ(line.rts, 1);
    EXPECT_EQ(line.dtr, 1) << "keying leaves the band alone";
    radio.setPtt(false);
    EXPECT_EQ(line.rts, 0);
    radio.setBandLines(2);  // only bit 0 counts with two bands
    EXPECT_EQ(line.dtr, 0);
    EXPECT_EQ(line.rts, 0);
}

TEST(SerialRadioBands, NoBandInterfaceDrivesNoLines) {
    RecordingLine line;
    SerialRadio radio(line, onPort(Fourband::None));
    radio.setBandLines(3);
    EXPECT_TRUE(line.changes.empty());
}

TEST(SerialRadioPtt, AFailingLineStillLetsTheOtherOneMoveAndIsReported) {
    RecordingLine line;
    line.failRts = true;
    SerialRadio radio(line, onPort(Fourband::None));
    const SerialResult r = radio.setPtt(true);
    EXPECT_EQ(r.error, SerialError::LinesUnsupported);
    EXPECT_EQ(line.dtr, 1);
    EXPECT_FALSE(radio.keyed());
    line.failRts = false;
    line.failDtr = true;
    EXPECT_FALSE(radio.setPtt(false));
    EXPECT_EQ(line.rts, 0) << "the release reaches every line that can be released";
    EXPECT_FALSE(radio.keyed());
}

TEST(SerialRadioSettingsValues, FourbandNumbersOutsideTheThreeWiringsAreRefused) {
    EXPECT_EQ(fourbandFromSetting(0), Fourband::None);
    EXPECT_EQ(fourbandFromSetting(1), Fourband::FourBands);
    EXPECT_EQ(fourbandFromSetting(2), Fourband::TwoBands);
    EXPECT_FALSE(fourbandFromSetting(3));
    EXPECT_FALSE(fourbandFromSetting(-1));
}

// --- CI-V through a socat pty pair ---------------------------------------------------------

class CivOverPty : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(pair_.ready()) << "socat did not make the pty pair";
        ASSERT_TRUE(port_.open(pair_.near(), 1200)) << "cannot open " << pair_.near();
    }

    std::vector<uint8_t> sendAndRead(uint8_t address, double khz, std::size_t expect) {
        SerialRadioSettings s;
        s.portInUse = true;
        s.useIcomCiv = true;
        s.icomAddr = address;
        SerialRadio radio(port_, s);
        test::FarEnd far(pair_.far());
        EXPECT_TRUE(far.ok());
        const SerialResult r = radio.sendCivFrequency(khz);
        EXPECT_TRUE(r) << r.message;
        // A marker after the frame shows that nothing else was sent with it.
        EXPECT_TRUE(port_.write(std::vector<uint8_t>{kMarker}));
        auto bytes = far.read(expect + 1);
        EXPECT_FALSE(bytes.empty());
        if (!bytes.empty()) {
            EXPECT_EQ(bytes.back(), kMarker);
            bytes.pop_back();
        }
        return bytes;
    }

    static constexpr uint8_t kMarker = 0xAA;
    test::SocatPair pair_;
    SerialPort port_;
};

TEST_F(CivOverPty, FourteenMegahertzToAddress58) {
    const std::vector<uint8_t> expected{0xFE, 0xFE, 0x58, 0xE0, 0x05, 0x00,
                                        0x00, 0x07, 0x14, 0x00, 0xFD};
    EXPECT_EQ(sendAndRead(0x58, 14070.0, expected.size()), expected);
}

TEST_F(CivOverPty, SevenMegahertzToAddress04HasAFourByteFrequency) {
    const std::vector<uint8_t> expected{0xFE, 0xFE, 0x04, 0xE0, 0x05, 0x00, 0x00, 0x04, 0x07, 0xFD};
    EXPECT_EQ(sendAndRead(0x04, 7040.0, expected.size()), expected);
}

TEST_F(CivOverPty, ReplyBytesAreCollectedUninterpreted) {
    test::FarEnd far(pair_.far());
    ASSERT_TRUE(far.ok());
    const std::vector<uint8_t> reply{0xFE, 0xFE, 0xE0, 0x58, 0xFB, 0xFD};
    ASSERT_TRUE(far.write(reply));
    std::vector<uint8_t> got;
    test::waitUntil([&] {
        const auto more = port_.readAll();
        got.insert(got.end(), more.begin(), more.end());
        return got.size() >= reply.size();
    }, std::chrono::seconds(5));
    EXPECT_EQ(got, reply);
    EXPECT_EQ(port_.readByte(), -1);
}

TEST(CivSending, NothingIsSentWithoutCivOrForZeroKilohertz) {
    RecordingLine line;
    SerialRadioSettings s = onPort(Fourband::None);
    SerialRadio radio(line, s);
    EXPECT_TRUE(radio.sendCivFrequency(14070.0));
    EXPECT_TRUE(line.written.empty()) << "CI-V is off";
    s.useIcomCiv = true;
    radio.configure(s);
    EXPECT_TRUE(radio.sendCivFrequency(0.0));
    EXPECT_TRUE(line.written.empty()) << "a band without a frequency sends nothing";
    EXPECT_EQ(radio.sendCivFrequency(-3.5).error, SerialError::BadArgument);
    EXPECT_TRUE(line.written.empty());
}

TEST(CivSending, RoundsTheBandFrequencyToWholeHertz) {
    RecordingLine line;
    SerialRadioSettings s = onPort(Fourband::None);
    s.useIcomCiv = true;
    s.icomAddr = 0x58;
    SerialRadio radio(line, s);
    ASSERT_TRUE(radio.sendCivFrequency(3580.1506));  // 3580150.6 Hz rounds up
    const std::vector<uint8_t> expected{0xFE, 0xFE, 0x58, 0xE0, 0x05, 0x51,
                                        0x01, 0x58, 0x03, 0x00, 0xFD};
    EXPECT_EQ(line.written, expected);
}

}  // namespace
}  // namespace tarnvel::radio
