#include "display/ui/CRxListView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
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

int CRxListView::lineHeight() const {
    return fontMetrics().boundingRect(QStringLiteral("XyZW")).height() + 1;
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
    update();
    if (decoder_ && clock_) decoder_->onWindowTimer(clock_());
}

QColor CRxListView::backgroundOf(Colour c) const {
    return QColor(redOf(c), greenOf(c), blueOf(c));
}

void CRxListView::paintEvent(QPaintEvent*) {
    QPainter p(this);
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
        MultichannelChannel& channel = decoder_->channel(slot);
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
