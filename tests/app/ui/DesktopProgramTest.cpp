// The desktop program as a user starts it: the options that need no display, and a test quit
// that is never swallowed by a message box open at start.

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QtTest>

#include "app/InstanceLock.h"

class DesktopProgramTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    const QString program_ = QStringLiteral(TARNVEL_BINARY_DIR "/app/ui/tarnvel");

    QProcessEnvironment environment(bool display) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.path() + "/config");
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir_.path() + "/data");
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        if (display)
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        else
            env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        // Sound libraries loaded and unloaded at run time leave blocks of unknown modules behind;
        // this test is about ending, not about leaks (the window tests watch those).
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        // No sound server: the sound card cannot open.
        env.insert(QStringLiteral("PULSE_SERVER"), dir_.path() + "/no-such-server");
        return env;
    }

    struct Run {
        bool finished = false;
        int exitCode = -1;
        QString out, err;
    };
    Run run(const QStringList& args, bool display, int timeoutMs) {
        QProcess p;
        p.setProcessEnvironment(environment(display));
        p.start(program_, args);
        Run r;
        r.finished = p.waitForFinished(timeoutMs);
        if (!r.finished) {
            p.kill();
            p.waitForFinished();
        }
        r.exitCode = p.exitCode();
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

  private Q_SLOTS:
    void helpAndVersionNeedNoDisplay() {
        const Run help = run({QStringLiteral("--help")}, false, 30000);
        QVERIFY(help.finished);
        QCOMPARE(help.exitCode, 0);
        QVERIFY2(help.out.contains(QStringLiteral("--input-wav")), qPrintable(help.err));
        const Run version = run({QStringLiteral("--version")}, false, 30000);
        QCOMPARE(version.exitCode, 0);
        QVERIFY(version.out.startsWith(QStringLiteral("tarnvel ")));
        const Run wrong = run({QStringLiteral("--quit-after"), QStringLiteral("soon")}, false, 30000);
        QCOMPARE(wrong.exitCode, 2);
        QVERIFY(wrong.err.contains(QStringLiteral("soon")));
    }

    // Without a sound card the start-up shows its message box; the quit timer fires inside it
    // and must still end the program.
    void quitAfterEndsTheProgramThoughAMessageBoxIsOpen() {
        QDir().mkpath(dir_.path() + "/config/tarnvel");
        QFile ini(dir_.path() + "/config/tarnvel/Tarnvel.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Station]\nCall=SP9TST\n");
        ini.close();
        const Run r = run({QStringLiteral("--quit-after"), QStringLiteral("1500")}, true, 60000);
        QVERIFY2(r.finished, "tarnvel did not quit");
        QCOMPARE(r.exitCode, 0);
    }

    // A second Tarnvel of the same user says so and ends at once, before it reads or writes the
    // user's files; once the first has ended, the next one starts.
    void aSecondInstanceIsRefusedAndTouchesNothing() {
        QDir().mkpath(dir_.path() + "/config/tarnvel");
        const QString iniPath = dir_.path() + "/config/tarnvel/Tarnvel.ini";
        QFile ini(iniPath);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Station]\nCall=SP9TST\n");
        ini.close();
        const std::string data = (dir_.path() + "/data/tarnvel").toStdString();
        {
            const tarnvel::app::InstanceLock first = tarnvel::app::InstanceLock::acquire(data);
            QVERIFY2(first.held(), first.message().c_str());
            const Run r = run({QStringLiteral("--quit-after"), QStringLiteral("1500")}, true, 60000);
            QVERIFY2(r.finished, "the second tarnvel did not end");
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(r.err.contains(QStringLiteral("already running")), qPrintable(r.err));
            QVERIFY(r.err.contains(QString::number(QCoreApplication::applicationPid())));
            QVERIFY(ini.open(QIODevice::ReadOnly));
            QCOMPARE(ini.readAll(), QByteArray("[Station]\nCall=SP9TST\n"));
            ini.close();
        }
        const Run after = run({QStringLiteral("--quit-after"), QStringLiteral("1500")}, true, 60000);
        QVERIFY(after.finished);
        QCOMPARE(after.exitCode, 0);
        QVERIFY2(!after.err.contains(QStringLiteral("already running")), qPrintable(after.err));
    }
};

QTEST_GUILESS_MAIN(DesktopProgramTest)
#include "DesktopProgramTest.moc"
