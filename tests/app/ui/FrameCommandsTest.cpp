// The main window's commands built from the command table: menus, keys, the status bar's menu,
// and what the window does when they run (the squelch window, the tuning bar, the spectrum's
// options, the callbook names).

#include <QColorDialog>
#include <QDockWidget>
#include <QFontDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include "app/StationClock.h"
#include "app/ui/CKbdBufferView.h"
#include "app/ui/CRxView.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/CSquelchWindow.h"
#include "app/ui/CommandBinder.h"
#include "app/ui/FrameAppearance.h"
#include "app/ui/FrameHost.h"
#include "app/ui/PositionedDialog.h"
#include "audio/LoopbackSoundCard.h"
#include "display/DisplaySettings.h"
#include "display/ui/CSpectrumView.h"
#include "display/ui/CTuningIndicator.h"
#include "display/ui/StationText.h"

using namespace tarnvel::app;
using tarnvel::modem::Mode;

class FrameCommandsTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    std::unique_ptr<SettingsStore> store_;
    std::unique_ptr<tarnvel::audio::LoopbackSoundCard> card_;
    SteadyStationClock clock_;
    std::unique_ptr<CMainFrame> frame_;

    Settings& settings() { return frame_->station().settings(); }
    void click(int pane) { QTest::mouseClick(frame_->pane(pane), Qt::LeftButton); }
    void chooseMode(Mode mode) { frame_->runCommand(*modeCommand(mode)); }
    void press(Qt::Key key, Qt::KeyboardModifiers mods) {
        QTest::keyClick(frame_->transmitView(), key, mods);
    }

    // Runs a command whose dialog `answer` fills in and accepts (or rejects).
    template <typename Dialog, typename Answer>
    void runAnswering(CommandId id, Answer answer) {
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget()))
                answer(*dialog);
        });
        answerer.start(20);
        frame_->runCommand(id);
    }
    void restart() {
        frame_.reset();
        frame_ = std::make_unique<CMainFrame>(*store_, *card_, clock_,
                                              StationOptions{dir_.path().toStdString(), false, {}});
    }

  private Q_SLOTS:
    void initTestCase() { tarnvel::display::initDisplayResources(); }

    void init() {
        QFile::remove(dir_.path() + "/Tarnvel.ini");  // every case starts from a first start
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

    // Every menu command of the table is an action in its own menu, with a prompt for the
    // status bar; commands of keys and panes only have none.
    void everyMenuCommandIsInItsMenuWithAPrompt() {
        for (const CommandSpec& c : commandTable()) {
            QAction* a = frame_->action(c.id);
            if (c.menu == Menu::None) {
                QVERIFY(a == nullptr);
                continue;
            }
            QVERIFY2(a != nullptr, c.text.data());
            QMenu* menu = frame_->commands().menu(c.menu);
            QVERIFY(menu->actions().contains(a));
            QVERIFY(!a->statusTip().isEmpty());
            QVERIFY(!a->statusTip().contains(QLatin1Char('\t')));
            a->showStatusText(frame_.get());
            QCOMPARE(frame_->statusBar()->currentMessage(), a->statusTip());
        }
        QCOMPARE(frame_->action(CommandId::Font)->statusTip(), QStringLiteral("Czcionka..."));
        // The callbook submenu sits in the options menu.
        QVERIFY(frame_->commands().menu(Menu::Options)->actions().contains(
            frame_->commands().menu(Menu::Callbooks)->menuAction()));
    }

    void callbookItemsShowTheCallbooksNames() {
        frame_->updateCommands();
        QCOMPARE(frame_->action(CommandId::Callbook0)->text(), QStringLiteral("QRZ.com"));
        QCOMPARE(frame_->action(CommandId::Callbook1)->text(), QStringLiteral("HamQTH"));
        frame_->action(CommandId::Callbook1)->trigger();
        QCOMPARE(settings().callbook.callbookType.value(), 1);
        QVERIFY(frame_->action(CommandId::Callbook1)->isChecked());
        QVERIFY(!frame_->action(CommandId::Callbook0)->isChecked());
    }

    void theTablesKeysRunTheirCommands() {
        frame_->transmitView()->setFocus();
        press(Qt::Key_End, Qt::AltModifier);
        QCOMPARE(frame_->station().transmitText().text(), std::string("\xAE\r\n"));
        settings().pages.bandIndex = 2;
        press(Qt::Key_4, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(settings().port.fourband.value(), 1);
        QCOMPARE(settings().pages.bandIndex.value(), 4);  // a page the interface reaches
        press(Qt::Key_4, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(settings().port.fourband.value(), 0);
        press(Qt::Key_X, Qt::AltModifier);
        QCOMPARE(frame_->station().state(), OperatingState::Transmitting);
        QVERIFY(frame_->pane(CMainFrame::kPaneTx)->pressed());
        // The X went to no window as a character.
        QCOMPARE(frame_->station().transmitText().text(), std::string("\xAE\r\n"));
    }

    void statusBarMenuRunsItsCommands() {
        QMenu menu;
        frame_->commands().fillPaneMenu(menu, frame_->status());
        QStringList texts;
        for (QAction* a : menu.actions())
            if (!a->isSeparator()) texts << a->text();
        QCOMPARE(texts, (QStringList{"S&quelch", "&AFC", "S&nap", "Squelch th&reshold...",
                                     "&Lock TX frequency", "&UTC", "Flashing 'T&X'",
                                     "Show &frequencies"}));
        QAction* utc = menu.actions().at(texts.indexOf("&UTC") + 2);  // two separators before
        QCOMPARE(utc->text(), QStringLiteral("&UTC"));
        QVERIFY(utc->isCheckable());
        QCOMPARE(utc->isChecked(), settings().misc.utc != 0);
        const int before = settings().misc.utc;
        utc->trigger();
        QCOMPARE(settings().misc.utc.value(), before != 0 ? 0 : 1);
        menu.actions().at(texts.indexOf("&Lock TX frequency") + 1)->trigger();
        QVERIFY(frame_->station().transmitLocked());
    }

    // An option pane clicked while the squelch window is open refreshes it; it does not close.
    void optionPanesRefreshTheSquelchWindow() {
        frame_->runCommand(CommandId::SquelchThreshold);
        QPointer<CSquelchWindow> window = frame_->squelchWindow();
        QVERIFY(window);
        frame_->station().setSquelchThreshold(7);
        for (const int pane : {CMainFrame::kPaneSq, CMainFrame::kPaneAfc, CMainFrame::kPaneSnap}) {
            click(pane);
            QVERIFY(window);
            QCOMPARE(frame_->squelchWindow(), window.data());
            QVERIFY(window->isVisible());
        }
        QCOMPARE(window->slider()->value(), 7);
    }

    // A mode change points the open window at the new decoder; PACTOR has no squelch.
    void modeChangesKeepTheSquelchWindowExceptPactor() {
        frame_->runCommand(CommandId::SquelchThreshold);
        QPointer<CSquelchWindow> window = frame_->squelchWindow();
        chooseMode(Mode::Bpsk63);
        QCOMPARE(frame_->station().mode(), Mode::Bpsk63);
        QVERIFY(window);
        QCOMPARE(frame_->squelchWindow(), window.data());
        click(CMainFrame::kPaneMode);  // on to PACTOR
        QCOMPARE(frame_->station().mode(), Mode::Pactor);
        QTRY_VERIFY(!window);
        QVERIFY(frame_->squelchWindow() == nullptr);
    }

    void tuningBarFollowsItsOption() {
        QDockWidget* dock = qobject_cast<QDockWidget*>(frame_->tuningIndicator()->parentWidget());
        QVERIFY(dock);
        QVERIFY(!dock->isVisible());
        frame_->action(CommandId::OldPhaseScope)->trigger();
        QCOMPARE(settings().misc.oldPhaseScope.value(), 1);
        QVERIFY(dock->isVisible());
        QVERIFY(frame_->action(CommandId::OldPhaseScope)->isChecked());
        frame_->action(CommandId::OldPhaseScope)->trigger();
        QVERIFY(!dock->isVisible());
    }

    void spectrumOptionsReachTheView() {
        auto* view = frame_->spectrumView();
        const bool narrow = view->inputs().display.narrowSpectrum;
        frame_->action(CommandId::NarrowSpectrum)->trigger();
        QCOMPARE(view->inputs().display.narrowSpectrum, !narrow);
        QCOMPARE(settings().misc.narrowSpectrum.value() != 0, !narrow);
        QCOMPARE(view->zoom(), tarnvel::display::WaterfallZoom::FitToWidth);
        frame_->action(CommandId::WaterfallFitWidth)->trigger();
        QCOMPARE(view->zoom(), tarnvel::display::WaterfallZoom::OnePixelPerBin);
        QVERIFY(!frame_->action(CommandId::WaterfallFitWidth)->isChecked());
        // The signal search follows the bins shown.
        QCOMPARE(frame_->station().multichannel().viewWidth(), view->visibleBins());
        frame_.reset();
        QCOMPARE(store_->getInt("View", tarnvel::display::kWaterfallZoomKey, -1),
                 tarnvel::display::waterfallZoomSetting(
                     tarnvel::display::WaterfallZoom::OnePixelPerBin));
    }

    // A first start takes the backgrounds' colour from the desktop, not white.
    void backgroundsDefaultToTheDesktopsWindowColour() {
        const QPalette desktop = QApplication::palette();
        QPalette dark = desktop;
        dark.setColor(QPalette::Base, QColor(0x20, 0x30, 0x40));
        QApplication::setPalette(dark);
        frame_.reset();
        QFile::remove(dir_.path() + "/Tarnvel.ini");
        store_ = std::make_unique<SettingsStore>((dir_.path() + "/Tarnvel.ini").toStdString());
        restart();
        QApplication::setPalette(desktop);
        for (const ColourRole role :
             {ColourRole::ReceiveBackground, ColourRole::TransmitBackground,
              ColourRole::MultichannelCarrier, ColourRole::MultichannelNoCarrier,
              ColourRole::MultichannelInactive})
            QCOMPARE(frame_->station().colour(role), 0x403020);
        QCOMPARE(frame_->receiveView()->palette().color(QPalette::Base), QColor(0x20, 0x30, 0x40));
    }

    // The station hands a window command (as a macro would give it) to the window.
    void stationRunsWindowCommandsThroughTheWindow() {
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, [] {
            if (auto* prompt = qobject_cast<CNumberPrompt*>(QApplication::activeModalWidget())) {
                prompt->field()->setText(QStringLiteral("42"));
                prompt->accept();
            }
        });
        answerer.start(20);
        frame_->station().runCommand(CommandId::ChannelTimeout);
        QCOMPARE(settings().misc.multichannelTimeout.value(), 42);
    }

    void stationFileFiltersBecomeQtFilters() {
        QCOMPARE(qtFileFilter("Text files (*.txt)|*.txt|All files (*.*)|*.*"),
                 QStringLiteral("Text files (*.txt);;All files (*.*)"));
        QCOMPARE(qtFileFilter("Logs|*.adi;*.adif"), QStringLiteral("Logs (*.adi *.adif)"));
        QCOMPARE(qtFileFilter("WAV files (*.wav);;All files (*.*)"),
                 QStringLiteral("WAV files (*.wav);;All files (*.*)"));
    }

    void fontCommandStoresTheFontAndTheWindowsTakeIt() {
        QFont wanted(QStringLiteral("DejaVu Sans Mono"));
        wanted.setPixelSize(19);
        wanted.setItalic(true);
        wanted.setWeight(QFont::Bold);
        runAnswering<QFontDialog>(CommandId::Font, [&](QFontDialog& d) {
            QVERIFY(d.windowTitle() == QStringLiteral("Czcionka"));
            d.setCurrentFont(wanted);
            d.accept();
        });
        const QFont shown = frame_->receiveView()->font();
        QCOMPARE(QString::fromStdString(store_->getString("Font", "FaceName", "")), shown.family());
        QCOMPARE(store_->getInt("Font", "Height", 0), -shown.pixelSize());
        QVERIFY(shown.pixelSize() > 0);
        QCOMPARE(store_->getInt("Font", "Italic", 0), 1);
        QCOMPARE(store_->getInt("Font", "Weight", 0), 700);
        QCOMPARE(frame_->transmitView()->font(), shown);
        QVERIFY(shown.italic());
    }

    void theSavedFontIsReadAtStart() {
        frame_.reset();  // it would store its own font as it closes
        store_->writeString("Font", "FaceName", "DejaVu Sans Mono");
        store_->writeInt("Font", "Height", -21);
        store_->writeInt("Font", "Weight", 700);
        store_->writeInt("Font", "Underline", 1);
        restart();
        for (QWidget* view : {static_cast<QWidget*>(frame_->receiveView()),
                              static_cast<QWidget*>(frame_->transmitView())}) {
            const QFont f = view->font();
            QCOMPARE(f.family(), QStringLiteral("DejaVu Sans Mono"));
            QCOMPARE(f.pixelSize(), 21);
            QCOMPARE(f.weight(), QFont::Bold);
            QVERIFY(f.underline());
            QVERIFY(!f.italic());
        }
    }

    void colourCommandsStoreTheirColourAndRepaint() {
        const QColor chosen(0x12, 0x34, 0x56);
        runAnswering<QColorDialog>(CommandId::ReceiveBackground, [&](QColorDialog& d) {
            d.setCurrentColor(chosen);
            d.accept();
        });
        QCOMPARE(settings().font.rxBgColor.value(), 0x563412);
        QCOMPARE(frame_->receiveView()->palette().color(QPalette::Base), chosen);
        runAnswering<QColorDialog>(CommandId::TransmitTextColour, [&](QColorDialog& d) {
            d.setCurrentColor(QColor(0xFF, 0, 0));
            d.accept();
        });
        QCOMPARE(settings().font.txFontColor.value(), 0x0000FF);
        const int32_t before = settings().font.mcBgColorInactive;
        runAnswering<QColorDialog>(CommandId::MultichannelInactiveBackground, [&](QColorDialog& d) {
            QCOMPARE(d.currentColor(), colourFromStored(before));
            d.setCurrentColor(chosen);
            d.reject();
        });
        QCOMPARE(settings().font.mcBgColorInactive.value(), before);
        runAnswering<QColorDialog>(CommandId::MultichannelInactiveBackground, [&](QColorDialog& d) {
            d.setCurrentColor(chosen);
            d.accept();
        });
        QCOMPARE(settings().font.mcBgColorInactive.value(), 0x563412);
    }
};

QTEST_MAIN(FrameCommandsTest)
#include "FrameCommandsTest.moc"
