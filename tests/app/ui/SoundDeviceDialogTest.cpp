// The sound device dialog's USB device: chosen by its serial path, and the rate follows the
// kind of device.

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

#include "app/ui/AppDialogs.h"

using namespace tarnvel::app;

class SoundDeviceDialogTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void usbDeviceIsKeptByPathAndTheRateFollowsTheChoice() {
        SoundDeviceChoice given;
        given.usbDevice = "/dev/serial/by-id/usb-Example_Sound-if00";
        CSoundDeviceDialog dialog(given, {}, {});
        auto* port = dialog.findChildren<QComboBox*>().last();
        QVERIFY(port->isEditable());
        // A device not plugged in now stays chosen.
        QCOMPARE(port->currentText(), QString::fromStdString(given.usbDevice));
        QCOMPARE(dialog.choice().usbDevice, given.usbDevice);

        QRadioButton* usb = nullptr;
        for (QRadioButton* b : dialog.findChildren<QRadioButton*>())
            if (b->text() == QStringLiteral("Urządzenie USB")) usb = b;
        QVERIFY(usb != nullptr);
        usb->setChecked(true);
        QCOMPARE(dialog.choice().nominalRate, 10417);
        QCOMPARE(dialog.choice().deviceType, 1);

        port->setCurrentText(QStringLiteral("/dev/pts/7"));
        QCOMPARE(dialog.choice().usbDevice, std::string("/dev/pts/7"));

        // A rate typed by hand is not replaced.
        dialog.findChild<QLineEdit*>()->setText(QStringLiteral("10400"));
        for (QRadioButton* b : dialog.findChildren<QRadioButton*>())
            if (b != usb) b->setChecked(true);
        QCOMPARE(dialog.choice().nominalRate, 10400);
        QCOMPARE(dialog.choice().deviceType, 0);
    }
};

QTEST_MAIN(SoundDeviceDialogTest)
#include "SoundDeviceDialogTest.moc"
