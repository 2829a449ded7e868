#include "display/ui/CSpectrumView.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QStaticText>
#include <algorithm>

namespace tarnvel::display {

namespace {

// The spectrum trace uses the lowest third of the waterfall; an analyser output of this much
// (about 88 dB above the floor) reaches its top.
constexpr double kTraceFullScale = 4.4;
constexpr int kTraceShare = 3;
constexpr int kScaleFontPixels = 10;
const QColor kTraceColour(255, 230, 0, 200);

QColor toQColor(Colour c) {
    return QColor(redOf(c), greenOf(c), blueOf(c));
}

template <typename Points>
QPolygon toPolygon(const Points& points) {
    QPolygon polygon;
    for (const auto& pt : points) polygon << QPoint(pt.x, pt.y);
    return polygon;
}

Modifiers modifiersOf(Qt::KeyboardModifiers m) {
    return Modifiers{(m & Qt::ShiftModifier) != 0, (m & Qt::ControlModifier) != 0};
}

}  // namespace

CSpectrumView::CSpectrumView(QWidget* parent) : QWidget(parent) {
    // The whole view is repainted every time; nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(false);
    setMinimumHeight(kScaleStripHeight + 5);
    setDisplayPalette(buildDisplayPalette(defaultPaletteAnchors()));
    txIcon_ = QImage(QStringLiteral(":/icons/tx.png"));
    txLockIcon_ = QImage(QStringLiteral(":/icons/txlock.png"));
    imdIcon_ = QImage(QStringLiteral(":/icons/imd.png"));
    const QPixmap shift(QStringLiteral(":/icons/shift.png"));
    shiftCursor_ = shift.isNull() ? QCursor(Qt::SizeHorCursor) : QCursor(shift, 15, 15);
    scaleFont_ = font();
    scaleFont_.setPixelSize(kScaleFontPixels);
    // The channel letters are laid out once, not on every paint.
    for (size_t i = 0; i < tagLetters_.size(); ++i) {
        tagLetters_[i].setText(QString(QChar('A' + static_cast<int>(i))));
        tagLetters_[i].setTextFormat(Qt::PlainText);
        tagLetters_[i].prepare(QTransform(), scaleFont_);
    }
}

void CSpectrumView::setEngines(const SpectrumViewEngines& engines) {
    engines_ = engines;
    imageRowIndex_ = -1;
    image_ = QImage();
    screenImage_ = QImage();
    update();
}

void CSpectrumView::setDisplayPalette(const DisplayPalette& palette) {
    colourTable_.clear();
    for (const Colour c : palette) colourTable_.append(qRgb(redOf(c), greenOf(c), blueOf(c)));
    colourTable_.append(qRgb(0, 0, 0));  // kPaletteBlack: surface fill, separator gaps
    colourLookup_.fill(qRgb(0, 0, 0));
    for (int i = 0; i < colourTable_.size() && i < 256; ++i)
        colourLookup_[static_cast<size_t>(i)] = colourTable_[i];
    if (!image_.isNull()) image_.setColorTable(colourTable_);
    for (int r = 0; r < screenImage_.height() && r < image_.height(); ++r) convertRow(r);
    update();
}

void CSpectrumView::setModifiers(Modifiers modifiers) {
    if (TuningInput::alternativeCursor(modifiers))
        setCursor(shiftCursor_);
    else
        setCursor(Qt::ArrowCursor);
}

void CSpectrumView::setZoom(WaterfallZoom zoom) {
    zoom_ = zoom;
    announceVisibleBins();
    update();
}

void CSpectrumView::setNarrowSpectrum(bool narrow) {
    inputs_.display.narrowSpectrum = narrow;
    announceVisibleBins();
    update();
}

int CSpectrumView::visibleBins() const {
    return display::visibleBins(scale().pixelsPerBin(), width());
}

void CSpectrumView::announceVisibleBins() {
    const int bins = visibleBins();
    if (bins == announcedBins_) return;
    announcedBins_ = bins;
    Q_EMIT visibleBinsChanged(bins);
}

FrequencyScale CSpectrumView::scale() const {
    return FrequencyScale(inputs_.display.freqMode, width(), inputs_.sampleRate,
                          pixelsPerBin(zoom_, inputs_.display.narrowSpectrum, width()));
}

TuningContext CSpectrumView::tuningContext() const {
    TuningContext c;
    c.state = inputs_.state;
    c.mode = inputs_.mode;
    c.imdMeasuring = inputs_.imdMeasuring;
    c.transmitLocked = inputs_.transmitLocked;
    c.snapEnabled = inputs_.display.snap;
    c.sampleRate = inputs_.sampleRate;
    c.receiveFrequency = inputs_.receiveFrequency;
    c.tagsShown = inputs_.display.channelTagsShown(inputs_.mode);
    c.clientHeight = height();
    return c;
}

// Brings the image up to the model's ring at the view's scale: only the rows written since the
// last paint, or every row when the ring or the scale changed.
void CSpectrumView::syncImage() {
    const WaterfallModel& model = *engines_.waterfall;
    const int w = width();
    const int rows = model.rows();
    if (w <= 0 || rows <= 0) {
        image_ = QImage();
        screenImage_ = QImage();
        return;
    }
    const FrequencyScale s = scale();
    bool whole = imageRowIndex_ < 0 || image_.width() != w || image_.height() != rows;
    if (whole || s.pixelsPerBin() != columnsPixelsPerBin_ || s.mirrored() != columnsMirrored_) {
        columns_.build(s);
        columnsPixelsPerBin_ = s.pixelsPerBin();
        columnsMirrored_ = s.mirrored();
        whole = true;
    }
    if (image_.width() != w || image_.height() != rows) {
        image_ = QImage(w, rows, QImage::Format_Indexed8);
        image_.setColorTable(colourTable_);
        screenImage_ = QImage(w, rows, QImage::Format_RGB32);
    }
    renderRing(whole);
    imageRowIndex_ = model.rowIndex();
    imageRowsSeen_ = model.rowsAdded();
}

void CSpectrumView::renderRing(bool whole) {
    const WaterfallModel& model = *engines_.waterfall;
    const uint64_t fresh = model.rowsAdded() - imageRowsSeen_;
    const int lines =
        whole ? model.rows() : static_cast<int>(std::min<uint64_t>(fresh, model.rows()));
    for (int line = 0; line < lines; ++line) {
        const int r = model.ringRowForLine(line);
        columns_.render(model.row(r), image_.scanLine(r));
        convertRow(r);
    }
}

void CSpectrumView::convertRow(int ringRow) {
    const uchar* from = image_.constScanLine(ringRow);
    auto* to = reinterpret_cast<QRgb*>(screenImage_.scanLine(ringRow));
    for (int x = 0; x < image_.width(); ++x) to[x] = colourLookup_[from[x]];
}

void CSpectrumView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    bool newRow = false;
    if (engines_.waterfall) {
        WaterfallModel& model = *engines_.waterfall;
        if (model.ensureRows(height())) imageRowIndex_ = -1;
        if (engines_.collector && engines_.analyser) {
            const WaterfallSettings settings{inputs_.display.freqMode, inputs_.sampleRate,
                                             inputs_.markers};
            newRow = model.takeNewRow(*engines_.collector, *engines_.analyser,
                                      inputs_.display.window(), settings);
        }
        // Rows may also be added by the owner as they arrive; a pending separator is drawn
        // here when nothing else takes it.
        if (!newRow && !engines_.collector && model.separatorPending() && model.rows() > 0) {
            model.addSeparatorRow(
                WaterfallSettings{inputs_.display.freqMode, inputs_.sampleRate, inputs_.markers});
            newRow = true;
        }
        syncImage();
    }
    Q_EMIT painting(newRow);

