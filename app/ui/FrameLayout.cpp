#include "app/ui/FrameLayout.h"

#include <QResizeEvent>
#include <QSplitter>
#include <algorithm>

#include "app/Settings.h"

namespace tarnvel::app {

namespace {
constexpr int kColumnMargin = 15;
constexpr int kMinListWidth = 5;
constexpr int kMiddleRowSlack = 18;
constexpr int kRowSlack = 7;
}  // namespace

FrameLayout::FrameLayout(Settings& settings, QObject* parent)
    : QObject(parent), settings_(settings) {}

QSplitter* FrameLayout::build(QWidget* owner) {
    outer_ = new QSplitter(Qt::Vertical, owner);
    middle_ = new QSplitter(Qt::Vertical, outer_);
    inner_ = new QSplitter(Qt::Horizontal, middle_);
    return outer_;
}

void FrameLayout::attach(const Views& views) {
    views_ = views;
    for (QSplitter* s : {outer_, middle_, inner_}) {
        s->setChildrenCollapsible(false);
        s->setHandleWidth(kSplitterHandleWidth);
    }
    // The handles are drawn, so the operator sees where to drag.
    outer_->setStyleSheet(QStringLiteral("QSplitter::handle { background: palette(mid); }"));
    middle_->setStretchFactor(0, 1);
    middle_->setStretchFactor(1, 0);
    inner_->setCollapsible(1, true);
    const auto remember = [this] {
        if (!outer_->window()->isMinimized() && !outer_->window()->isMaximized())
            rememberRows();
    };
    connect(outer_, &QSplitter::splitterMoved, this, remember);
    connect(middle_, &QSplitter::splitterMoved, this, remember);
    connect(inner_, &QSplitter::splitterMoved, this, [this] {
        if (settings_.misc.multichannelWindow != 0)
            settings_.misc.multichannelWidth = views_.receive->width();
    });
}

// Rows: the waterfall keeps "SpectrumHeight" (at least 25), the transmit window
// "TxPaneHeight", the receive windows the rest.
void FrameLayout::layoutRows() {
    const int total = outer_->height();
    const int spectrum = std::max<int>(kMinSpectrumHeight, settings_.window.spectrumHeight);
    const int tx = settings_.window.txPaneHeight;
    const int rx = std::max(0, total - tx - spectrum - kMiddleRowSlack);
    outer_->setSizes({rx + tx + kRowSlack, spectrum});
    middle_->setSizes({rx, tx});
}

void FrameLayout::layoutColumns(bool multichannelShown) {
    const int width = inner_->width();
    int column = settings_.misc.multichannelWidth;
    if (column < kColumnMargin || column > width - kColumnMargin) column = width / 2;
    if (multichannelShown) {
        views_.multichannel->show();
        // The handle takes its own width: sizes that add up to more are scaled down, and the
        // column would shrink a little at every start.
        inner_->setSizes(
            {column, std::max(kMinListWidth, width - column - inner_->handleWidth())});
    } else {
        const int current = views_.receive->width();
        if (views_.multichannel->isVisible() && current >= kColumnMargin &&
            current <= width - kColumnMargin)
            settings_.misc.multichannelWidth = current;
        views_.multichannel->hide();
        inner_->setSizes({width, 0});
    }
}

void FrameLayout::frameResized(const QResizeEvent& event, bool multichannelShown) {
    if (firstResize_) {
        firstResize_ = false;
        layoutRows();
        layoutColumns(multichannelShown);
        return;
    }
    growRows(event.oldSize().height(), event.size().height());
}

// A larger window gives the waterfall its share of the new height, not only the receive
// windows; the transmit window keeps its height.
void FrameLayout::growRows(int oldHeight, int newHeight) {
    const QList<int> rows = outer_->sizes();
    const int before = rows.value(0) + rows.value(1);
    if (oldHeight <= 0 || before <= 0 || rows.size() < 2) {
        layoutRows();
        return;
    }
    const int total = std::max(0, before + newHeight - oldHeight);
    const int spectrum = std::clamp<int>(
        static_cast<int>(static_cast<long long>(rows[1]) * total / before), kMinSpectrumHeight,
        std::max(kMinSpectrumHeight, total - settings_.window.txPaneHeight - kMiddleRowSlack));
    outer_->setSizes({total - spectrum, spectrum});
}

void FrameLayout::rememberRows() {
    settings_.window.spectrumHeight = views_.spectrum->height();
    settings_.window.txPaneHeight = views_.transmit->height();
    settings_.window.rxPaneHeight = views_.receive->height();
}

void FrameLayout::rememberAtClose(bool normalWindow, bool multichannelShown) {
    if (normalWindow) settings_.window.spectrumHeight = views_.spectrum->height();
    if (multichannelShown && views_.multichannel->isVisible())
        settings_.misc.multichannelWidth = views_.receive->width();
}

}  // namespace tarnvel::app
