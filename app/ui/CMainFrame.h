#pragma once
// The main window: it owns one Station and shows it. The waterfall at the bottom, the
// transmit window above it, the receive and multichannel windows side by side on top; a
// status bar with the operating indicators; the menus and keys of the frame, all built from
// the command table and run by command id. As the station's host it puts up the dialogs
// (FrameHost) and repaints the views when told.
//
// Sound events reach the station through a socket notifier on the sound card's wake
// descriptor; a 300 ms timer runs the station's housekeeping ticks.

#include <QMainWindow>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>

#include "app/CommandTable.h"
#include "app/Station.h"
#include "app/ui/FrameHost.h"
#include "app/ui/FrameStatusBar.h"
#include "modem/SymbolDecoder.h"

class QAction;

namespace tarnvel::display {
class CSpectrumView;
class CRxListView;
class CTuningIndicator;
}  // namespace tarnvel::display

namespace tarnvel::app {

class CRxView;
class CKbdBufferView;
class CSquelchWindow;
class CommandBinder;
class FrameAppearance;
class FrameLog;
class FrameLayout;
class FrameSpectrum;
class WindowCommands;

class CMainFrame : public QMainWindow, public FrameHost, private modem::PhaseScopeSink {
    Q_OBJECT
  public:
    static constexpr int kTimerMs = 300;

    CMainFrame(SettingsStore& store, audio::SoundCard& card, StationClock& clock,
               StationOptions options = {}, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Shows the window as it was left: minimised, maximised or at its place; a first start
    // (nothing stored) opens at three quarters of the screen.
    void showAtStart();
    // Opens the sound card and starts the timer (the station's start-up).
    bool start();
    Station& station() { return *station_; }

    // Runs a command by id, whoever carries it out, and shows its effects.
    void runCommand(CommandId id);
    // The station's status as the windows see it.
    StationStatus status() const;

    // The windows and panes, for tests and screenshots.
    display::CSpectrumView* spectrumView() { return spectrum_; }
    CRxView* receiveView() { return rx_; }
    CKbdBufferView* transmitView() { return tx_; }
    display::CRxListView* multichannelView() { return list_; }
    display::CTuningIndicator* tuningIndicator();
    StatusPane* pane(int index) { return statusBar_->pane(index); }
    QAction* action(CommandId id) const;
    CommandBinder& commands() { return *binder_; }
    CSquelchWindow* squelchWindow() const;

    // Recomputes pane texts and the enabled/checked state of every command.
    void updateStatus();
    void updateCommands();

    // Status bar pane indices.
    using Pane = FrameStatusBar::Pane;
    static constexpr int kPaneTx = FrameStatusBar::kPaneTx;
    static constexpr int kPaneRx = FrameStatusBar::kPaneRx;
    static constexpr int kPaneImd = FrameStatusBar::kPaneImd;
    static constexpr int kPaneSq = FrameStatusBar::kPaneSq;
    static constexpr int kPaneAfc = FrameStatusBar::kPaneAfc;
    static constexpr int kPaneSnap = FrameStatusBar::kPaneSnap;
    static constexpr int kPaneMode = FrameStatusBar::kPaneMode;
    static constexpr int kPaneDate = FrameStatusBar::kPaneDate;
    static constexpr int kPaneTime = FrameStatusBar::kPaneTime;
    static constexpr int kPaneCount = FrameStatusBar::kPaneCount;

    // StationHost: the window commands and the view events.
    void runWindowCommand(CommandId id) override;
    bool receiveWindowHasFocus() const override;
    void focusTransmitWindow() override;
    void spectrumRowReady() override;
    void statusChanged() override;
    void frequencyChanged() override;
    void receivedTextShown(std::string_view text) override;
    void receiveWindowCleared() override;
    void transmitWindowCleared() override;
    void transmitWindowChanged() override;
    void multichannelChanged() override;
    void stateChanged(OperatingState state) override;
    modem::CharacterSet characterSet() const override { return station_->characterSet(); }
    void closeThresholdWindow() override;
    // Logbook: the log bar shows the QSO in progress again.
    void qsoChanged() override;
    FrameLog* logFrame() { return logFrame_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showPhase(int16_t channel, int32_t phase, int32_t level) override;

    void buildViews();
    void connectViews();
    void buildCommands();
    void afterCommand();
    void layoutColumns();
    void onSoundWake();
    void onTimer();
    bool routeKey(QKeyEvent* key);

    audio::SoundCard& card_;
    StationClock& clock_;
    std::unique_ptr<Station> station_;
    modem::CharacterSet shownCharacterSet_ = modem::CharacterSet::Utf8;
    Settings& settings_;

    ReceiveText shownText_;  // what the receive window shows, kept by the window's own rules

    display::CSpectrumView* spectrum_ = nullptr;
    CRxView* rx_ = nullptr;
    CKbdBufferView* tx_ = nullptr;
    display::CRxListView* list_ = nullptr;
    QWidget* listArea_ = nullptr;  // the scroll area around the multichannel window
    FrameSpectrum* spectrumArea_ = nullptr;
    FrameLayout* layout_ = nullptr;
    FrameStatusBar* statusBar_ = nullptr;
    CommandBinder* binder_ = nullptr;
    WindowCommands* windowCommands_ = nullptr;
    FrameAppearance* appearance_ = nullptr;
    FrameLog* logFrame_ = nullptr;  // the log bar, its keys and the log window

    QTimer timer_;
    QTimer soundPoll_;
    std::unique_ptr<QSocketNotifier> soundNotifier_;
    modem::Mode lastMode_ = modem::Mode::Bpsk31;
    int modifierMask_ = 0;
    bool started_ = false;
    bool inputEndShown_ = false;
};

}  // namespace tarnvel::app
