#pragma once
// The tuning display: the frequency scale along the top, the scrolling waterfall under it, a
// spectrum trace along the bottom, and the marks drawn over the waterfall (receive cursor,
// transmit marker, channel tags, phase scope). A click tunes.
//
// The horizontal zoom (one pixel per bin, or the span fitted to the width) and the narrow
// spectrum (half the span at twice the scale) act through the view's frequency scale, so
// drawing, clicks, snap, tags, markers and the cursor all follow them.
//
// The view only draws and forwards input. The waterfall rows, the history, the phase points and
// every tuning decision belong to the display engine; the owner supplies them and applies the
// TuningAction each mouse gesture produces.

#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <QStaticText>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

#include "display/DisplaySettings.h"
#include "display/PhaseScope.h"
#include "display/SpectrumAnalyser.h"
#include "display/SpectrumCollector.h"
#include "display/SpectrumViewLayout.h"
#include "display/TuningInput.h"
#include "display/WaterfallColumns.h"
#include "display/WaterfallModel.h"
#include "display/WaterfallZoom.h"

namespace tarnvel::display {

// What the owner tells the view before each paint.
struct SpectrumViewInputs {
    double receiveFrequency = 1000.0;
    double transmitFrequency = 1000.0;
    bool transmitLocked = false;
    int state = kStateReceiving;
    modem::Mode mode = modem::Mode::Bpsk31;
    bool imdMeasuring = false;
    double dialKHz = 0.0;
    double sampleRate = 11025.0;
    DisplaySettings display;
    std::array<float, kSpectrumMarkerCount> markers{};
    std::vector<ChannelTag> tags;
    ScaleColours scaleColours;
};

// The engine objects the view draws from; all outlive the view.
struct SpectrumViewEngines {
    WaterfallModel* waterfall = nullptr;
    SpectrumCollector* collector = nullptr;
    SpectrumAnalyser* analyser = nullptr;
    PhaseScope* phaseScope = nullptr;
    // The levels a click snaps to; the waterfall's own history when not given.
    const SpectrumHistory* history = nullptr;
};

class CSpectrumView : public QWidget {
    Q_OBJECT
  public:
    explicit CSpectrumView(QWidget* parent = nullptr);

    void setEngines(const SpectrumViewEngines& engines);
    void setInputs(const SpectrumViewInputs& inputs) { inputs_ = inputs; }
    SpectrumViewInputs& inputs() { return inputs_; }
    const SpectrumViewInputs& inputs() const { return inputs_; }
    // The display palette (205 entries) as the waterfall image's colour table.
    void setDisplayPalette(const DisplayPalette& palette);
    // The frame tells the view the modifier keys it saw; Shift shows the tuning cursor.
    void setModifiers(Modifiers modifiers);

    // Horizontal zoom ("View"/"WaterfallZoom"); the rows drawn so far are redrawn at the new
    // scale.
    void setZoom(WaterfallZoom zoom);
    WaterfallZoom zoom() const { return zoom_; }
    // "Misc"/"NarrowSpectrum": half the span (from 0 Hz) at twice the scale.
    void setNarrowSpectrum(bool narrow);
    bool narrowSpectrum() const { return inputs_.display.narrowSpectrum; }
    // How many bins (from bin 0) the view shows now; the signal search stays inside them.
    int visibleBins() const;

    // The composed waterfall part of the last paint (for tests and screenshots).
    const QImage& waterfallImage() const { return image_; }
    FrequencyScale scale() const;
    TuningContext tuningContext() const;

  Q_SIGNALS:
    // A mouse gesture decided by the tuning rules; the owner applies it.
    void tuningAction(const tarnvel::display::TuningAction& action);
    // Emitted during a paint after the waterfall step, before the marks are drawn: the owner
    // runs its per-paint work (signal search, IMD measurement) and refreshes the inputs.
    void painting(bool newRow);
    // Typed text goes to the transmit window.
    void textTyped(const QString& text);
    void heightChanged(int height);
    // The number of bins shown changed (resize, zoom, narrow spectrum).
    void visibleBinsChanged(int bins);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void syncImage();
    void renderRing(bool whole);
    void announceVisibleBins();
    void drawWaterfall(QPainter& p);
    void drawTrace(QPainter& p);
    void drawChannelTags(QPainter& p);
    void drawReceiveCursor(QPainter& p);
    void drawScale(QPainter& p);
    void renderScaleStrip(const std::array<ScaleTick, kScaleTickCount>& ticks);
    void convertRow(int ringRow);
    void drawTransmitMarker(QPainter& p);
    void drawPhaseScope(QPainter& p);
    void rightClick(const QPoint& pos);
    const SpectrumHistory& history() const;

    SpectrumViewEngines engines_;
    SpectrumViewInputs inputs_;
    QVector<QRgb> colourTable_;
    WaterfallZoom zoom_ = kDefaultWaterfallZoom;
    WaterfallColumns columns_;
    double columnsPixelsPerBin_ = 0.0;  // the scale columns_ was built for
    bool columnsMirrored_ = false;
    QImage image_;  // the model's ring at the view's scale, row for row
    // The same rows in the screen's format, converted as they are rendered: drawing them is a
    // plain copy, where the indexed image would be converted whole on every paint.
    QImage screenImage_;
    std::array<QRgb, 256> colourLookup_{};
    // The scale strip with its labels, drawn again only when its ticks or colours change.
    QPixmap scaleStrip_;
    std::array<ScaleTick, kScaleTickCount> scaleStripTicks_;
    ScaleColours scaleStripColours_;
    int imageRowIndex_ = -1;
    uint64_t imageRowsSeen_ = 0;
    int announcedBins_ = -1;
    QImage txIcon_, txLockIcon_, imdIcon_;
    QCursor shiftCursor_;
    QFont scaleFont_;
    std::array<QStaticText, 26> tagLetters_;
};

}  // namespace tarnvel::display