    // The scale strip and the waterfall rows cover the view's top; only the rest is filled.
    const int covered = kScaleStripHeight + (screenImage_.isNull() ? 0 : screenImage_.height());
    if (covered < height()) p.fillRect(0, covered, width(), height() - covered, Qt::black);
    drawWaterfall(p);
    drawTrace(p);
    drawChannelTags(p);
    drawReceiveCursor(p);
    drawScale(p);
    drawTransmitMarker(p);
    drawPhaseScope(p);
}

// The newest row at the top: ring rows [index, rows) first, then [0, index) below them. Two
// block copies; no row is ever moved inside the ring.
void CSpectrumView::drawWaterfall(QPainter& p) {
    if (screenImage_.isNull()) return;
    const int rows = screenImage_.height();
    const int index = std::clamp(imageRowIndex_, 0, rows);
    p.drawImage(QPoint(0, kScaleStripHeight), screenImage_,
                QRect(0, index, screenImage_.width(), rows - index));
    if (index > 0)
        p.drawImage(QPoint(0, kScaleStripHeight + rows - index), screenImage_,
                    QRect(0, 0, screenImage_.width(), index));
}

void CSpectrumView::drawTrace(QPainter& p) {
    if (!engines_.waterfall || engines_.waterfall->rows() <= 0) return;
    const SpectrumRow& row = engines_.waterfall->lastRow();
    const FrequencyScale s = scale();
    const double span = static_cast<double>(engines_.waterfall->rows()) / kTraceShare;
    const int base = height() - 1;
    QPolygon trace;
    trace.reserve(kSpectrumBins);
    for (int k = 1; k < kSpectrumBins; ++k) {
        const int x = s.binToX(k);
        if (x < 0 || x >= width()) continue;
        const double v =
            std::clamp(static_cast<double>(row[static_cast<size_t>(k)]), 0.0, kTraceFullScale);
        trace << QPoint(x, base - static_cast<int>(v / kTraceFullScale * span));
    }
    p.setPen(kTraceColour);
    p.drawPolyline(trace);
}

