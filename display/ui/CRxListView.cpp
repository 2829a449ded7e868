#include "display/ui/CRxListView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "display/ui/StationText.h"

namespace tarnvel::display {

CRxListView::CRxListView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Until the owner hands over the stored colours, lines use the desktop's window colour.
    const QColor base = palette().color(QPalette::Base);
    const Colour window = rgb(base.red(), base.green(), base.blue());
    inputs_.colours.carrier = inputs_.colours.noCarrier = inputs_.colours.inactive = window;
    connect(&timer_, &QTimer::timeout, this, &CRxListView::onWindowTimer);
    timer_.start(kWindowTimerMs);
}

void CRxListView::setDecoder(MultichannelDecoder* decoder, const HighlightWords* highlights,
                             std::function<int64_t()> clock) {
    decoder_ = decoder;
    highlights_ = highlights;
    clock_ = std::move(clock);
    update();
}

// Kept until the font changes: measuring lays the text out.
int CRxListView::lineHeight() const {
    if (lineHeight_ <= 0)
        lineHeight_ = fontMetrics().boundingRect(QStringLiteral("XyZW")).height() + 1;
    return lineHeight_;
}

void CRxListView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) lineHeight_ = 0;
    QWidget::changeEvent(event);
}

int CRxListView::slotAt(int y) const {
    const int h = lineHeight();
    if (y < 1 || h <= 0) return -1;
    const int slot = (y - 1) / h;
    return slot < kChannelSlots ? slot : -1;
}

QSize CRxListView::sizeHint() const {
    return QSize(300, kChannelSlots * lineHeight() + 2);
}

void CRxListView::onWindowTimer() {
    if (decoder_ && clock_) decoder_->onWindowTimer(clock_());
    updateChangedLines();
}

QRect CRxListView::lineRect(int slot) const {
    const LineGeometry g = lineGeometry(slot, lineHeight(), width());
    return QRect(QPoint(0, g.top), QPoint(width() - 1, g.bottom));
}

bool CRxListView::sameLook(const RxListInputs& d) const {
    const LineColours& a = inputs_.colours;
    const LineColours& b = d.colours;
    return inputs_.state == d.state && inputs_.mode == d.mode &&
           inputs_.showBookMarks == d.showBookMarks && inputs_.scroll == d.scroll &&
           inputs_.characterSet == d.characterSet && a.font == b.font && a.carrier == b.carrier &&
           a.noCarrier == b.noCarrier && a.inactive == b.inactive;
}

bool CRxListView::lineChanged(int slot) const {
    const DrawnLine& d = drawn_[static_cast<size_t>(slot)];
    const MultichannelChannel& c = decoder_->channel(slot);
    return !d.drawn || d.inUse != c.inUse || d.carrier != c.displayedCarrier() ||
           d.text != c.text();
}

void CRxListView::updateChangedLines() {
    if (!decoder_ || drawnSize_ != size() || drawnLineHeight_ != lineHeight() ||
        !sameLook(drawnInputs_)) {
        update();
        return;
    }
    for (int slot = 0; slot < kChannelSlots; ++slot)
        if (lineChanged(slot)) update(lineRect(slot));
}

QColor CRxListView::backgroundOf(Colour c) const {
    return QColor(redOf(c), greenOf(c), blueOf(c));
}

// Only the lines in the region are fitted and drawn: fitting may empty a channel's text, which
// must happen when its tail is shown, not for a line left as it was.
void CRxListView::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    if (event->region().contains(rect())) {
        drawnInputs_ = inputs_;
        drawnSize_ = size();
        drawnLineHeight_ = lineHeight();
    }
    p.fillRect(rect(),
               QColor(redOf(kLineAreaColour), greenOf(kLineAreaColour), blueOf(kLineAreaColour)));
    if (!decoder_) return;
    const QFontMetrics fm = fontMetrics();
    const modem::CharacterSet set = inputs_.characterSet;
    const TextWidth measure = [&fm, set](std::string_view text) {
        return fm.horizontalAdvance(fromStationCodes(text, set));
    };
    const int h = lineHeight();
    const HighlightWords& highlights = highlights_ ? *highlights_ : noHighlights_;
    const Colour font = inputs_.colours.font;
    for (int slot = 0; slot < kChannelSlots; ++slot) {
        const LineGeometry g = lineGeometry(slot, h, width());
        if (!event->region().intersects(QRect(QPoint(0, g.top), QPoint(width() - 1, g.bottom))))
            continue;
        MultichannelChannel& channel = decoder_->channel(slot);
        drawn_[static_cast<size_t>(slot)] =
            DrawnLine{channel.text(), channel.inUse, channel.displayedCarrier(), true};
        const std::string line =
            fitChannelLine(channel, g.textRight - g.textLeft, measure, inputs_.scroll);
        const Colour bg = lineBackground(channel, line, inputs_.colours, highlights);
        p.fillRect(QRect(QPoint(0, g.top), QPoint(width() - 1, g.bottom - 1)), backgroundOf(bg));
        shown_[static_cast<size_t>(slot)] =
            fromStationCodes(lineLabel(slot, line, inputs_.showBookMarks), set);
        p.setPen(QColor(redOf(font), greenOf(font), blueOf(font)));
        p.drawText(QRect(QPoint(g.textLeft, g.top), QPoint(g.textRight, g.bottom - 1)),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                   shown_[static_cast<size_t>(slot)]);
        p.setPen(Qt::gray);
        p.drawLine(0, g.bottom, width(), g.bottom);
    }
}

bool CRxListView::goAllowed() const {
    return inputs_.state == 1 && modem::runsMultichannel(inputs_.mode);
}

void CRxListView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int slot = slotAt(event->position().toPoint().y());
    if (slot >= 0 && goAllowed()) Q_EMIT goToChannel(slot);
}

void CRxListView::contextMenuEvent(QContextMenuEvent* event) {
    const int slot = slotAt(event->pos().y());
    if (slot < 0) return;
    const QChar letter(MultichannelDecoder::letterOf(slot));
    QMenu menu(this);
    QAction* go = menu.addAction(inputs_.showBookMarks
                                     ? QStringLiteral("Go to channel %1\tLeft click").arg(letter)
                                     : QStringLiteral("Idź do tego kanału\tkliknij lewym"));
    go->setEnabled(modem::runsMultichannel(inputs_.mode));
    QAction* clear =
        menu.addAction(inputs_.showBookMarks ? QStringLiteral("Clear channel %1").arg(letter)
                                             : QStringLiteral("Zeruj ten kanał"));
    QAction* clearAll = menu.addAction(QStringLiteral("Zeruj wszystkie kanały"));
    QAction* threshold = menu.addAction(QStringLiteral("Próg Szumu..."));
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == go && goAllowed())
        Q_EMIT goToChannel(slot);
    else if (chosen == clear)
        Q_EMIT clearChannel(slot);
    else if (chosen == clearAll)
        Q_EMIT clearAllChannels();
    else if (chosen == threshold)
        Q_EMIT toggleSquelchWindow();
}

}  // namespace tarnvel::display
