#pragma once
// The main window: it owns one Station and shows it. The waterfall at the bottom, the
// transmit window above it, the receive and multichannel windows side by side on top; a
// status bar with the operating indicators; the menus and keys of the frame. As the station's
// host it puts up message boxes and dialogs and repaints the views when told.
//
// Sound events reach the station through a socket notifier on the sound card's wake
// descriptor; a 300 ms timer runs the station's housekeeping ticks.

#include <QMainWindow>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <array>
#include <memory>
#include <vector>

#include "app/Station.h"
#include "app/ui/CSquelchWindow.h"
#include "app/ui/StatusPane.h"
#include "display/BandPages.h"
#include "display/HighlightWords.h"
#include "display/PhaseScope.h"
#include "display/SpectrumMarkers.h"
#include "display/WaterfallModel.h"
#include "modem/SymbolDecoder.h"

class QSplitter;
class QAction;
class QActionGroup;
class QMenu;

namespace tarnvel::display {
class CSpectrumView;
class CRxListView;
struct TuningAction;
}  // namespace tarnvel::display

namespace tarnvel::app {

class CRxView;
class CKbdBufferView;

class CMainFrame : public QMainWindow, public StationHost, private modem::PhaseScopeSink {
    Q_OBJECT
  public:
    static constexpr int kTimerMs = 300;
    static constexpr int kMinSpectrumHeight = 25;

    CMainFrame(SettingsStore& store, audio::SoundCard& card, StationClock& clock,
               StationOptions options = {}, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Shows the window as it was left: minimised, maximised or at its place; a first start
    // (nothing stored) opens at three quarters of the screen.
    void showAtStart();
    // Opens the sound card and starts the timer (the station's start-up).
    bool start();
    Station& station() { return *station_; }

    // The windows and panes, for tests and screenshots.
    display::CSpectrumView* spectrumView() { return spectrum_; }
    CRxView* receiveView() { return rx_; }
    CKbdBufferView* transmitView() { return tx_; }
    display::CRxListView* multichannelView() { return list_; }
    StatusPane* pane(int index) { return panes_[static_cast<size_t>(index)]; }
    QAction* action(const QString& text) const;
    CSquelchWindow* squelchWindow() { return squelch_; }

    // Recomputes pane texts and the enabled/checked state of every command.
    void updateStatus();
    void updateCommands();

    // Status bar pane indices.
    enum Pane {
        kPaneTx = 0,
        kPaneRx,
        kPaneImd,
        kPaneSq,
        kPaneAfc,
        kPaneSnap,
        kPaneMode,
        kPaneDate,
        kPaneTime,
        kPaneCount
    };

    // The commands the panes, menus and keys share.
    void toggleSquelchWindow();
    void stepMode();
    void chooseMode(Mode mode);
    void toggleMultichannelWindow();

    // StationHost.
    void showMessage(std::string_view text, std::string_view caption, MessageKind kind) override;
    std::optional<std::string> prompt(std::string_view text, std::string_view initial) override;
    void openStationDialog() override;
    bool receiveWindowHasFocus() const override;
    void focusTransmitWindow() override;
    void spectrumRowReady() override;
    void statusChanged() override;
    void frequencyChanged() override;
    void receivedTextShown(std::string_view text) override;
    void receiveWindowCleared() override;
    void transmitWindowCleared() override;
    void stateChanged(OperatingState state) override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showPhase(int16_t channel, int32_t phase, int32_t level) override;

    void buildViews();
    void buildStatusBar();
    void buildMenus();
    void loadDisplayData();
    void saveDisplayData();
    void restorePlacement();
    void savePlacement();
    void placeFirstStart();
    void layoutRows();
    void growRows(int oldHeight, int newHeight);
    void layoutColumns();
    void refreshSpectrumInputs();
    void applyTuning(const display::TuningAction& action);
    void onSoundWake();
    void onTimer();
    bool routeKey(QKeyEvent* key);
    void paneMenu(const QPoint& at);
    void toggleSetting(PersistentInt& setting);
    void toggleFourband(int value);
    void saveLastSeconds();
    void askNumber(const QString& title, const QString& prompt, PersistentInt& setting,
                   const std::function<void()>& after = {});
    void openReceiveLog();
    int modifierMask() const { return modifierMask_; }

    SettingsStore& store_;
    audio::SoundCard& card_;
    StationClock& clock_;
    std::unique_ptr<Station> station_;
    Settings& settings_;

    display::WaterfallModel waterfall_;
    display::PhaseScope phaseScope_;
    display::BandPages bandPages_;
    display::SpectrumMarkers markers_;
    display::HighlightWords highlights_;
    display::PaletteAnchors anchors_;
    ReceiveText shownText_;  // what the receive window shows, kept by the window's own rules

    display::CSpectrumView* spectrum_ = nullptr;
    CRxView* rx_ = nullptr;
    CKbdBufferView* tx_ = nullptr;
    display::CRxListView* list_ = nullptr;
    QWidget* listArea_ = nullptr;  // the scroll area around the multichannel window
    QSplitter* outer_ = nullptr;
    QSplitter* middle_ = nullptr;
    QSplitter* inner_ = nullptr;
    std::array<StatusPane*, kPaneCount> panes_{};
    std::vector<QAction*> actions_;
    QPointer<CSquelchWindow> squelch_;

    QTimer timer_;
    QTimer soundPoll_;
    std::unique_ptr<QSocketNotifier> soundNotifier_;
    OperatingState lastState_ = OperatingState::Stopped;
    int modifierMask_ = 0;
    bool firstResize_ = true;
    bool started_ = false;
    bool inputEndShown_ = false;
};

}  // namespace tarnvel::app