void CSpectrumView::drawChannelTags(QPainter& p) {
    if (!inputs_.display.channelTagsShown(inputs_.mode)) return;
    const FrequencyScale s = scale();
    const int top = channelTagTop(height());
    p.setFont(scaleFont_);
    for (size_t i = 0; i < inputs_.tags.size() && i < tagLetters_.size(); ++i) {
        const ChannelTag& tag = inputs_.tags[i];
        if (!tag.inUse) continue;
        const int x = s.frequencyToX(tag.frequency);
        p.setPen(Qt::white);
        p.setBrush(toQColor(tag.active ? kCursorColour : kInactiveTagColour));
        p.drawPolygon(toPolygon(channelTagOutline(x, top)));
        const Point o = channelTagLetterOrigin(x, top);
        p.setPen(toQColor(inputs_.scaleColours.text));
        p.drawStaticText(QPoint(o.x, o.y), tagLetters_[i]);
    }
}

void CSpectrumView::drawReceiveCursor(QPainter& p) {
    if (inputs_.receiveFrequency <= 0.0) return;
    const int x = scale().frequencyToX(inputs_.receiveFrequency);
    p.setPen(Qt::white);
    p.setBrush(toQColor(kCursorColour));
    p.drawPolygon(toPolygon(receiveCursor(x)));
}

static bool sameTicks(const std::array<ScaleTick, kScaleTickCount>& a,
                      const std::array<ScaleTick, kScaleTickCount>& b) {
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(), [](const ScaleTick& s, const ScaleTick& t) {
            return s.x == t.x && s.top == t.top && s.labelled == t.labelled && s.label == t.label;
        });
}

void CSpectrumView::drawScale(QPainter& p) {
    std::array<ScaleTick, kScaleTickCount> ticks = scale().ticks(inputs_.dialKHz);
    const ScaleColours& c = inputs_.scaleColours;
    if (scaleStrip_.width() != width() || c.background != scaleStripColours_.background ||
        c.text != scaleStripColours_.text || !sameTicks(ticks, scaleStripTicks_)) {
        renderScaleStrip(ticks);
        scaleStripTicks_ = std::move(ticks);
        scaleStripColours_ = c;
    }
    p.drawPixmap(0, 0, scaleStrip_);
}

