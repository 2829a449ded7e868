#include "app/ui/StatusPane.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace tarnvel::app {

namespace {
constexpr int kIndicatorSide = 10;
constexpr int kPadding = 6;
}  // namespace

StatusPane::StatusPane(const QString& sample, QWidget* parent)
    : QFrame(parent), text_(sample), sample_(sample) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
}

// The status bar is laid out again only when a pane's width changes: the receive frequency
// changes its text with every AFC step, inside the width its sample reserves.
void StatusPane::setText(const QString& text) {
    if (text == text_) return;
    const QSize before = sizeHint();
    text_ = text;
    if (sizeHint() != before) updateGeometry();
    update();
}

void StatusPane::setSample(const QString& sample) {
    if (sample == sample_) return;
    sample_ = sample;
    updateGeometry();
}

void StatusPane::setPressed(bool pressed) {
    if (pressed == pressed_) return;
    pressed_ = pressed;
    setFrameShadow(pressed ? QFrame::Sunken : QFrame::Raised);
}

void StatusPane::setTextColour(const QColor& colour) {
    if (colour == textColour_) return;
    textColour_ = colour;
    update();
}

void StatusPane::setIndicator(Indicator indicator, const QColor& colour) {
    if (indicator == indicator_ && colour == indicatorColour_) return;
    indicator_ = indicator;
    indicatorColour_ = colour;
    updateGeometry();
    update();
}

void StatusPane::setTextShown(bool shown) {
    if (shown == textShown_) return;
    textShown_ = shown;
    update();
}

QSize StatusPane::sizeHint() const {
    const QFontMetrics fm = fontMetrics();
    int w = std::max(fm.horizontalAdvance(text_), fm.horizontalAdvance(sample_)) + 2 * kPadding;
    if (indicator_ != Indicator::None) w += kIndicatorSide + kPadding / 2;
    return QSize(w, fm.height() + 6);
}

void StatusPane::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    int x = kPadding;
    const int cy = height() / 2;
    if (indicator_ == Indicator::Arrow) {
        QPainterPath arrow;
        arrow.moveTo(x, cy - 4);
        arrow.lineTo(x + kIndicatorSide, cy);
        arrow.lineTo(x, cy + 4);
        arrow.closeSubpath();
        p.fillPath(arrow, indicatorColour_);
        x += kIndicatorSide + kPadding / 2;
    } else if (indicator_ == Indicator::Padlock) {
        p.setPen(QPen(indicatorColour_, 1.5));
        p.drawArc(QRectF(x + 2, cy - 6, 6, 7), 0, 180 * 16);
        p.fillRect(QRectF(x, cy - 2, kIndicatorSide, 7), indicatorColour_);
        x += kIndicatorSide + kPadding / 2;
    }
    if (!textShown_) return;
    p.setPen(textColour_);
    p.drawText(QRect(x, 0, width() - x, height()), Qt::AlignVCenter | Qt::AlignLeft, text_);
}

void StatusPane::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) Q_EMIT clicked();
    if (event->button() == Qt::RightButton) Q_EMIT rightClicked(event->globalPosition().toPoint());
}

}  // namespace tarnvel::app
