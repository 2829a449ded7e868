#pragma once
// The waterfall side of the main window: the spectrum view with its waterfall and phase scope,
// the tuning-indicator bar shown instead of the scope when "OldPhaseScope" is on, the inputs
// the view draws with taken from the station, and the clicks on it tuning the station.

#include <QObject>

#include "app/StationStatus.h"
#include "display/PhaseScope.h"
#include "display/WaterfallModel.h"

class QDockWidget;
class QMainWindow;
class QSplitter;

namespace tarnvel::display {
class CSpectrumView;
class CTuningIndicator;
struct TuningAction;
}  // namespace tarnvel::display

namespace tarnvel::app {

class Station;
class SettingsStore;

class FrameSpectrum : public QObject {
    Q_OBJECT
  public:
    FrameSpectrum(Station& station, SettingsStore& store, QMainWindow& frame);

    // The view in the frame's bottom row and the tuning bar docked at the top, hidden.
    display::CSpectrumView* build(QSplitter* row);
    display::CSpectrumView* view() const { return view_; }
    display::CTuningIndicator* tuningIndicator() const { return tuning_; }
    QDockWidget* tuningDock() const { return dock_; }

    // Zoom, narrow spectrum and the tuning bar from the options; the bar's mode colours.
    void applyOptions(const StationStatus& status);
    // The palette changed.
    void applyPalette();
    // The tuning bar's S/N meter from the last measurement.
    void showLevels();
    // The station's events.
    void rowReady();
    void stateChanged(OperatingState state);
    void showPhase(int16_t channel, int32_t phase, int32_t level);

  Q_SIGNALS:
    // A click opened or cleared a multichannel channel.
    void channelsChanged();
    // A click tuned the station.
    void tuned();

  private:
    void refreshInputs();
    void applyTuning(const display::TuningAction& action);

    Station& station_;
    SettingsStore& store_;
    QMainWindow& frame_;
    display::WaterfallModel waterfall_;
    display::PhaseScope phaseScope_;
    display::PhaseScope indicatorScope_;  // the tuning bar's own points and radius
    display::CSpectrumView* view_ = nullptr;
    display::CTuningIndicator* tuning_ = nullptr;
    QDockWidget* dock_ = nullptr;
    OperatingState lastState_ = OperatingState::Stopped;
};

}  // namespace tarnvel::app