void CSpectrumView::renderScaleStrip(const std::array<ScaleTick, kScaleTickCount>& ticks) {
    const qreal ratio = devicePixelRatioF();
    scaleStrip_ = QPixmap(QSize(std::max(width(), 1), kScaleStripHeight) * ratio);
    scaleStrip_.setDevicePixelRatio(ratio);
    scaleStrip_.fill(toQColor(inputs_.scaleColours.background));
    QPainter p(&scaleStrip_);
    p.setPen(toQColor(inputs_.scaleColours.text));
    p.setFont(scaleFont_);
    for (const ScaleTick& tick : ticks) {
        p.drawLine(tick.x, tick.top, tick.x, kScaleTickBottom);
        if (tick.labelled)
            p.drawText(QRect(tick.x - 50, 0, 100, 10), Qt::AlignCenter | Qt::TextDontClip,
                       QString::fromStdString(tick.label));
    }
}

void CSpectrumView::drawTransmitMarker(QPainter& p) {
    const FrequencyScale s = scale();
    const Point tx = transmitIconOrigin(s.frequencyToX(inputs_.transmitFrequency));
    p.drawImage(QPoint(tx.x, tx.y), inputs_.transmitLocked ? txLockIcon_ : txIcon_);
    if (inputs_.imdMeasuring) {
        const Point imd = imdIconOrigin(s, inputs_.receiveFrequency);
        p.drawImage(QPoint(imd.x, imd.y), imdIcon_);
    }
}

void CSpectrumView::drawPhaseScope(QPainter& p) {
    if (!engines_.phaseScope || !inputs_.display.drawPhaseScope()) return;
    PhaseScope& scope = *engines_.phaseScope;
    const int side = scope.layout(height(), inputs_.display.phaseScopeSize);
    const PhaseScopeFrame frame = phaseScopeFrame(width(), height(), side);
    const Rect& sq = frame.square;
    p.fillRect(QRect(QPoint(sq.left, sq.top), QPoint(sq.right - 1, sq.bottom - 1)), Qt::black);
    for (const PhasePoint& pt : scope.points()) {
        p.setPen(QPen(toQColor(PhaseScope::lineColour(inputs_.mode, pt)), 1));
        p.drawLine(frame.centre.x, frame.centre.y, frame.centre.x + pt.x, frame.centre.y + pt.y);
    }
}

const SpectrumHistory& CSpectrumView::history() const {
    return engines_.history ? *engines_.history : engines_.waterfall->history();
}

void CSpectrumView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Q_EMIT heightChanged(height());
    announceVisibleBins();
}

void CSpectrumView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) rightClick(event->position().toPoint());
}

void CSpectrumView::rightClick(const QPoint& pos) {
    if (!engines_.waterfall) return;
    const TuningInput input(history(), scale());
    const TuningAction a = input.rightPressed(tuningContext(), inputs_.tags, pos.x(), pos.y());
    if (a.clearChannel || a.openChannel) Q_EMIT tuningAction(a);
}

void CSpectrumView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || !engines_.waterfall) return;
    const TuningInput input(history(), scale());
    const TuningAction a = input.leftDragged(tuningContext(), event->position().toPoint().x());
    Q_EMIT tuningAction(a);
    if (a.repaint) update();
}

void CSpectrumView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !engines_.waterfall) return;
    const TuningInput input(history(), scale());
    const TuningAction a = input.leftReleased(tuningContext(), event->position().toPoint().x(),
                                              modifiersOf(event->modifiers()));
    Q_EMIT tuningAction(a);
    if (a.repaint) update();
}

void CSpectrumView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        rightClick(event->position().toPoint());
        return;
    }
    if (event->button() == Qt::LeftButton) {
        const TuningAction a = TuningInput::leftDoubleClicked(tuningContext());
        if (a.toggleTransmitLock) Q_EMIT tuningAction(a);
    }
}

void CSpectrumView::contextMenuEvent(QContextMenuEvent* event) {
    if (!engines_.waterfall) return;
    const TuningInput input(history(), scale());
    const TuningAction a = input.contextMenu(tuningContext(), inputs_.tags, event->pos().x(),
                                             event->pos().y(), modifiersOf(event->modifiers()));
    if (a.remember) Q_EMIT tuningAction(a);
}

void CSpectrumView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Shift) setModifiers(Modifiers{true, false});
    const QString text = event->text();
    if (!text.isEmpty() && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        Q_EMIT textTyped(text);
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace tarnvel::display
