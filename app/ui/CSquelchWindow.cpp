#include "app/ui/CSquelchWindow.h"

#include "display/ui/DialogButtons.h"

#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QSlider>
#include <algorithm>

namespace tarnvel::app {

CSquelchWindow::CSquelchWindow(SettingsStore& store, PersistentInt& threshold,
                               std::function<int()> quality, QWidget* parent)
    : CSquelchWindow(store,
                     Threshold{[&threshold] { return threshold.value(); },
                               [&threshold](int v) { threshold = v; }},
                     std::move(quality), parent) {}

CSquelchWindow::CSquelchWindow(SettingsStore& store, Threshold threshold,
                               std::function<int()> quality, QWidget* parent)
    : PositionedDialog(store, QStringLiteral("Squelch Box"), parent),
      threshold_(std::move(threshold)),
      quality_(std::move(quality)),
      slider_(new QSlider(Qt::Vertical, this)),
      bar_(new QProgressBar(this)) {
    setWindowTitle(QStringLiteral("Szum"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    bar_->setOrientation(Qt::Vertical);
    bar_->setRange(0, kMaxQuality);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    slider_->setRange(0, kMaxQuality);
    slider_->setInvertedAppearance(true);  // 0 at the top
    slider_->setInvertedControls(true);
    slider_->setTickPosition(QSlider::TicksBothSides);
    slider_->setTickInterval(kTickEvery);
    slider_->setPageStep(kTickEvery);
    slider_->setValue(std::clamp(threshold_.get(), 0, kMaxQuality));
    slider_->setToolTip(QStringLiteral("Próg szumów"));
    bar_->setToolTip(QStringLiteral("Jakość sygnału"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Jakość"), this), 0, 0, Qt::AlignHCenter);
    layout->addWidget(new QLabel(QStringLiteral("Próg"), this), 0, 1, Qt::AlignHCenter);
    layout->addWidget(bar_, 1, 0, Qt::AlignHCenter);
    layout->addWidget(slider_, 1, 1, Qt::AlignHCenter);
    layout->setRowStretch(1, 1);
    setMinimumWidth(kMinWidth);
    resize(kMinWidth, kHeight);
    // The squelch rule reads the new threshold on the station's next tick.
    connect(slider_, &QSlider::valueChanged, this, [this](int v) { threshold_.set(v); });
    connect(&timer_, &QTimer::timeout, this, &CSquelchWindow::refresh);
    timer_.start(kRefreshMs);
    display::fitTitle(this);
}

QPoint CSquelchWindow::firstPosition() const {
    const QWidget* owner = parentWidget();
    if (owner == nullptr) return PositionedDialog::firstPosition();
    constexpr int kInset = 40;
    const QRect frame = owner->window()->frameGeometry();
    return QPoint(std::max(frame.left(), frame.right() - width() - kInset), frame.top() + kInset);
}

void CSquelchWindow::setQualitySource(std::function<int()> quality) {
    quality_ = std::move(quality);
    refresh();
}

void CSquelchWindow::reload() {
    slider_->setValue(std::clamp(threshold_.get(), 0, kMaxQuality));
    refresh();
}

void CSquelchWindow::refresh() {
    if (quality_) bar_->setValue(std::clamp(quality_(), 0, kMaxQuality));
}

void CSquelchWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        close();
        return;
    }
    PositionedDialog::mouseReleaseEvent(event);
}

}  // namespace tarnvel::app
