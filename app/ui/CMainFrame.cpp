#include "app/ui/CMainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>

#include "app/ui/CKbdBufferView.h"
#include "app/ui/CRxView.h"
#include "app/ui/CommandBinder.h"
#include "app/ui/FrameAppearance.h"
#include "app/ui/FrameLayout.h"
#include "app/ui/FrameLog.h"
#include "app/ui/FrameMacros.h"
#include "app/ui/FrameMixer.h"
#include "app/ui/FrameSpectrum.h"
#include "app/ui/FramePlacement.h"
#include "app/ui/WindowCommands.h"
#include "display/DisplaySettings.h"
#include "display/ui/CRxListView.h"
#include "display/ui/CSpectrumView.h"
#include "display/ui/CTuningIndicator.h"

namespace tarnvel::app {

namespace {

// The desktop's window colour is the default of every background colour.
StationOptions withDesktopDefaults(StationOptions options) {
    options.defaults.windowColour = storedColour(QApplication::palette().color(QPalette::Base));
    return options;
}

}  // namespace

CMainFrame::CMainFrame(SettingsStore& store, audio::SoundCard& card, StationClock& clock,
                       StationOptions options, QWidget* parent)
    : QMainWindow(parent),
      FrameHost(*this, store),
      card_(card),
      clock_(clock),
      station_(std::make_unique<Station>(store, card, *this, clock,
                                         withDesktopDefaults(std::move(options)))),
      settings_(station_->settings()) {
    setWindowTitle(QStringLiteral("Tarnvel"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tarnvel.png")));
    buildViews();
    connectViews();
    statusBar_ = new FrameStatusBar(statusBar());
    buildCommands();
    restorePlacement(*this, settings_, store_);
    spectrumArea_->applyOptions(status());
    station_->receiveChain().attachPhaseScope(this);
    lastMode_ = station_->mode();
    qApp->installEventFilter(this);
    connect(&timer_, &QTimer::timeout, this, &CMainFrame::onTimer);
}

CMainFrame::~CMainFrame() {
    qApp->removeEventFilter(this);
    timer_.stop();
    soundNotifier_.reset();
    station_->receiveChain().attachPhaseScope(nullptr);
    windowCommands_->closeSquelchWindow();
    station_->shutdown();
    // The views hold the station's text models and decoder: they go before the station.
    delete takeCentralWidget();
    delete spectrumArea_->tuningDock();
    spectrum_ = nullptr;
    rx_ = nullptr;
    tx_ = nullptr;
    list_ = nullptr;
    listArea_ = nullptr;
}

bool CMainFrame::start() {
    const bool open = station_->start();
    applyStoredMixerLevels(*station_, *this);
    started_ = true;
    const int fd = card_.events().wakeFd();
    if (fd >= 0) {
        soundNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(soundNotifier_.get(), &QSocketNotifier::activated, this, &CMainFrame::onSoundWake);
    } else {
        // Without a wake descriptor the events are polled.
        connect(&soundPoll_, &QTimer::timeout, this, &CMainFrame::onSoundWake);
        soundPoll_.start(20);
    }
    timer_.start(kTimerMs);
    lastMode_ = station_->mode();
    layoutColumns();
    focusTransmitWindow();
    updateStatus();
    updateCommands();
    return open;
}

void CMainFrame::showAtStart() {
    app::showAtStart(*this, settings_, store_);
}

// ---- windows --------------------------------------------------------------------------------

void CMainFrame::buildViews() {
    layout_ = new FrameLayout(settings_, this);
    QSplitter* outer = layout_->build(this);
    rx_ = new CRxView(shownText_, layout_->topRow());
    shownCharacterSet_ = station_->characterSet();
    rx_->setCharacterSet(shownCharacterSet_);
    // The 26 lines scroll when the window is lower than they are.
    auto* listArea = new QScrollArea(layout_->topRow());
    list_ = new display::CRxListView;
    list_->setMinimumHeight(display::kChannelSlots * list_->lineHeight() + 2);
    listArea->setWidget(list_);
    listArea->setWidgetResizable(true);
    listArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    listArea->setFrameShape(QFrame::NoFrame);
    listArea_ = listArea;
    tx_ = new CKbdBufferView(station_->transmitText(), layout_->middle());
    spectrumArea_ = new FrameSpectrum(*station_, store_, *this);
    spectrum_ = spectrumArea_->build(outer);
    layout_->attach(FrameLayout::Views{rx_, listArea_, tx_, spectrum_});
    setCentralWidget(outer);
    appearance_ = new FrameAppearance(*station_, this, rx_, tx_);
    appearance_->apply();
    logFrame_ = new FrameLog(*station_, *this, rx_, tx_, [this](CommandId id) { runCommand(id); });
}

void CMainFrame::connectViews() {
    connect(spectrumArea_, &FrameSpectrum::channelsChanged, list_, qOverload<>(&QWidget::update));
    connect(spectrumArea_, &FrameSpectrum::tuned, this, &CMainFrame::updateStatus);
    connect(spectrum_, &display::CSpectrumView::textTyped, this, [this](const QString& text) {
        tx_->setFocus();
        tx_->typeText(text);
    });

    list_->setDecoder(&station_->multichannel(), &station_->displayData().highlights(),
                      [this] { return clock_.now(); });
    connect(list_, &display::CRxListView::goToChannel, this,
            [this](int slot) { station_->jumpToChannel(slot); });
    connect(list_, &display::CRxListView::clearChannel, this,
            [this](int slot) { station_->clearChannel(slot); });
    connect(list_, &display::CRxListView::clearAllChannels, this,
            [this] { runCommand(CommandId::ClearMultichannel); });
    connect(list_, &display::CRxListView::toggleSquelchWindow, this,
            [this] { runCommand(CommandId::SquelchThreshold); });
    connect(rx_, &CRxView::cleared, this, [this] { station_->clearReceiveWindow(); });
    connect(rx_, &CRxView::focusChanged, this, [this](bool focus) {
        // Text held back while the window had the focus is shown when it leaves.
        if (!focus) station_->flushReceivedText();
    });
}

void CMainFrame::buildCommands() {
    binder_ = new CommandBinder(this);
    binder_->buildMenus(menuBar());
    connect(binder_, &CommandBinder::commandTriggered, this, &CMainFrame::runCommand);
    connect(binder_, &CommandBinder::menuOpening, this, &CMainFrame::updateCommands);
    connect(statusBar_, &FrameStatusBar::command, this, &CMainFrame::runCommand);
    connect(statusBar_, &FrameStatusBar::menuRequested, this,
            [this](const QPoint& at) { binder_->showPaneMenu(at, status(), this); });

    windowCommands_ = new WindowCommands(
        WindowCommands::Context{this, station_.get(), this, &store_, &card_},
        this);
    connect(windowCommands_, &WindowCommands::exitRequested, this, &QWidget::close);
    new FrameMacros(*station_, *this, *binder_, [this] { afterCommand(); });
    connect(windowCommands_, &WindowCommands::displayDataChanged, this, [this] {
        spectrumArea_->applyPalette();
        list_->update();
        spectrum_->update();
    });
}

QAction* CMainFrame::action(CommandId id) const {
    return binder_->action(id);
}

CSquelchWindow* CMainFrame::squelchWindow() const {
    return windowCommands_->squelchWindow();
}

StationStatus CMainFrame::status() const {
    return station_->status();
}

// The station runs every command, its own or (through runWindowCommand) the window's, and
// applies its rules (a disabled menu item never gets here; a key or a macro may).
void CMainFrame::runCommand(CommandId id) {
    station_->runCommand(id);
    afterCommand();
    // An option the squelch window shows changed: it shows it at once.
    if (id == CommandId::Squelch || id == CommandId::Afc || id == CommandId::Snap)
        windowCommands_->refreshSquelchWindow();
}

// What any command may have changed: the mode (the squelch window follows it, the columns
// follow the multichannel option), the view options, the panes and the commands.
void CMainFrame::afterCommand() {
    const StationStatus s = status();
    if (s.mode != lastMode_) {
        lastMode_ = s.mode;
        windowCommands_->followMode(s.mode);
    }
    if (s.characterSet != shownCharacterSet_) {
        // The receive window shows its text again in the new set.
        shownCharacterSet_ = s.characterSet;
        rx_->setCharacterSet(s.characterSet);
    }
    spectrumArea_->applyOptions(s);
    layoutColumns();
    list_->update();
    statusBar_->update(s);
    binder_->update(s);
}

display::CTuningIndicator* CMainFrame::tuningIndicator() {
    return spectrumArea_->tuningIndicator();
}

void CMainFrame::runWindowCommand(CommandId id) {
    if (!appearance_->run(id) && !logFrame_->run(id)) windowCommands_->run(id);
}

void CMainFrame::layoutColumns() {
    layout_->layoutColumns(settings_.misc.multichannelWindow != 0);
    rx_->ensureCursorVisible();
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    layout_->frameResized(*event, settings_.misc.multichannelWindow != 0);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    layout_->rememberAtClose(!isMinimized() && !isMaximized(),
                             settings_.misc.multichannelWindow != 0);
    savePlacement(*this, settings_, store_);
    timer_.stop();
    QMainWindow::closeEvent(event);
}

// ---- station events -------------------------------------------------------------------------

void CMainFrame::onSoundWake() {
    card_.events().acknowledgeWake();
    station_->handleSoundEvents();
}

void CMainFrame::onTimer() {
    // Ticks not yet run by the sound events run now.
    station_->runDueTicks();
    if (station_->inputEnded() && !inputEndShown_) {
        // A recording played as the input has no more audio: say so instead of freezing.
        inputEndShown_ = true;
        statusBar()->showMessage(QStringLiteral("The recording has ended: nothing more to receive."));
    }
    const auto colour = [this](ColourRole role) {
        return static_cast<display::Colour>(station_->colour(role));
    };
    list_->setInputs(display::RxListInputs{
        static_cast<int>(station_->state()), station_->mode(), settings_.misc.showBookMarks != 0,
        settings_.misc.multichannelScroll != 0,
        display::LineColours{colour(ColourRole::MultichannelText),
                             colour(ColourRole::MultichannelCarrier),
                             colour(ColourRole::MultichannelNoCarrier),
                             colour(ColourRole::MultichannelInactive)},
        station_->characterSet()});
    spectrumArea_->showLevels();
    // A macro or the station itself may have changed the mode.
    if (station_->mode() != lastMode_) afterCommand();
    updateStatus();
    updateCommands();
}


void CMainFrame::showPhase(int16_t channel, int32_t phase, int32_t level) {
    spectrumArea_->showPhase(channel, phase, level);
}

// ---- StationHost: the views -----------------------------------------------------------------

bool CMainFrame::receiveWindowHasFocus() const {
    return rx_->hasFocus();
}

void CMainFrame::focusTransmitWindow() {
    tx_->setFocus();
}

void CMainFrame::closeThresholdWindow() { windowCommands_->closeSquelchWindow(); }

void CMainFrame::spectrumRowReady() {
    spectrumArea_->rowReady();
}

void CMainFrame::statusChanged() {
    if (started_) updateStatus();
}

void CMainFrame::frequencyChanged() {
    spectrum_->update();
    if (started_) updateStatus();
}

void CMainFrame::receivedTextShown(std::string_view text) {
    const bool transmitting = station_->state() == OperatingState::Transmitting;
    for (const char c : text) rx_->appendReceivedChar(static_cast<uint8_t>(c), transmitting);
}

void CMainFrame::receiveWindowCleared() {
    rx_->clearText();
}

void CMainFrame::transmitWindowCleared() {
    tx_->render();
}

void CMainFrame::transmitWindowChanged() {
    tx_->render();
}

void CMainFrame::qsoChanged() { logFrame_->refresh(); }

void CMainFrame::multichannelChanged() {
    list_->update();
}

void CMainFrame::stateChanged(OperatingState state) {
    spectrumArea_->stateChanged(state);
    if (started_) updateStatus();
}

void CMainFrame::updateStatus() {
    statusBar_->update(status());
}

void CMainFrame::updateCommands() {
    binder_->update(status());
}

// ---- keys -----------------------------------------------------------------------------------

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return QMainWindow::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // The waterfall's cursor follows Shift wherever the focus is.
    const Qt::KeyboardModifiers m = key->modifiers();
    const int mask = ((m & Qt::ShiftModifier) ? 1 : 0) | ((m & Qt::ControlModifier) ? 2 : 0) |
                     ((m & Qt::AltModifier) ? 4 : 0);
    if (mask != modifierMask_) {
        modifierMask_ = mask;
        spectrum_->setModifiers(display::Modifiers{(mask & 1) != 0, (mask & 2) != 0});
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (event->type() != QEvent::KeyPress || !widget || widget->window() != this) return false;
    if (routeKey(key)) return true;
    // Characters typed where nothing takes them go to the transmit window.
    if ((widget == this || widget == list_) && !key->text().isEmpty() && key->text()[0].isPrint() &&
        !(m & (Qt::ControlModifier | Qt::AltModifier))) {
        tx_->setFocus();
        tx_->typeText(key->text());
        return true;
    }
    return false;
}

// The table's keys run their commands; the arrows tune or seek; F1 is the macros'; Tab keeps
// the focus with the transmit window.
bool CMainFrame::routeKey(QKeyEvent* key) {
    if (logFrame_->routeKey(*key)) return true;  // the log bar's keys while it is shown
    if (const auto id = binder_->commandForKey(*key)) {
        runCommand(*id);
        return true;
    }
    const Qt::KeyboardModifiers m = key->modifiers();
    const bool shift = m & Qt::ShiftModifier;
    const bool ctrl = m & Qt::ControlModifier;
    const bool alt = m & Qt::AltModifier;
    const int k = key->key();
    if (k == Qt::Key_F1 && !ctrl && !alt && !shift) return true;
    if (k == Qt::Key_Left || k == Qt::Key_Right) {
        const int direction = k == Qt::Key_Left ? -1 : 1;
        if (alt != ctrl) {
            station_->nudgeFrequency(direction, alt ? 1.0 : 10.0, shift);
        } else if (!ctrl && settings_.misc.arrowsForSeek != 0 &&
                   station_->state() == OperatingState::Receiving) {
            runCommand(direction < 0 ? CommandId::SeekLeft : CommandId::SeekRight);
            return true;
        } else {
            return false;
        }
        updateStatus();
        spectrum_->update();
        return true;
    }
    if (k == Qt::Key_Tab || k == Qt::Key_Backtab) {
        // Outside the log bar's reach the focus stays with the transmit window.
        focusTransmitWindow();
        return true;
    }
    return false;
}

}  // namespace tarnvel::app
