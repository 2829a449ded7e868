// The desktop program with its radio on a rigctld (Hamlib's dummy rig): push-to-talk is
// released at start-up, and SIGTERM ends the program normally, releasing it again.

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QtTest>

#include "tests/radio/Rigctld.h"

class RadioDesktopTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void stopSignalReleasesTheRigAndEndsNormally() {
        tarnvel::radio::test::Rigctld rig;
        QVERIFY(rig.ready());
        QTemporaryDir dir;
        QDir().mkpath(dir.path() + "/config/tarnvel");
        QFile ini(dir.path() + "/config/tarnvel/Tarnvel.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[Station]\nCall=SP9TST\n[Port]\nNumber=1\nDevice=External\n"
                                 "RigModel=2\nRigDevice=%1\n")
                      .arg(QString::fromStdString(rig.address()))
                      .toUtf8());
        ini.close();
        rig.ask("T 1");
        QCOMPARE(QString::fromStdString(rig.ask("t")), QStringLiteral("1"));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path() + "/config");
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.path() + "/data");
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // This test is about ending; the window tests watch for leaks.
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(TARNVEL_BINARY_DIR "/app/ui/tarnvel"),
                      {QStringLiteral("--input-wav"),
                       QStringLiteral(TARNVEL_SOURCE_DIR "/resources/example-bpsk31.wav"),
                       QStringLiteral("--loop")});
        QVERIFY(program.waitForStarted(30000));
        const bool released = tarnvel::radio::test::waitUntil(
            [&] { return rig.ask("t") == "0"; }, std::chrono::seconds(60));
        QVERIFY2(released, "the start-up did not release push-to-talk");

        rig.ask("T 1");
        program.terminate();  // SIGTERM
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(QString::fromStdString(rig.ask("t")), QStringLiteral("0"));
    }
};

QTEST_GUILESS_MAIN(RadioDesktopTest)
#include "RadioDesktopTest.moc"
