// The log bar, its keys and the log window in the main window around a real station: typing
// marks the QSO unsaved, the buttons and Alt keys save and clear, the band drop-down makes a
// band page current, Tab walks between the transmit window and the fields, text dropped onto
// a field lands there, a double-clicked call goes to the call field, and the "Search results"
// window edits and deletes QSOs of the log file.

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <fstream>
#include <functional>
#include <sstream>

#include "app/Station.h"
#include "app/StationClock.h"
#include "app/StationLog.h"
#include "app/ui/CKbdBufferView.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/CRxView.h"
#include "app/ui/FrameLog.h"
#include "audio/LoopbackSoundCard.h"
#include "display/ui/StationText.h"
#include "logbook/LogFile.h"
#include "logbook/LogLine.h"
#include "logbook/ui/CLogBar.h"
#include "logbook/ui/CLogWindow.h"
#include "logbook/ui/CQsoDetailsDialog.h"
#include "logbook/ui/CSearchDialog.h"

using namespace tarnvel::app;
using tarnvel::logbook::CLogBar;
using tarnvel::logbook::QsoField;

namespace {

std::string readText(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

class LogBarTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    std::unique_ptr<SettingsStore> store_;
    std::unique_ptr<tarnvel::audio::LoopbackSoundCard> card_;
    SteadyStationClock clock_;
    std::unique_ptr<CMainFrame> frame_;

    Station& station() { return frame_->station(); }
    FrameLog& log() { return *frame_->logFrame(); }
    CLogBar& bar() { return *log().bar(); }
    QString logPath() const { return dir_.path() + "/Tarnvel.log"; }
    std::vector<std::string> logLines() {
        return tarnvel::logbook::splitLines(readText(logPath()));
    }
    bool unsavedShown() { return bar().unsavedMark()->text() == QStringLiteral("*"); }

    // Runs `action` while a timer answers the modal windows it opens with `answer`; returns
    // the texts of the message boxes shown.
    QStringList answering(const std::function<void()>& action,
                          const std::function<void(QWidget*)>& answer) {
        QStringList texts;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            if (auto* box = qobject_cast<QMessageBox*>(modal)) texts << box->text();
            answer(modal);
        });
        answerer.start(20);
        action();
        return texts;
    }
    static void pressDefault(QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            QAbstractButton* yes = box->button(QMessageBox::Yes);
            if (!yes) yes = box->button(QMessageBox::Ok);
            yes->click();
        }
    }

  private Q_SLOTS:
    void initTestCase() { tarnvel::display::initDisplayResources(); }

    void init() {
        QFile::remove(logPath());
        QFile::remove(dir_.path() + "/Tarnvel.ini");  // every test starts as a first start
        store_ = std::make_unique<SettingsStore>((dir_.path() + "/Tarnvel.ini").toStdString());
        store_->writeString("Station", "Call", "SP9TST");
        card_ = std::make_unique<tarnvel::audio::LoopbackSoundCard>();
        frame_ = std::make_unique<CMainFrame>(*store_, *card_, clock_,
                                              StationOptions{dir_.path().toStdString(), false, {}});
        frame_->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame_.get()));
        QVERIFY(frame_->start());
        frame_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame_.get()));
        frame_->updateCommands();
    }

    void cleanup() {
        frame_.reset();
        card_.reset();
        store_.reset();
    }

    void typingMarksTheQsoAndSaveWritesIt() {
        QVERIFY(!unsavedShown());
        auto* call = bar().field(QsoField::Call);
        QCOMPARE(call->toolTip(), QStringLiteral("Enter a call"));
        QCOMPARE(bar().field(QsoField::RstSent)->toolTip(), QStringLiteral("Enter sent RST"));
        QCOMPARE(bar().bandBox()->toolTip(), QStringLiteral("Choose a band"));
        QTest::keyClicks(call, "sp9abc");
        QVERIFY(unsavedShown());
        QCOMPARE(station().logbook().qso().field(QsoField::Call), std::string("sp9abc"));
        QTest::keyClicks(bar().field(QsoField::Name), "Jan");
        bar().saveButton()->click();  // no question
        QVERIFY(!unsavedShown());
        const auto lines = logLines();
        QCOMPARE(lines.size(), size_t(1));
        const auto saved = tarnvel::logbook::parseLogLine(lines[0]);
        QCOMPARE(saved->call, std::string("SP9ABC"));
        QCOMPARE(saved->name, std::string("Jan"));
        QVERIFY(frame_->transmitView()->hasFocus());

        // Alt+A asks first when the data changed; Cancel keeps it unsaved.
        QTest::keyClicks(bar().field(QsoField::Notes), "tnx");
        const QStringList asked =
            answering([&] { QTest::keyClick(frame_->transmitView(), Qt::Key_A, Qt::AltModifier); },
                      [](QWidget* modal) {
                          if (auto* box = qobject_cast<QMessageBox*>(modal))
                              box->button(QMessageBox::Cancel)->click();
                      });
        QCOMPARE(asked, QStringList{QStringLiteral("Save QSO with sp9abc ?")});
        QVERIFY(unsavedShown());
        QCOMPARE(logLines().size(), size_t(1));

        // Alt+L asks too; OK empties every field of the bar.
        const QStringList cleared =
            answering([&] { QTest::keyClick(frame_->transmitView(), Qt::Key_L, Qt::AltModifier); },
                      pressDefault);
        QCOMPARE(cleared, QStringList{QStringLiteral("Clear QSO data?")});
        QCOMPARE(call->text(), QString());
        QCOMPARE(bar().field(QsoField::Notes)->text(), QString());
    }

    void altKeysReachTheFieldsBeforeTheMenusOnlyWhileTheBarIsShown() {
        bar().field(QsoField::RstSent)->setText(QStringLiteral("599"));
        frame_->transmitView()->setFocus();
        // Alt+T would open the "&Tryb" menu; with the bar shown it goes to RST sent.
        QTest::keyClick(frame_->transmitView(), Qt::Key_T, Qt::AltModifier);
        QVERIFY(bar().field(QsoField::RstSent)->hasFocus());
        QCOMPARE(bar().field(QsoField::RstSent)->selectedText(), QStringLiteral("599"));
        QVERIFY(!QApplication::activePopupWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
        QVERIFY(bar().field(QsoField::Call)->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_B, Qt::AltModifier);
        QVERIFY(bar().bandBox()->hasFocus());

        // Alt+Y hides the bar (the View item unchecks) and sends the focus back.
        frame_->updateCommands();
        QVERIFY(frame_->action(CommandId::LogBar)->isChecked());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Y, Qt::AltModifier);
        QVERIFY(bar().isHidden());
        frame_->updateCommands();
        QVERIFY(!frame_->action(CommandId::LogBar)->isChecked());
        QVERIFY(frame_->transmitView()->hasFocus());
        QTest::keyClick(frame_->transmitView(), Qt::Key_N, Qt::AltModifier);
        QVERIFY(!bar().field(QsoField::Name)->hasFocus());
        frame_->runCommand(CommandId::LogBar);
        QVERIFY(!bar().isHidden());
    }

    // The bar's place and visibility are kept with the other bars' layout.
    void hiddenBarStaysHiddenAtTheNextStart() {
        frame_->runCommand(CommandId::LogBar);
        QVERIFY(bar().isHidden());
        frame_->close();
        frame_.reset();
        frame_ = std::make_unique<CMainFrame>(*store_, *card_, clock_,
                                              StationOptions{dir_.path().toStdString(), false, {}});
        frame_->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame_.get()));
        QVERIFY(frame_->start());
        QVERIFY(bar().isHidden());
        frame_->updateCommands();
        QVERIFY(!frame_->action(CommandId::LogBar)->isChecked());
        frame_->runCommand(CommandId::LogBar);
        frame_->updateCommands();
        QVERIFY(frame_->action(CommandId::LogBar)->isChecked());
        QVERIFY(bar().isVisible());
    }

    void tabWalksFromTheTransmitWindowThroughTheFieldsAndBack() {
        bar().field(QsoField::Call)->setText(QStringLiteral("DL1AA"));
        auto* tx = frame_->transmitView();
        tx->setFocus();
        QTest::keyClick(tx, Qt::Key_Tab);
        QVERIFY(bar().field(QsoField::Call)->hasFocus());
        QCOMPARE(bar().field(QsoField::Call)->selectedText(), QStringLiteral("DL1AA"));
        const std::vector<QWidget*> order{bar().field(QsoField::Name),
                                          bar().field(QsoField::Qth),
                                          bar().field(QsoField::RstSent),
                                          bar().field(QsoField::RstReceived),
                                          bar().bandBox(),
                                          bar().field(QsoField::Notes),
                                          tx};
        for (QWidget* expected : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), expected);
        }
        QTest::keyClick(tx, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(bar().field(QsoField::Notes)->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(bar().bandBox()->hasFocus());
    }

    void bandDropDownListsThePagesAndMakesOneCurrent() {
        QComboBox* band = bar().bandBox();
        QCOMPARE(band->count(), 11);
        QCOMPARE(band->currentText(), QStringLiteral("20m"));
        const int row = band->findText(QStringLiteral("15m"));
        QVERIFY(row >= 0);
        band->setCurrentIndex(row);
        Q_EMIT band->activated(row);
        QCOMPARE(station().status().bandIndex, 6);
        QVERIFY(unsavedShown());
        // With the four-band interface only its four pages are offered.
        station().toggleFourband(1);
        frame_->qsoChanged();
        QCOMPARE(band->count(), 4);
        QCOMPARE(band->currentText(), QStringLiteral("15m"));
    }

    void droppedTextIsCleanedIntoTheField() {
        auto* name = bar().field(QsoField::Name);
        QMimeData mime;
        mime.setText(QStringLiteral("  Jan\r\nKowalski \n"));
        const QPoint at = name->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(name, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(name, &drop);
        QCOMPARE(name->text(), QStringLiteral("Jan Kowalski"));
        QCOMPARE(station().logbook().qso().field(QsoField::Name), std::string("Jan Kowalski"));
        QVERIFY(unsavedShown());
        // Blanks only change nothing.
        mime.setText(QStringLiteral(" \r\n "));
        QDropEvent blank(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(name, &blank);
        QCOMPARE(name->text(), QStringLiteral("Jan Kowalski"));
        QCOMPARE(tarnvel::logbook::cleanDroppedText(QString(1500, QLatin1Char('x'))).size(), 1000);
    }

    void doubleClickedCallGoesToTheCallField() {
        frame_->receivedTextShown("CQ de sp9xyz/p pse k\r");
        CRxView* rx = frame_->receiveView();
        QTextCursor at(rx->document());
        at.setPosition(8);  // inside the call
        const QPoint point = rx->cursorRect(at).center();
        QTest::mouseDClick(rx->viewport(), Qt::LeftButton, Qt::NoModifier, point);
        QCOMPARE(bar().field(QsoField::Call)->text(), QStringLiteral("SP9XYZ/P"));
        QVERIFY(unsavedShown());
    }

    void searchResultsEditKeepsTheFrequencyAndDeleteRemovesTheSelection() {
        {
            std::ofstream out(logPath().toStdString());
            out << "0;SP9ABC;20041026123400;;;;0;14070000;;BPSK;599;579;;;Jan;;;;;\n"
                   "0;DL1AA;20041026124000;;;;0;14070000;;BPSK;;;;;Hans;;;;;\n"
                   "0;G3XX;20041026125000;;;;0;7070000;;BPSK;;;;;;;;;;\n";
        }
        answering([&] { QTest::keyClick(frame_->transmitView(), Qt::Key_S, Qt::AltModifier); },
                  [](QWidget* modal) {
                      if (auto* d = qobject_cast<tarnvel::logbook::CSearchDialog*>(modal))
                          d->wholeLogButton()->click();
                  });
        tarnvel::logbook::CLogWindow* window = log().logWindow();
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Search results"));
        QCOMPARE(window->table()->rowCount(), 3);
        QCOMPARE(window->table()->item(0, 1)->text(), QStringLiteral("  14070.000"));

        // Edit the first QSO's name: its frequency stays 14.070 MHz to the Hz.
        window->table()->selectRow(0);
        QString shownFrequency;
        answering([&] { window->editButton()->click(); },
                  [&](QWidget* modal) {
                      if (auto* d = qobject_cast<tarnvel::logbook::CQsoDetailsDialog*>(modal)) {
                          using F = tarnvel::logbook::CQsoDetailsDialog::Field;
                          shownFrequency = d->field(F::Frequency)->text();
                          d->field(F::Name)->setText(QStringLiteral("Janek"));
                          d->accept();
                      }
                  });
        QCOMPARE(shownFrequency, QStringLiteral("14.070000"));
        auto lines = logLines();
        QCOMPARE(lines.size(), size_t(3));
        const auto edited = tarnvel::logbook::parseLogLine(lines[0]);
        QCOMPARE(edited->name, std::string("Janek"));
        QCOMPARE(edited->frequency2, int64_t(14070000));
        QCOMPARE(window->table()->item(0, 6)->text(), QStringLiteral("Janek"));

        // Delete two of the three after the question with the count.
        window->table()->clearSelection();
        window->table()->setSelectionMode(QAbstractItemView::MultiSelection);
        window->table()->selectRow(0);
        window->table()->selectRow(2);
        const QStringList asked = answering([&] { window->deleteButton()->click(); }, pressDefault);
        QCOMPARE(asked, QStringList{QStringLiteral("Delete 2 lines from the log?")});
        lines = logLines();
        QCOMPARE(lines.size(), size_t(1));
        QCOMPARE(tarnvel::logbook::parseLogLine(lines[0])->call, std::string("DL1AA"));
        QCOMPARE(window->table()->rowCount(), 1);
    }
};

QTEST_MAIN(LogBarTest)
#include "LogBarTest.moc"
