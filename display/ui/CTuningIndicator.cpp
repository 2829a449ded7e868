#include "display/ui/CTuningIndicator.h"

#include <QPainter>
#include <algorithm>

namespace tarnvel::display {

namespace {

constexpr int kMargin = 3;
constexpr int kGap = 8;
constexpr int kMeterHeight = 12;
constexpr int kLabelHeight = 12;
constexpr int kTickStepDb = 10;
constexpr int kMinimumCircle = 25;
constexpr int kMeterWidth = 180;
const QColor kMeterFill(0, 200, 0);
const QColor kNoiseMark(200, 0, 0);

QColor toQColor(uint32_t c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

}  // namespace

CTuningIndicator::CTuningIndicator(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void CTuningIndicator::setPhaseScope(PhaseScope* scope) {
    scope_ = scope;
    update();
}

void CTuningIndicator::setMode(modem::Mode mode) {
    mode_ = mode;
    update();
}

void CTuningIndicator::setLevels(int signalToNoiseDb, int noiseFigure) {
    signalToNoise_ = signalToNoiseDb;
    noiseFigure_ = noiseFigure;
    update();
}

QSize CTuningIndicator::sizeHint() const {
    const int h = 2 * kMargin + kMeterHeight + 2 * kLabelHeight + 2 * kGap;
    return {h + kGap + kMeterWidth + 4 * kMargin, h};
}

QSize CTuningIndicator::minimumSizeHint() const {
    return {kMinimumCircle + kGap + kMeterWidth / 2, kMinimumCircle + 2 * kMargin};
}

// A square at the left, odd-sided so that the centre falls on a pixel.
QRect CTuningIndicator::circleRect() const {
    int side = std::max(height() - 2 * kMargin, 1);
    if (side % 2 == 0) --side;
    return {kMargin, (height() - side) / 2, side, side};
}

// The bar between the label above and the tick labels below, right of the circle.
QRect CTuningIndicator::meterRect() const {
    const int left = circleRect().right() + 1 + kGap;
    const int right =
        width() - 1 - 2 * kMargin - fontMetrics().horizontalAdvance(QStringLiteral("60")) / 2;
    const int top = (height() - kMeterHeight) / 2;
    return {left, top, std::max(right - left, 1), kMeterHeight};
}

int CTuningIndicator::meterX(int db) const {
    const QRect m = meterRect();
    const int clamped = std::clamp(db, 0, kMeterTopDb);
    return m.left() + (m.width() - 1) * clamped / kMeterTopDb;
}

void CTuningIndicator::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    drawCircle(p);
    drawMeter(p);
}

void CTuningIndicator::drawCircle(QPainter& p) {
    const QRect r = circleRect();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(r);
    if (!scope_) return;
    scope_->layout(r.height(), r.height());
    const QPoint centre = r.center();
    for (const PhasePoint& pt : scope_->points()) {
        p.setPen(QPen(toQColor(PhaseScope::lineColour(mode_, pt)), 1));
        p.drawLine(centre, centre + QPoint(pt.x, pt.y));
    }
}

void CTuningIndicator::drawMeter(QPainter& p) {
    const QRect m = meterRect();
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(QRect(m.left(), m.top() - kLabelHeight - 1, m.width(), kLabelHeight),
               Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("S/N, dB"));
    p.fillRect(m, Qt::black);
    if (signalToNoise_ > 0)
        p.fillRect(QRect(QPoint(m.left(), m.top()), QPoint(meterX(signalToNoise_), m.bottom())),
                   kMeterFill);
    if (noiseFigure_ > 0 && noiseFigure_ <= kMeterTopDb) {
        p.setPen(kNoiseMark);
        const int x = meterX(noiseFigure_);
        p.drawLine(x, m.top(), x, m.bottom());
    }
    p.setPen(palette().color(QPalette::WindowText));
    for (int db = 0; db <= kMeterTopDb; db += kTickStepDb) {
        const int x = meterX(db);
        p.drawLine(x, m.bottom() + 1, x, m.bottom() + 3);
        p.drawText(QRect(x - 15, m.bottom() + 3, 30, kLabelHeight), Qt::AlignCenter,
                   QString::number(db));
    }
}

}  // namespace tarnvel::display
