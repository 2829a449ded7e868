// Where the main window opens and how its space is shared: a first start, growing the window,
// the column width across restarts, and a recording that ends.

#include <QMessageBox>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <vector>

#include "app/StationClock.h"
#include "app/ui/CKbdBufferView.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/CRxView.h"
#include "audio/LoopbackSoundCard.h"
#include "audio/WavFile.h"
#include "audio/WavFileSoundCard.h"
#include "display/ui/CSpectrumView.h"
#include "display/ui/StationText.h"

using namespace tarnvel::app;

class FramePlacementTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    SteadyStationClock clock_;

    std::string iniPath() const { return (dir_.path() + "/Tarnvel.ini").toStdString(); }
    StationOptions options() const {
        return StationOptions{dir_.path().toStdString(), false, {}};
    }

  private Q_SLOTS:
    void initTestCase() { tarnvel::display::initDisplayResources(); }
    void init() { QFile::remove(QString::fromStdString(iniPath())); }

    void firstStartFillsMostOfTheScreenWithAReadableWaterfall() {
        SettingsStore store(iniPath());
        store.writeString("Station", "Call", "SP9TST");  // no station dialog
        tarnvel::audio::LoopbackSoundCard card;
        CMainFrame frame(store, card, clock_, options());
        frame.showAtStart();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.start();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(std::abs(frame.width() - screen.width() * 3 / 4) <= 2);
        QVERIFY(std::abs(frame.height() - screen.height() * 3 / 4) <= 2);
        // The waterfall gets a good part of the height, not a strip of a few rows.
        QTRY_VERIFY(frame.spectrumView()->height() >= frame.height() / 4);
    }

    void aLargerWindowGrowsTheWaterfallToo() {
        SettingsStore store(iniPath());
        store.writeString("Station", "Call", "SP9TST");
        store.writeInt("Window", "Width", 700);
        store.writeInt("Window", "Height", 450);
        tarnvel::audio::LoopbackSoundCard card;
        CMainFrame frame(store, card, clock_, options());
        frame.showAtStart();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.start();
        QTRY_COMPARE(frame.size(), QSize(700, 450));
        const int before = frame.spectrumView()->height();
        frame.resize(700, 850);
        QTRY_COMPARE(frame.size(), QSize(700, 850));
        QTRY_VERIFY(frame.spectrumView()->height() > before + 50);
        // The transmit window keeps its height.
        QVERIFY(frame.transmitView()->height() < 100);
    }

    // The handle of the column splitter once took its width from the stored column at every
    // start, and the column crept narrower.
    void theColumnWidthSurvivesRestarts() {
        int first = -1;
        for (int run = 0; run < 5; ++run) {
            SettingsStore store(iniPath());
            store.writeString("Station", "Call", "SP9TST");
            store.writeInt("Window", "Width", 900);
            store.writeInt("Window", "Height", 600);
            tarnvel::audio::LoopbackSoundCard card;
            {
                CMainFrame frame(store, card, clock_, options());
                frame.showAtStart();
                QVERIFY(QTest::qWaitForWindowExposed(&frame));
                frame.start();
                QTest::qWait(20);
                frame.close();
            }
            const int width = store.getInt("Misc", "MultichannelWidth", -1);
            QVERIFY(width > 0);
            if (first < 0) first = width;
            QCOMPARE(width, first);
        }
    }

    void aRecordingThatEndsSaysSoAndTransmittingExplainsWhyNot() {
        const std::string wav = (dir_.path() + "/short.wav").toStdString();
        std::vector<int16_t> samples(11025 / 2, 0);
        QCOMPARE(tarnvel::audio::writeWavFile(samples.data(), 11025,
                                              static_cast<int>(samples.size()), wav, 0),
                 0);
        SettingsStore store(iniPath());
        store.writeString("Station", "Call", "SP9TST");
        tarnvel::audio::WavFileSoundCardFiles files;
        files.inputFile = wav;
        files.noOutputMessage = "nothing to transmit on";
        tarnvel::audio::WavFileSoundCard card({}, files);
        CMainFrame frame(store, card, clock_, options());
        frame.showAtStart();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.start();
        QTRY_VERIFY_WITH_TIMEOUT(
            frame.statusBar()->currentMessage().contains(QStringLiteral("recording has ended")),
            5000);
        QString message;
        QTimer::singleShot(50, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                message = box->text();
                box->accept();
            }
        });
        frame.station().goTransmit();
        QVERIFY(message.contains(QStringLiteral("nothing to transmit on")));
        QCOMPARE(frame.station().state(), OperatingState::Receiving);
    }
};

QTEST_MAIN(FramePlacementTest)
#include "FramePlacementTest.moc"
