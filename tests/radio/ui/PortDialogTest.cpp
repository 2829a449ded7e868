// The port dialog and the rig dialog on the offscreen platform: what each port choice shows,
// what OK stores and refuses, and the rig dialog's search and "Test" against a real rigctld.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>
#include <clocale>

#include "radio/ui/CPortDialog.h"
#include "radio/ui/CRigDialog.h"
#include "tests/radio/Rigctld.h"

using namespace tarnvel::radio;

// Hamlib 4.5's rig_open keeps a block in a global that the next opening replaces without
// freeing; Debian's library has no symbols, so it is known only by its library.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:rig_open\nleak:libhamlib.so\n";
}

namespace {

PortList twoDevices() {
    return PortList::fromDevices({"/dev/ttyUSB0", "/dev/ttyUSB1"});
}

StoredPortSettings onDevice(const std::string& device) {
    StoredPortSettings s;
    s.number = 1;
    s.device = device;
    return s;
}

// Which of the dialog's optional controls would show.
QString shown(const CPortDialog& d) {
    QStringList names;
    const auto add = [&](QWidget* w, const char* name) {
        if (w->isVisibleTo(&d)) names << QString::fromLatin1(name);
    };
    add(d.rtsBox(), "rts");
    add(d.dtrBox(), "dtr");
    add(d.civBox(), "civ");
    add(d.speedEdit(), "speed");
    add(d.addressEdit(), "address");
    add(d.rigButton(), "rig");
    return names.join(QLatin1Char(' '));
}

}  // namespace

class PortDialogTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    // As the desktop program does after Qt took the user's locale (Hamlib needs it).
    void initTestCase() { std::setlocale(LC_NUMERIC, "C"); }

    void eachChoiceShowsItsOwnControls() {
        CPortDialog d(onDevice("/dev/ttyUSB1"), twoDevices());
        QCOMPARE(d.portBox()->count(), 4);
        QCOMPARE(d.portBox()->currentIndex(), 2);
        QCOMPARE(d.portBox()->itemText(3), QStringLiteral("External"));
        QCOMPARE(shown(d), QStringLiteral("rts dtr civ"));
        d.civBox()->setChecked(true);
        QCOMPARE(shown(d), QStringLiteral("rts dtr civ speed address"));
        d.portBox()->setCurrentIndex(0);
        QCOMPARE(shown(d), QString());
        d.portBox()->setCurrentIndex(3);
        QCOMPARE(shown(d), QStringLiteral("rig"));
    }

    void bandLinesHideThePushToTalkBoxes() {
        StoredPortSettings s = onDevice("/dev/ttyUSB0");
        s.fourband = 1;
        CPortDialog d(s, twoDevices());
        QCOMPARE(shown(d), QStringLiteral("civ"));
    }

    void fieldsShowTheStoredValues() {
        StoredPortSettings s = onDevice("/dev/ttyUSB0");
        s.useIcomCiv = 1;
        s.serialSpeed = 9600;
        s.icomAddr = 0x5c;
        s.rtsAsPtt = 1;
        s.dtrAsPtt = 0;
        CPortDialog d(s, twoDevices());
        QCOMPARE(d.speedEdit()->text(), QStringLiteral("9600"));
        QCOMPARE(d.addressEdit()->text(), QStringLiteral("5c"));
        QVERIFY(d.rtsBox()->isChecked());
        QVERIFY(!d.dtrBox()->isChecked());
    }

    // The CI-V frame bytes (FE, FD) and this controller's address (E0) would break every
    // frame; nonsense is refused too, with the reason shown and nothing stored.
    void addressesThatCannotBeUsedAreRefused() {
        for (const char* bad : {"fe", "FD", "e0", "zz", "", "-1"}) {
            StoredPortSettings s = onDevice("/dev/ttyUSB0");
            s.useIcomCiv = 1;
            CPortDialog d(s, twoDevices());
            d.addressEdit()->setText(QString::fromLatin1(bad));
            d.accept();
            QVERIFY2(d.result() != QDialog::Accepted, bad);
            QVERIFY2(!d.errorLabel()->text().isEmpty(), bad);
            QCOMPARE(d.settings().icomAddr, 4);
        }
    }

    void okStoresTheChoice() {
        StoredPortSettings s = onDevice("/dev/ttyUSB0");
        CPortDialog d(s, twoDevices());
        d.portBox()->setCurrentIndex(2);
        d.civBox()->setChecked(true);
        d.addressEdit()->setText(QStringLiteral("58"));
        d.speedEdit()->setText(QStringLiteral("0"));  // the default
        d.dtrBox()->setChecked(false);
        d.accept();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(d.settings().number, 2);
        QCOMPARE(d.settings().device, std::string("/dev/ttyUSB1"));
        QCOMPARE(d.settings().icomAddr, 0x58);
        QCOMPARE(d.settings().serialSpeed, 1200);
        QCOMPARE(d.settings().useIcomCiv, 1);
        QCOMPARE(d.settings().rtsAsPtt, 1);
        QCOMPARE(d.settings().dtrAsPtt, 0);

        CPortDialog speed(s, twoDevices());
        speed.civBox()->setChecked(true);
        speed.speedEdit()->setText(QStringLiteral("fast"));
        speed.accept();
        QVERIFY(speed.result() != QDialog::Accepted);
        QVERIFY(speed.errorLabel()->text().contains(QStringLiteral("fast")));
    }

    void externalAndNoneStoreTheirKeys() {
        CPortDialog external(onDevice("/dev/ttyUSB0"), twoDevices());
        external.portBox()->setCurrentIndex(3);
        external.accept();
        QCOMPARE(external.settings().device, std::string(kExternalDeviceKey));
        QCOMPARE(external.settings().number, 3);
        CPortDialog none(onDevice("/dev/ttyUSB0"), twoDevices());
        none.portBox()->setCurrentIndex(0);
        none.accept();
        QCOMPARE(none.settings().number, 0);
    }

    void rigDialogSearchesHamlibsModels() {
        RigSettings s;
        s.model = kHamlibNetRigctlModel;
        CRigDialog d(s);
        QVERIFY(d.modelList()->count() > 10);
        QVERIFY(d.modelList()->currentItem() != nullptr);
        QCOMPARE(d.modelList()->currentItem()->data(Qt::UserRole).toInt(), 2);
        d.searchEdit()->setText(QStringLiteral("dummy"));
        QVERIFY(d.modelList()->count() >= 1);
        for (int i = 0; i < d.modelList()->count(); ++i)
            QVERIFY(d.modelList()->item(i)->text().contains(QStringLiteral("Dummy"),
                                                            Qt::CaseInsensitive));
        d.modelList()->setCurrentRow(0);
        d.deviceEdit()->setText(QStringLiteral("/dev/ttyUSB3"));
        d.speedEdit()->setText(QStringLiteral("19200"));
        d.pttBox()->setCurrentIndex(1);
        d.accept();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(d.settings().model, d.modelList()->item(0)->data(Qt::UserRole).toInt());
        QCOMPARE(d.settings().device, std::string("/dev/ttyUSB3"));
        QCOMPARE(d.settings().speed, 19200);
        QVERIFY(d.settings().ptt == PttMethod::Rts);
    }

    // "Test" reads the rig's frequency on the rig thread; the window keeps running meanwhile.
    void rigTestReadsTheFrequency() {
        tarnvel::radio::test::Rigctld rig;
        QVERIFY(rig.ready());
        rig.ask("F 14074000");
        RigSettings s;
        s.model = kHamlibNetRigctlModel;
        s.device = rig.address();
        CRigDialog d(s);
        QSignalSpy finished(&d, &CRigDialog::testFinished);
        d.testButton()->click();
        QVERIFY(!d.testButton()->isEnabled());
        QVERIFY(finished.wait(15000));
        QCOMPARE(finished.at(0).at(0).toBool(), true);
        QCOMPARE(d.statusLabel()->text(), QStringLiteral("14074.000 kHz"));

        rig.kill();
        d.testButton()->click();
        QVERIFY(finished.wait(15000));
        QCOMPARE(finished.at(1).at(0).toBool(), false);
        QVERIFY(!d.statusLabel()->text().isEmpty());
    }
};

QTEST_MAIN(PortDialogTest)
#include "PortDialogTest.moc"
