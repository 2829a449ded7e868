// The main frame around a real station on the loopback sound card: status pane clicks and the
// enable and check rules of the commands.

#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>

#include "app/ReceiveRecovery.h"
#include "app/StationClock.h"
#include "app/ui/CKbdBufferView.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/CRxView.h"
#include "app/ui/PositionedDialog.h"
#include "audio/LoopbackSoundCard.h"
#include "display/ui/CSpectrumView.h"
#include "display/ui/StationText.h"

using namespace tarnvel::app;

class MainFrameTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    std::unique_ptr<SettingsStore> store_;
    std::unique_ptr<tarnvel::audio::LoopbackSoundCard> card_;
    SteadyStationClock clock_;
    std::unique_ptr<CMainFrame> frame_;

    void click(int pane) { QTest::mouseClick(frame_->pane(pane), Qt::LeftButton); }
    QAction* command(CommandId id) {
        QAction* a = frame_->action(id);
        if (!a) qFatal("no action for command %d", static_cast<int>(id));
        return a;
    }
    void chooseMode(Mode mode) { frame_->runCommand(*modeCommand(mode)); }

    // Runs a command, answering its number prompt with `answer` and any message box after it
    // with OK; returns the message box's text.
    QString runAnswering(CommandId id, const QString& answer) {
        QString message;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* prompt = qobject_cast<CNumberPrompt*>(modal)) {
                prompt->field()->setText(answer);
                prompt->accept();
            } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                message = box->text();
                box->accept();
            }
        });
        answerer.start(20);
        command(id)->trigger();
        return message;
    }
    QAction* saveCommand() { return command(CommandId::SaveLastSeconds); }

  private Q_SLOTS:
    void initTestCase() { tarnvel::display::initDisplayResources(); }

    void init() {
        store_ = std::make_unique<SettingsStore>((dir_.path() + "/Tarnvel.ini").toStdString());
        store_->writeString("Station", "Call", "SP9TST");
        card_ = std::make_unique<tarnvel::audio::LoopbackSoundCard>();
        frame_ = std::make_unique<CMainFrame>(*store_, *card_, clock_,
                                              StationOptions{dir_.path().toStdString(), false, {}});
        frame_->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame_.get()));
        QVERIFY(frame_->start());
        frame_->updateCommands();
    }

    void cleanup() {
        frame_.reset();
        card_.reset();
        store_.reset();
    }

    void modePaneStepsBpsk31Bpsk63PactorAndBack() {
        Station& s = frame_->station();
        QCOMPARE(s.mode(), Mode::Bpsk31);
        click(CMainFrame::kPaneMode);
        QCOMPARE(s.mode(), Mode::Bpsk63);
        QCOMPARE(frame_->pane(CMainFrame::kPaneMode)->text(), QStringLiteral("BPSK63"));
        click(CMainFrame::kPaneMode);
        QCOMPARE(s.mode(), Mode::Pactor);
        click(CMainFrame::kPaneMode);
        QCOMPARE(s.mode(), Mode::Bpsk31);
        chooseMode(Mode::Qpsk31);
        click(CMainFrame::kPaneMode);
        QCOMPARE(s.mode(), Mode::Bpsk31);
    }

    void optionPanesToggleTheirSettings() {
        Settings& st = frame_->station().settings();
        QCOMPARE(st.sound.squelch.value(), 1);
        click(CMainFrame::kPaneSq);
        QCOMPARE(st.sound.squelch.value(), 0);
        click(CMainFrame::kPaneAfc);
        QCOMPARE(st.sound.afc.value(), 0);
        click(CMainFrame::kPaneSnap);
        QCOMPARE(st.sound.snap.value(), 0);
        click(CMainFrame::kPaneSnap);
        QCOMPARE(st.sound.snap.value(), 1);
        frame_->updateCommands();
        QVERIFY(command(CommandId::Snap)->isChecked());
        QVERIFY(!command(CommandId::Squelch)->isChecked());
        const bool shown = frame_->station().imdMeter().shown();
        click(CMainFrame::kPaneImd);
        QCOMPARE(frame_->station().imdMeter().shown(), !shown);
    }

    void transmitAndReceivePanesSwitchTheStation() {
        Station& s = frame_->station();
        QCOMPARE(s.state(), OperatingState::Receiving);
        QVERIFY(frame_->pane(CMainFrame::kPaneRx)->pressed());
        click(CMainFrame::kPaneTx);
        QCOMPARE(s.state(), OperatingState::Transmitting);
        QVERIFY(frame_->pane(CMainFrame::kPaneTx)->pressed());
        frame_->updateCommands();
        QVERIFY(command(CommandId::Transmit)->isChecked());
        QVERIFY(!command(CommandId::ModeBpsk31)->isEnabled());
        QVERIFY(!command(CommandId::MultichannelWindow)->isEnabled());
        QVERIFY(!command(CommandId::Tune)->isEnabled());
        click(CMainFrame::kPaneRx);
        QCOMPARE(s.state(), OperatingState::Receiving);
        frame_->updateCommands();
        QVERIFY(command(CommandId::Receive)->isChecked());
        QVERIFY(command(CommandId::ModeBpsk31)->isEnabled());
    }

    void transmitCommandIsDisabledInPactorAndWhenStopped() {
        QVERIFY(command(CommandId::Transmit)->isEnabled());
        chooseMode(Mode::Pactor);
        frame_->updateCommands();
        QVERIFY(!command(CommandId::Transmit)->isEnabled());
        QVERIFY(command(CommandId::ModePactor)->isChecked());
        QVERIFY(!command(CommandId::PhaseScope)->isEnabled());
        chooseMode(Mode::Bpsk31);
        command(CommandId::SoundOff)->trigger();
        QCOMPARE(frame_->station().state(), OperatingState::Stopped);
        frame_->updateCommands();
        QVERIFY(!command(CommandId::Transmit)->isEnabled());
        QVERIFY(command(CommandId::Receive)->isEnabled());
        QVERIFY(command(CommandId::SoundOff)->isChecked());
        command(CommandId::Receive)->trigger();
        QCOMPARE(frame_->station().state(), OperatingState::Receiving);
    }

    void lockCommandsFollowTheLock() {
        QVERIFY(command(CommandId::LockTransmit)->isEnabled());
        QVERIFY(!command(CommandId::UnlockTransmit)->isEnabled());
        command(CommandId::LockTransmit)->trigger();
        QVERIFY(frame_->station().transmitLocked());
        QVERIFY(!command(CommandId::LockTransmit)->isEnabled());
        QVERIFY(command(CommandId::UnlockTransmit)->isEnabled());
    }

    void multichannelToggleOnlyInBpsk() {
        Settings& st = frame_->station().settings();
        QCOMPARE(st.misc.multichannelWindow.value(), 1);
        command(CommandId::MultichannelWindow)->trigger();
        QCOMPARE(st.misc.multichannelWindow.value(), 0);
        command(CommandId::MultichannelWindow)->trigger();
        QCOMPARE(st.misc.multichannelWindow.value(), 1);
        chooseMode(Mode::Qpsk31);
        frame_->runCommand(CommandId::MultichannelWindow);
        QCOMPARE(st.misc.multichannelWindow.value(), 0);
        frame_->runCommand(CommandId::MultichannelWindow);
        QCOMPARE(st.misc.multichannelWindow.value(), 0);
        frame_->updateCommands();
        QVERIFY(!command(CommandId::MultichannelWindow)->isEnabled());
        QVERIFY(command(CommandId::InvertQpsk)->isEnabled());
    }

    void underlineToggleClearsTheTransmitWindow() {
        QTest::keyClicks(frame_->transmitView(), "CQ");
        QCOMPARE(frame_->station().transmitText().text(), std::string("CQ"));
        command(CommandId::UnderlineOwnText)->trigger();
        QVERIFY(command(CommandId::UnderlineOwnText)->isChecked());
        QCOMPARE(frame_->station().transmitText().text(), std::string());
        QVERIFY(!frame_->station().transmitText().simpleEdit());
    }

    void squelchWindowOpensAndClosesButNotInPactor() {
        frame_->runCommand(CommandId::SquelchThreshold);
        QVERIFY(frame_->squelchWindow() != nullptr);
        frame_->runCommand(CommandId::SquelchThreshold);
        QTRY_VERIFY(frame_->squelchWindow() == nullptr);
        chooseMode(Mode::Pactor);
        frame_->runCommand(CommandId::SquelchThreshold);
        QVERIFY(frame_->squelchWindow() == nullptr);
    }

    void closingStoresPlacementAndBarLayout() {
        frame_->move(50, 60);
        frame_->resize(700, 500);
        QTRY_COMPARE(frame_->size(), QSize(700, 500));
        frame_->close();
        const Settings& st = frame_->station().settings();
        QCOMPARE(st.window.width.value(), 700);
        QCOMPARE(st.window.height.value(), 500);
        QCOMPARE(st.window.isMaximized.value(), 0);
        QVERIFY(!store_->getString("ToolBars5", "State", "").empty());
    }

    void waterfallClicksTuneTheStationAndOpenChannels() {
        Station& s = frame_->station();
        auto* view = frame_->spectrumView();
        view->repaint();  // the view takes the station's state while painting
        const int x = 300;
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(x, view->height() / 2));
        const double expected = view->scale().xToFrequency(x);  // the view's zoom decides
        QCOMPARE(s.receiveFrequency(), static_cast<double>(static_cast<float>(expected)));
        QCOMPARE(s.transmitFrequency(), expected);
        // The signal search keeps to the bins the waterfall shows.
        QCOMPARE(s.multichannel().viewWidth(), view->visibleBins());
        view->setZoom(tarnvel::display::WaterfallZoom::OnePixelPerBin);
        QCOMPARE(s.multichannel().viewWidth(), std::min(view->width(), 1024));
        view->setZoom(tarnvel::display::WaterfallZoom::FitToWidth);
        const int before = s.multichannel().countInUse();
        QTest::mousePress(view, Qt::RightButton, {}, QPoint(500, view->height() / 2));
        QCOMPARE(s.multichannel().countInUse(), before + 1);
    }

    // Receive recovery's note goes to the status bar, not into a message box, and the panes
    // stay where they are.
    void receiveReopenedNoteShowsInTheStatusBar() {
        StationHost& host = *frame_;
        host.showNote(kReceiveReopenedNote);
        QCOMPARE(frame_->statusBar()->currentMessage(), QString(kReceiveReopenedNote));
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(frame_->pane(0)->isVisible());
    }

    void rateCorrectionAppliesAtOnceWhileReceiving() {
        Station& s = frame_->station();
        QCOMPARE(runAnswering(CommandId::ReceiveRateCorrection, QStringLiteral("-100")), QString());
        QCOMPARE(s.settings().misc.rateCorrRx.value(), -100);
        QCOMPARE(s.receiveChain().sampleRate(), 11024.0);
        QCOMPARE(s.state(), OperatingState::Receiving);
        runAnswering(CommandId::TransmitRateCorrection, QStringLiteral("100"));
        QCOMPARE(s.transmitter().sampleRate(), 11026.0);
        QCOMPARE(s.soundHistory()->writeIndex(), 0);
    }

    void historyLengthCommandRenewsTheHistoryAndTheSaveCommand() {
        Station& s = frame_->station();
        QCOMPARE(runAnswering(CommandId::SoundHistoryLength, QStringLiteral("301")),
                 QStringLiteral("Too big value"));
        QCOMPARE(s.settings().misc.soundHistory.value(), 20);
        runAnswering(CommandId::SoundHistoryLength, QStringLiteral("0"));
        QCOMPARE(s.soundHistory(), nullptr);
        QVERIFY(!saveCommand()->isEnabled());
        runAnswering(CommandId::SoundHistoryLength, QStringLiteral("3"));
        QCOMPARE(s.soundHistory()->capacity(), static_cast<int>(3 * s.receiveChain().sampleRate()));
        QVERIFY(saveCommand()->isEnabled());
        QCOMPARE(saveCommand()->text(), QStringLiteral("Save last 3 s&econds..."));
    }

    // Tab and Shift+Tab never type into the transmit text nor wander through the views: with
    // the log bar hidden the focus goes to the transmit window and stays there.
    void tabKeepsTheFocusWithTheTransmitWindow() {
        frame_->runCommand(CommandId::LogBar);
        frame_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame_.get()));
        auto* tx = frame_->transmitView();
        QWidget* rx = frame_->receiveView();
        rx->setFocus();
        QTRY_VERIFY(rx->hasFocus());
        QTest::keyClick(rx, Qt::Key_Tab);
        QTRY_VERIFY(tx->hasFocus());
        QTest::keyClicks(tx, "CQ");
        QTest::keyClick(tx, Qt::Key_Tab);
        QTest::keyClick(tx, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(tx->hasFocus());
        QTest::keyClicks(tx, "DE");
        QCOMPARE(frame_->station().transmitText().text(), std::string("CQDE"));
    }

    void ctrlArrowsNudgeTheFrequency() {
        Station& s = frame_->station();
        s.setFrequency(4995.0, kSetBoth, false);
        frame_->transmitView()->setFocus();
        QTest::keyClick(frame_->transmitView(), Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(s.receiveFrequency(), 5000.0);
        QTest::keyClick(frame_->transmitView(), Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(s.receiveFrequency(), 4999.0);
    }
};

QTEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"
