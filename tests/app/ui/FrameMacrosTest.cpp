// The macros in the main window: F2 pressed in the transmit window calls CQ on the loopback
// sound card and returns to receive; the editor opened from the macro menu stores what it
// is given and the bar and menu show the new label.

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/StationClock.h"
#include "app/StationMacros.h"
#include "app/ui/CKbdBufferView.h"
#include "app/ui/CRxView.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/CommandBinder.h"
#include "audio/LoopbackSoundCard.h"
#include "display/ui/StationText.h"
#include "macros/ui/CMacroBar.h"
#include "macros/ui/CMacroEditor.h"

using namespace tarnvel::app;
using tarnvel::macros::MacroKeySet;

class FrameMacrosTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    std::unique_ptr<SettingsStore> store_;
    std::unique_ptr<tarnvel::audio::LoopbackSoundCard> card_;
    SteadyStationClock clock_;
    std::unique_ptr<CMainFrame> frame_;

    tarnvel::macros::CMacroBar* bar() {
        return frame_->findChild<tarnvel::macros::CMacroBar*>(QStringLiteral("MacroBar"));
    }
    QMenu* submenu(const QString& title) {
        for (QAction* a : frame_->commands().menu(Menu::Macros)->actions())
            if (a->menu() && a->text() == title) return a->menu();
        return nullptr;
    }

  private Q_SLOTS:
    void initTestCase() { tarnvel::display::initDisplayResources(); }

    void init() {
        QFile::remove(dir_.path() + "/Tarnvel.ini");
        store_ = std::make_unique<SettingsStore>((dir_.path() + "/Tarnvel.ini").toStdString());
        store_->writeString("Station", "Call", "SP9TST");
        card_ = std::make_unique<tarnvel::audio::LoopbackSoundCard>();
        frame_ = std::make_unique<CMainFrame>(*store_, *card_, clock_,
                                              StationOptions{dir_.path().toStdString(), false, {}});
        frame_->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame_.get()));
        QVERIFY(frame_->start());
    }

    void cleanup() {
        frame_.reset();
        card_.reset();
        store_.reset();
    }

    void f2CallsCqAndReturnsToReceive() {
        Station& station = frame_->station();
        station.setImdMeasuring(true);  // the loopback input hears the call
        // The first tick clears the receive window: the call is made after it.
        QTRY_VERIFY(station.tickCount() >= 1);
        frame_->transmitView()->setFocus();
        QTest::keyClick(frame_->transmitView(), Qt::Key_F2);
        QCOMPARE(station.state(), OperatingState::Transmitting);
        QTRY_VERIFY_WITH_TIMEOUT(station.state() == OperatingState::Receiving, 120000);
        QCOMPARE(station.transmissionsCompleted(), 1);
        const std::string& shown = station.receiveText().text();
        QVERIFY2(shown.find("CQ CQ CQ DE SP9TST SP9TST SP9TST pse K") != std::string::npos,
                 shown.c_str());
        QVERIFY(station.transmitText().text().empty());
    }

    void barAndMenusShowTheLabelsAndTheEditorStoresAnEdit() {
        QVERIFY(bar() != nullptr);
        QCOMPARE(bar()->button(2)->text(), QStringLiteral("CQ"));
        QMenu* fMenu = submenu(QStringLiteral("F&n macra"));
        QVERIFY(fMenu != nullptr);
        QVERIFY(submenu(QStringLiteral("C&trl-Fn macra")) != nullptr);
        QCOMPARE(fMenu->actions().size(), 12);
        QCOMPARE(fMenu->actions()[1]->text(), QStringLiteral("F&2\tCQ"));
        QCOMPARE(fMenu->actions()[9]->text(), QStringLiteral("F10\tSquelch"));

        QTimer answerer;
        connect(&answerer, &QTimer::timeout, [] {
            auto* editor =
                qobject_cast<tarnvel::macros::CMacroEditor*>(QApplication::activeModalWidget());
            if (!editor) return;
            editor->labelField()->setText(QStringLiteral("Hi"));
            editor->textField()->setPlainText(QStringLiteral("hello <CALL>\n73"));
            editor->accept();
        });
        answerer.start(20);
        fMenu->actions()[2]->trigger();  // F3
        answerer.stop();
        const auto& macro = frame_->station().macros().macro(MacroKeySet::F, 3);
        QCOMPARE(macro.label, std::string("Hi"));
        QCOMPARE(macro.text, std::string("hello <CALL>\r\n73"));
        QCOMPARE(bar()->button(3)->text(), QStringLiteral("Hi"));
        QCOMPARE(store_->getString("Text", "F3Text", ""), std::string("hello <CALL><CR><LF>73"));

        // Ctrl+F12 is the Ctrl set's key, at window level: an edited macro there is fired.
        frame_->station().macros().edit(MacroKeySet::Ctrl, 12, {"x", "ctrl text"});
        frame_->activateWindow();  // the editor had it
        QVERIFY(QTest::qWaitForWindowActive(frame_.get()));
        QTest::keyClick(frame_->receiveView(), Qt::Key_F12, Qt::ControlModifier);
        QCOMPARE(frame_->station().transmitText().text(), std::string("ctrl text"));
    }
};

QTEST_MAIN(FrameMacrosTest)
#include "FrameMacrosTest.moc"
