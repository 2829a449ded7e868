// The mixer's level dialogs on a station: levels to the card and the settings as the sliders
// move, the source choice, the transmit level, and the system volume control when the device
// has no mixer (programs found on PATH, started with their arguments, no shell).

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

#include "app/SettingsStore.h"
#include "app/Station.h"
#include "app/StationMixer.h"
#include "app/ui/CLevelDialog.h"
#include "audio/LoopbackSoundCard.h"
#include "tests/app/ScriptedHost.h"
#include "tests/audio/FakeMixerControls.h"

using namespace tarnvel::app;
using tarnvel::audio::MixerLine;
using tarnvel::audio::RecordSource;
using tarnvel::audio::test::FakeControl;
using tarnvel::audio::test::FakeMixerControls;

namespace {

// A fake program on PATH that writes its arguments to "<name>.ran" beside it.
void addProgram(const QString& folder, const QString& name) {
    QFile script(folder + "/" + name);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\nprintf '%s|' \"$@\" > '%1/%2.ran'\n")
                     .arg(folder, name)
                     .toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString ranWith(const QString& folder, const QString& name) {
    QFile ran(folder + "/" + name + ".ran");
    return ran.open(QIODevice::ReadOnly) ? QString::fromUtf8(ran.readAll()) : QString();
}

}  // namespace

class LevelDialogTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    std::unique_ptr<SettingsStore> store_;
    tarnvel::audio::LoopbackSoundCard card_;
    testing::ScriptedHost host_;
    ManualStationClock clock_;
    std::unique_ptr<Station> station_;
    std::map<std::string, FakeControl> cardState_;
    QByteArray path_ = qgetenv("PATH");

    StationMixer mixer() {
        return StationMixer(*station_, [this](const std::string&) {
            return StationMixer::OpenedControls{
                std::make_unique<FakeMixerControls>(
                    "HDA Intel PCH", tarnvel::audio::test::desktopCard(), &cardState_),
                {}};
        });
    }

    void startStation() {
        station_ = std::make_unique<Station>(*store_, card_, host_, clock_,
                                             StationOptions{dir_.path().toStdString(), false, {}});
        QVERIFY(station_->start());
    }

  private Q_SLOTS:
    void init() {
        QFile::remove(dir_.path() + "/Tarnvel.ini");
        store_ = std::make_unique<SettingsStore>((dir_.path() + "/Tarnvel.ini").toStdString());
        cardState_.clear();
    }
    void cleanup() {
        station_.reset();
        qputenv("PATH", path_);
    }

    void outputLevelsGoToTheCardAndTheSettingsAsTheSlidersMove() {
        store_->writeInt("Sound device", "VolumeCtrl", 1);
        startStation();
        StationMixer m = mixer();
        CLevelDialog dialog(m, CLevelDialog::Side::Output);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(dialog.cardText().contains(QStringLiteral("HDA Intel PCH (default)")));
        QSlider* master = dialog.slider(MixerLine::MasterOut);
        QVERIFY(master && master->isEnabled());
        QCOMPARE(master->value(), 117);  // the card's 40 of 0..87
        master->setValue(255);
        QCOMPARE(cardState_["Master"].playbackValue, 87L);
        QCOMPARE(station_->settings().soundDevice.masterOutVolume.value(), 255);
        dialog.slider(MixerLine::WaveOut)->setValue(0);
        QCOMPARE(cardState_["PCM"].playbackValue, 0L);
        QCOMPARE(station_->settings().soundDevice.masterInVolume.value(), 0);
        QVERIFY(dialog.problemText().isEmpty());
        QCOMPARE(dialog.slider(MixerLine::MasterIn), nullptr);  // the input dialog's
    }

    void theTransmitLevelAppliesAtOnceAndIsKept() {
        startStation();
        StationMixer m = mixer();
        CLevelDialog dialog(m, CLevelDialog::Side::Output);
        QCOMPARE(dialog.transmitLevelBox()->value(), 0.0);
        dialog.transmitLevelBox()->setValue(6.0);
        QCOMPARE(station_->transmitter().attenuationDb(), 6.0);
        QCOMPARE(station_->settings().transmitLevel.txAttenuation.value(), 6.0f);
        CLevelDialog again(m, CLevelDialog::Side::Output);
        QCOMPARE(again.transmitLevelBox()->value(), 6.0);
    }

    void theSourceChoiceSelectsTheLineAndItsLevel() {
        store_->writeInt("Sound device", "VolumeCtrl", 1);
        startStation();
        StationMixer m = mixer();
        CLevelDialog dialog(m, CLevelDialog::Side::Input);
        QVERIFY(dialog.sourceButton(RecordSource::Microphone)->isChecked());
        QCOMPARE(dialog.slider(MixerLine::RecordSource)->value(), 82);  // "Mic" 10 of 0..31
        dialog.sourceButton(RecordSource::LineIn)->click();
        QCOMPARE(cardState_["Capture Source"].item, 1u);
        QVERIFY(cardState_["Line"].captureOn);
        QVERIFY(!cardState_["Mic"].captureOn);  // "SelectSource" is 1 by default
        QCOMPARE(dialog.slider(MixerLine::RecordSource)->value(), 41);  // "Line" 5 of 0..31
        QCOMPARE(station_->settings().soundDevice.source.value(), 0);
        dialog.slider(MixerLine::RecordSource)->setValue(255);
        QCOMPARE(cardState_["Line"].captureValue, 31L);
        QCOMPARE(station_->settings().soundDevice.sourceVolume.value(), 255);
    }

    void withoutVolumeControlTheCardIsLeftAlone() {
        startStation();
        StationMixer m = mixer();
        CLevelDialog dialog(m, CLevelDialog::Side::Input);
        QVERIFY(!dialog.volumeControlBox()->isChecked());
        QVERIFY(!dialog.slider(MixerLine::MasterIn)->isEnabled());
        QVERIFY(!dialog.sourceButton(RecordSource::LineIn)->isEnabled());
        dialog.slider(MixerLine::MasterIn)->setValue(0);
        QCOMPARE(cardState_["Capture"].captureValue, 30L);
        // Switched on: what the sliders show is what the start-up sets from now on.
        dialog.volumeControlBox()->setChecked(true);
        QVERIFY(dialog.slider(MixerLine::MasterIn)->isEnabled());
        QCOMPARE(station_->settings().soundDevice.volumeCtrl.value(), 1);
        QCOMPARE(station_->settings().soundDevice.sourceVolume.value(), 82);
    }

    void aDeviceWithoutAMixerOffersTheSystemVolumeControl() {
        store_->writeInt("Sound device", "MixerDevice", 0);
        store_->writeString("Sound device", "MixerDeviceName", "Loopback");
        startStation();
        StationMixer m = mixer();
        CLevelDialog dialog(m, CLevelDialog::Side::Input);
        QVERIFY(dialog.cardText().startsWith(
            QStringLiteral("The sound device \"Loopback\" has no mixer of its own.")));
        QVERIFY(dialog.cardText().contains(QStringLiteral("system volume control")));
        QVERIFY(!dialog.slider(MixerLine::MasterIn)->isEnabled());
        QVERIFY(!dialog.volumeControlBox()->isEnabled());
        auto* system = dialog.findChild<QPushButton*>(QStringLiteral("systemVolume"));
        QVERIFY(system);

        QTemporaryDir bin;
        qputenv("PATH", bin.path().toUtf8());
        system->click();
        QVERIFY(dialog.problemText().startsWith(QStringLiteral("No volume control program")));

        addProgram(bin.path(), QStringLiteral("alsamixer"));
        addProgram(bin.path(), QStringLiteral("x-terminal-emulator"));
        system->click();
        QVERIFY(dialog.problemText().isEmpty());
        QTRY_COMPARE(ranWith(bin.path(), QStringLiteral("x-terminal-emulator")),
                     QStringLiteral("-e|%1/alsamixer|").arg(bin.path()));

        addProgram(bin.path(), QStringLiteral("pavucontrol"));  // preferred when installed
        system->click();
        QTRY_VERIFY(QFile::exists(bin.path() + "/pavucontrol.ran"));
    }

    void theOutputMixerIsHandedToAlsamixer() {
        startStation();
        StationMixer m = mixer();
        CLevelDialog dialog(m, CLevelDialog::Side::Output);
        QTemporaryDir bin;
        qputenv("PATH", bin.path().toUtf8());
        addProgram(bin.path(), QStringLiteral("alsamixer"));
        addProgram(bin.path(), QStringLiteral("x-terminal-emulator"));
        dialog.findChild<QPushButton*>(QStringLiteral("systemVolume"))->click();
        QTRY_COMPARE(ranWith(bin.path(), QStringLiteral("x-terminal-emulator")),
                     QStringLiteral("-e|%1/alsamixer|-D|default|").arg(bin.path()));
    }
};

QTEST_MAIN(LevelDialogTest)
#include "LevelDialogTest.moc"
