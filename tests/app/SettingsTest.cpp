#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "TempFolder.h"
#include "app/Settings.h"

namespace tarnvel::app {
namespace {

using testing::inodeOf;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

// A private folder, removed afterwards, and the settings file's path in it.
class PersistentSettingsFile : public ::testing::Test {
  protected:
    TempFolder folder;
    const std::string path = folder.file("Tarnvel.ini");
};

TEST_F(PersistentSettingsFile, StationNameWithEdgeSpacesIsEscapedAndReadsBack) {
    {
        SettingsStore store(path);
        PersistentString name(store, "Station", "Name", "");
        name = "  Jan ";
        PersistentString macro(store, "Text", "F1Text", "");
        macro = "CQ CQ\r\nde <MYCALL>";
    }
    EXPECT_NE(readFile(path).find("Name=<SP> Jan<SP>\n"), std::string::npos);
    EXPECT_NE(readFile(path).find("F1Text=CQ CQ<CR><LF>de <MYCALL>\n"), std::string::npos);
    SettingsStore store(path);
    EXPECT_EQ(PersistentString(store, "Station", "Name", "").value(), "  Jan ");
    EXPECT_EQ(PersistentString(store, "Text", "F1Text", "").value(), "CQ CQ\r\nde <MYCALL>");
}

TEST_F(PersistentSettingsFile, OnlyChangedValuesAreWritten) {
    writeFile(path, "[Font]\nRxFontColorT=0x40\n[Sound]\nLastFq=1000\n");
    const ino_t before = inodeOf(path);
    {
        SettingsStore store(path);
        PersistentInt colour(store, "Font", "RxFontColorT", 0);
        PersistentFloat frequency(store, "Sound", "LastFq", 1500.0f);
        EXPECT_EQ(colour.value(), 0x40);
        EXPECT_EQ(frequency.value(), 1000.0f);
        EXPECT_TRUE(colour.save());
    }
    EXPECT_EQ(inodeOf(path), before);  // a hand-written "0x40" equals 64: nothing to do
    {
        SettingsStore store(path);
        PersistentFloat frequency(store, "Sound", "LastFq", 1500.0f);
        frequency = 1234.5678f;
        PersistentInt unbound(store, "", "Mode", 3);
        unbound = 4;
    }
    EXPECT_EQ(readFile(path), "[Font]\nRxFontColorT=0x40\n[Sound]\nLastFq=1234.57\n");
}

TEST_F(PersistentSettingsFile, ExtremeIntegersAreWrittenWhenTheKeyIsMissing) {
    // The stand-in for "missing" must differ even at the ends of the integer range.
    {
        SettingsStore store(path);
        PersistentInt largest(store, "Misc", "Largest", std::numeric_limits<std::int32_t>::max());
        PersistentString special(store, "Misc", "Special", "default-default");
        PersistentFloat zero(store, "Misc", "Zero", 0.0f);
    }
    EXPECT_EQ(readFile(path), "[Misc]\nZero=0\nSpecial=default-default\nLargest=2147483647\n");
}

TEST_F(PersistentSettingsFile, FloatDefaultsAndGarbageFallBackExactly) {
    writeFile(path, "[Sound]\nLastFq=loud\nOffset=-1.5e3 Hz\n");
    SettingsStore store(path);
    EXPECT_EQ(PersistentFloat(store, "Sound", "LastFq", 1000.1f).value(), 1000.1f);
    EXPECT_EQ(PersistentFloat(store, "Sound", "Offset", 0.0f).value(), -1500.0f);
    EXPECT_EQ(PersistentFloat(store, "Sound", "Missing", 0.1f).value(), 0.1f);
}

TEST_F(PersistentSettingsFile, DefaultsThatDependOnOtherSettings) {
    writeFile(path, "[Station]\nCall=SP9XYZ\n[Sound device]\nMixerDevice=3\n");
    SettingsStore store(path);
    Settings settings(store, SettingsDefaults{0x00D0E0F0});
    EXPECT_EQ(settings.station.cwId.value(), "de SP9XYZ sk");
    EXPECT_EQ(settings.soundDevice.mixerDeviceOut.value(), 3);
    EXPECT_EQ(settings.font.txBgColor.value(), 0x00D0E0F0);
    EXPECT_EQ(settings.font.txFontColor.value(), 0x4000);
    EXPECT_EQ(settings.misc.clrTxt1.value(), " CQ ");
    EXPECT_EQ(settings.sound.lastFq.value(), 1000.0f);
    EXPECT_EQ(settings.pages.bandIndex.value(), 4);
}

TEST(Settings, ANewInstallationWritesEveryKeyAndALaterUnchangedRunWritesNothing) {
    TempFolder folder;
    const std::string path = folder.file("tarnvel/Tarnvel.ini");
    std::set<std::pair<std::string, std::string>> keys;
    {
        SettingsStore store(path);
        Settings settings(store);
        for (const PersistentSetting* setting : settings.registry()) {
            EXPECT_TRUE(keys.emplace(setting->section(), setting->key()).second)
                << "twice: " << setting->section() << "/" << setting->key();
        }
    }
    // The main frame's keys, the highlight texts and colours, the font, the waterfall zoom,
    // the character set on the air, the radio's device and Hamlib rig (5), the UDP logger (3)
    // and the names of the two sound devices.
    EXPECT_EQ(keys.size(), 86u + 6u + 7u + 1u + 5u + 3u + 2u + 1u + 1u + 1u);
    SettingsStore written(path);
    for (const auto& [section, key] : keys) {
        EXPECT_TRUE(written.find(section, key)) << section << "/" << key;
    }
    // No identification without the call is stored; it is made from the call when used.
    EXPECT_NE(readFile(path).find("CWID=\n"), std::string::npos);
    EXPECT_NE(readFile(path).find("CLRtxt1=<SP>CQ<SP>\n"), std::string::npos);

    const ino_t firstRun = inodeOf(path);
    {
        SettingsStore store(path);
        Settings settings(store);
    }
    EXPECT_EQ(inodeOf(path), firstRun);

    {
        SettingsStore store(path);
        Settings settings(store);
        settings.station.call = "SP9XYZ";
        settings.sound.lastFq = 1500.25f;
        ASSERT_TRUE(settings.saveAll()) << store.lastError();
    }
    SettingsStore store(path);
    EXPECT_EQ(store.getString("Station", "Call", ""), "SP9XYZ");
    EXPECT_EQ(store.getString("Sound", "LastFq", ""), "1500.25");
    // No identification was written; the one sent is made from the new call when it is used.
    EXPECT_EQ(store.getString("Station", "CWID", "missing"), "");
}

TEST(Settings, KeysOfTheGroupsOwnedElsewhere) {
    EXPECT_EQ(bandPageFrequencyKey(10), "Fq10");
    EXPECT_EQ(formatBandPageFrequency(14070.0), "14070.000000");
    EXPECT_EQ(formatMarkerFrequency(1000.005), "1000.00");
    EXPECT_EQ(paletteEntryKey(204), "PAL204");
}

// A first start stored "de  sk" while the call was still empty; the station then identified
// without its call for ever after.
TEST(Settings, TheIdentificationAlwaysCarriesTheCall) {
    EXPECT_EQ(stationCwId("de  sk", "SP9XYZ"), "de SP9XYZ sk");
    EXPECT_EQ(stationCwId("", "SP9XYZ"), "de SP9XYZ sk");
    EXPECT_EQ(stationCwId("  de sk ", "SP9XYZ"), "de SP9XYZ sk");
    EXPECT_EQ(stationCwId("tnx de SP9XYZ/P", "SP9XYZ"), "tnx de SP9XYZ/P");
    // A stored settings file with the empty-call default sends the call once it is set.
    TempFolder dir;
    {
        SettingsStore store(dir.file("Tarnvel.ini"));
        store.writeString("Station", "CWID", "de  sk");
        store.writeString("Station", "Call", "SP9XYZ");
        Settings settings(store);
        EXPECT_EQ(stationCwId(settings.station.cwId.value(), settings.station.call.value()),
                  "de SP9XYZ sk");
    }
}

}  // namespace
}  // namespace tarnvel::app
