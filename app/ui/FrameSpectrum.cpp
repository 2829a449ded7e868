#include "app/ui/FrameSpectrum.h"

#include <QDockWidget>
#include <QMainWindow>
#include <QSplitter>

#include "app/Station.h"
#include "app/StationRadio.h"
#include "display/DisplaySettings.h"
#include "display/ui/CSpectrumView.h"
#include "display/ui/CTuningIndicator.h"

namespace tarnvel::app {

FrameSpectrum::FrameSpectrum(Station& station, SettingsStore& store, QMainWindow& frame)
    : QObject(&frame), station_(station), store_(store), frame_(frame) {}

display::CSpectrumView* FrameSpectrum::build(QSplitter* row) {
    view_ = new display::CSpectrumView(row);
    view_->setEngines(display::SpectrumViewEngines{&waterfall_, nullptr, nullptr, &phaseScope_,
                                                   &station_.spectrumHistory()});
    applyPalette();
    connect(view_, &display::CSpectrumView::tuningAction, this, &FrameSpectrum::applyTuning);
    // Before the first zoom: the multichannel search must learn the first width too.
    connect(view_, &display::CSpectrumView::visibleBinsChanged, this,
            [this](int bins) { station_.multichannel().setViewWidth(bins); });
    connect(view_, &display::CSpectrumView::painting, this, &FrameSpectrum::refreshInputs);

    tuning_ = new display::CTuningIndicator;
    tuning_->setPhaseScope(&indicatorScope_);
    dock_ = new QDockWidget(QStringLiteral("Wskaźnik strojenia"), &frame_);
    dock_->setObjectName(QStringLiteral("TuningIndicator"));
    dock_->setWidget(tuning_);
    dock_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    frame_.addDockWidget(Qt::TopDockWidgetArea, dock_);
    dock_->hide();
    return view_;
}

void FrameSpectrum::applyOptions(const StationStatus& s) {
    view_->setNarrowSpectrum(s.narrowSpectrum);
    const auto zoom = s.waterfallFit ? display::WaterfallZoom::FitToWidth
                                     : display::WaterfallZoom::OnePixelPerBin;
    if (view_->zoom() != zoom) view_->setZoom(zoom);
    // "OldPhaseScope": the phase circle and S/N meter in a bar of their own.
    if (dock_->isVisibleTo(&frame_) != s.oldPhaseScope) dock_->setVisible(s.oldPhaseScope);
    tuning_->setMode(s.mode);
    view_->update();
}

void FrameSpectrum::applyPalette() {
    view_->setDisplayPalette(display::buildDisplayPalette(station_.displayData().paletteAnchors()));
}

void FrameSpectrum::showLevels() {
    if (!dock_->isVisible()) return;
    const modem::ImdMeter& imd = station_.imdMeter();
    tuning_->setLevels(imd.indicatorSignalToNoise(), imd.indicatorNoise() + 40);
}

// A new row is in the station's spectrum history: the analyser's row goes into the waterfall.
void FrameSpectrum::rowReady() {
    if (waterfall_.rows() > 0)
        waterfall_.addSpectrumRow(station_.lastSpectrumRow(),
                                  display::WaterfallSettings{station_.settings().view.freqMode,
                                                             station_.receiveChain().sampleRate(),
                                                             station_.displayData().markers().frequencies()});
    view_->update();
}

void FrameSpectrum::stateChanged(OperatingState state) {
    // The end of a transmission is marked in the waterfall.
    if (lastState_ == OperatingState::Transmitting && state != OperatingState::Transmitting)
        waterfall_.requestSeparator();
    lastState_ = state;
    view_->update();
}

void FrameSpectrum::showPhase(int16_t channel, int32_t phase, int32_t level) {
    phaseScope_.showPhase(channel, phase, level);
    if (dock_ && dock_->isVisible()) {
        indicatorScope_.showPhase(channel, phase, level);
        tuning_->refresh();
    }
}

void FrameSpectrum::refreshInputs() {
    Settings& s = station_.settings();
    display::SpectrumViewInputs& in = view_->inputs();
    in.receiveFrequency = station_.receiveFrequency();
    in.transmitFrequency = station_.transmitFrequency();
    in.transmitLocked = station_.transmitLocked();
    in.state = static_cast<int>(station_.state());
    in.mode = station_.mode();
    in.imdMeasuring = station_.imdMeter().measuring();
    in.sampleRate = station_.receiveChain().sampleRate();
    display::DisplaySettings& d = in.display;
    d.freqMode = s.view.freqMode;
    d.snap = s.sound.snap != 0;
    d.showBookMarks = s.misc.showBookMarks != 0;
    d.multichannelWindow = s.misc.multichannelWindow != 0;
    d.phaseScope = s.misc.phaseScope != 0;
    d.oldPhaseScope = s.misc.oldPhaseScope != 0;
    d.phaseScopeSize = s.misc.phaseScopeSize;
    d.fftWindow = s.misc.fftWindow;
    in.dialKHz = station_.radio().dialFrequencyKHz(d.freqMode);
    in.markers = station_.displayData().markers().frequencies();
    station_.multichannel().channelTags(in.tags);
    in.scaleColours.background = display::rgb(store_.getInt(section::kPalette, "bk_red", 0),
                                              store_.getInt(section::kPalette, "bk_green", 0),
                                              store_.getInt(section::kPalette, "bk_blue", 0));
    in.scaleColours.text = display::rgb(store_.getInt(section::kPalette, "t_red", 255),
                                        store_.getInt(section::kPalette, "t_green", 255),
                                        store_.getInt(section::kPalette, "t_blue", 255));
}

void FrameSpectrum::applyTuning(const display::TuningAction& a) {
    if (a.toggleTransmitLock) station_.setTransmitLocked(!station_.transmitLocked());
    if (a.setFrequency) {
        const double before = station_.receiveFrequency();
        station_.setFrequency(a.setFrequency->frequency, a.setFrequency->flags,
                              a.setFrequency->shift);
        // Shift while tuning decodes the stored sound history again at the new frequency; a
        // click onto a signal that began earlier decodes it from the signal's start.
        if (a.setFrequency->shift)
            station_.startReplay();
        else if (a.setFrequency->released)
            station_.replayFromSignalStart(before);
    }
    if (a.clearChannel) station_.clearChannel(*a.clearChannel);
    if (a.openChannel) station_.openChannel(*a.openChannel);
    if (a.clearChannel || a.openChannel) Q_EMIT channelsChanged();
    view_->update();
    Q_EMIT tuned();
}

}  // namespace tarnvel::app
