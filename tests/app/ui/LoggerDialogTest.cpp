// The UDP logger's settings dialog: what it refuses and why, and a QSO saved after the logger
// was switched on through it reaching a listener at once.

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/SettingsStore.h"
#include "app/Station.h"
#include "app/StationLink.h"
#include "app/StationLog.h"
#include "app/ui/CLoggerDialog.h"
#include "app/ui/FrameMixer.h"
#include "audio/LoopbackSoundCard.h"
#include "link/LoggedAdifMessage.h"
#include "tests/app/ScriptedHost.h"

using namespace tarnvel::app;

namespace {

// Runs `act` on the dialog of type T once it is open (the dialogs are modal).
template <typename T>
void whenOpen(std::function<void(T&)> act) {
    QTimer::singleShot(0, [act] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<T*>(w); dialog && dialog->isVisible()) {
                act(*dialog);
                return;
            }
        whenOpen<T>(act);  // not shown yet
    });
}

}  // namespace

class LoggerDialogTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void hostAndPortAreCheckedWithAClearMessage() {
        CLoggerDialog dialog({true, QStringLiteral("127.0.0.1"), 2237});
        QCOMPARE(dialog.problem(), QString());
        dialog.hostEdit()->setText(QStringLiteral("logger.example.org"));
        QCOMPARE(dialog.problem(),
                 QStringLiteral("The logger's host \"logger.example.org\" is not an IP address "
                                "or \"localhost\"."));
        dialog.hostEdit()->setText(QStringLiteral(""));
        QVERIFY(dialog.problem().startsWith(QStringLiteral("Enter the logger's host")));
        for (const char* good : {"localhost", "::1", "192.168.1.20"}) {
            dialog.hostEdit()->setText(QString::fromLatin1(good));
            QCOMPARE(dialog.problem(), QString());
        }
        dialog.portEdit()->setText(QStringLiteral("22x"));
        QCOMPARE(dialog.problem(),
                 QStringLiteral("The logger's port \"22x\" is not a number between 1 and 65535."));
        dialog.portEdit()->setText(QStringLiteral("70000"));
        QCOMPARE(dialog.problem(),
                 QStringLiteral("The logger's port 70000 is not between 1 and 65535."));
        dialog.portEdit()->setText(QStringLiteral("0"));
        QVERIFY(!dialog.problem().isEmpty());
    }

    void okWithABadValueWarnsAndKeepsTheDialogOpen() {
        CLoggerDialog dialog({false, QStringLiteral("10.0.0.300"), 2237});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QString warning;
        whenOpen<QMessageBox>([&warning](QMessageBox& box) {
            warning = box.text();
            box.accept();
        });
        dialog.accept();
        QVERIFY(warning.contains(QStringLiteral("\"10.0.0.300\" is not an IP address")));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
    }

    void aSavedQsoReachesTheLoggerSwitchedOnInTheDialog() {
        const int listener = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QCOMPARE(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        socklen_t size = sizeof(address);
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);

        QTemporaryDir dir;
        SettingsStore store((dir.path() + "/Tarnvel.ini").toStdString());
        store.writeString("Station", "Call", "SP9XYZ");
        tarnvel::audio::LoopbackSoundCard card;
        testing::ScriptedHost host;
        ManualStationClock clock;
        Station station(store, card, host, clock,
                        StationOptions{dir.path().toStdString(), false, {}});
        QVERIFY(station.start());
        QCOMPARE(station.settings().logger.udpEnabled.value(), 0);

        const int port = ntohs(address.sin_port);
        whenOpen<CLoggerDialog>([port](CLoggerDialog& dialog) {
            dialog.enabledBox()->setChecked(true);
            dialog.hostEdit()->setText(QStringLiteral("localhost"));
            dialog.portEdit()->setText(QString::number(port));
            dialog.accept();
        });
        QVERIFY(runMixerCommand(station, host, nullptr, CommandId::LoggerSettings));
        QCOMPARE(station.settings().logger.udpEnabled.value(), 1);
        QCOMPARE(station.settings().logger.udpPort.value(), port);
        QVERIFY(host.messages.empty());

        station.logbook().setField(tarnvel::logbook::QsoField::Call, "DL1ABC");
        station.logbook().saveQso(tarnvel::logbook::SaveConfirmation::DontAsk);
        pollfd waiting{listener, POLLIN, 0};
        QCOMPARE(::poll(&waiting, 1, 5000), 1);
        std::vector<uint8_t> datagram(65536);
        datagram.resize(static_cast<size_t>(::recv(listener, datagram.data(), datagram.size(), 0)));
        const auto message = tarnvel::link::decodeLoggedAdif(datagram);
        QVERIFY(message);
        QVERIFY(message->adif.find("<CALL:6>DL1ABC") != std::string::npos);

        // Switched off again: the next QSO is only logged (a datagram to a local socket is
        // queued before the send returns, so none can be on its way).
        whenOpen<CLoggerDialog>([](CLoggerDialog& dialog) {
            dialog.enabledBox()->setChecked(false);
            dialog.accept();
        });
        runMixerCommand(station, host, nullptr, CommandId::LoggerSettings);
        QCOMPARE(station.settings().logger.udpEnabled.value(), 0);
        station.logbook().setField(tarnvel::logbook::QsoField::Call, "DL2XYZ");
        station.logbook().saveQso(tarnvel::logbook::SaveConfirmation::DontAsk);
        QFile log(dir.path() + "/Tarnvel.log");
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll().count('\n'), 2);  // both were saved
        QCOMPARE(::poll(&waiting, 1, 0), 0);
        ::close(listener);
    }
};

QTEST_MAIN(LoggerDialogTest)
#include "LoggerDialogTest.moc"
