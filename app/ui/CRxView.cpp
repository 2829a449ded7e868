#include "app/ui/CRxView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include "display/ui/StationText.h"

namespace tarnvel::app {

namespace {

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == '/';
}

}  // namespace

LogField classifyPickedWord(const QString& word, bool shift, bool alt) {
    bool digit = false, letterOrSlash = false, other = false;
    for (const QChar c : word) {
        if (c.isDigit())
            digit = true;
        else if (c.isLetter() || c == '/')
            letterOrSlash = true;
        else
            other = true;
    }
    if (digit && letterOrSlash && !other) return LogField::Call;
    if (word.size() == 3 && digit && !letterOrSlash && !other)
        return (shift || alt) ? LogField::RstSent : LogField::RstReceived;
    if (alt) return LogField::Notes;
    if (shift) return LogField::Qth;
    if (letterOrSlash && !digit && !other) return LogField::Name;
    return LogField::Notes;
}

CRxView::CRxView(ReceiveText& model, QWidget* parent) : QPlainTextEdit(parent), model_(model) {
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // The view follows new text only while it shows the end: an operator who scrolled back to
    // read a call keeps his place while decoding goes on. The range grows when the text is
    // laid out, later than the text arrives, so the decision is kept, not recomputed then.
    QScrollBar* bar = verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this,
            [this, bar](int value) { followEnd_ = value >= bar->maximum(); });
    connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int maximum) {
        if (followEnd_) bar->setValue(maximum);
    });
    reload();
}

void CRxView::setColours(const QColor& received, const QColor& transmitted,
                         const QColor& background) {
    received_ = received;
    transmitted_ = transmitted;
    QPalette p = palette();
    p.setColor(QPalette::Base, background);
    setPalette(p);
}

void CRxView::appendReceivedChar(uint8_t c, bool transmitting) {
    mirror(model_.appendReceivedChar(c), transmitting);
}

void CRxView::setCharacterSet(modem::CharacterSet set) {
    model_.setCharacterSet(set);
    reload();
}

void CRxView::mirror(ReceiveEdit edit, bool transmitting) {
    if (edit == ReceiveEdit::Dropped) return;
    bool trimmed = false;
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    const auto& shown = model_.shownCharacters();
    if (shown.count > 0) {
        QTextCharFormat format;
        format.setForeground(transmitting ? transmitted_ : received_);
        cursor.insertText(QString::fromUcs4(shown.codePoints.data(), shown.count), format);
    }
    switch (edit) {
        case ReceiveEdit::Dropped:
        case ReceiveEdit::Inserted:
            break;
        case ReceiveEdit::LineEnd:
            cursor.insertBlock();
            if (model_.trimmedLines() > 0) {
                QTextCursor top(document());
                top.movePosition(QTextCursor::Start);
                top.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor,
                                 model_.trimmedLines());
                top.removeSelectedText();
                trimmed = true;
            }
            break;
        case ReceiveEdit::Erased: {
            // One code point: a character beyond the 16-bit plane takes two positions.
            const int units = model_.erasedCharacter() > 0xFFFF ? 2 : 1;
            cursor.setPosition(cursor.position() - units, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            break;
        }
    }
    // Trimming the oldest lines brings the view back to the end, as the caret goes there;
    // otherwise the scroll bar's range change decides (followEnd).
    if (trimmed) scrollToEnd();
}

void CRxView::clearText() {
    model_.clear();
    clear();
}

void CRxView::reload() {
    // Codes still waiting for the rest of their letter are not shown yet.
    const std::string& codes = model_.text();
    QString text = display::fromStationCodes(
        std::string_view(codes).substr(0, codes.size() - static_cast<size_t>(model_.pendingBytes())),
        model_.characterSet());
    setPlainText(text);
    scrollToEnd();
}

void CRxView::scrollToEnd() {
    followEnd_ = true;
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void CRxView::focusInEvent(QFocusEvent* event) {
    model_.setHasFocus(true);
    QPlainTextEdit::focusInEvent(event);
    Q_EMIT focusChanged(true);
}

void CRxView::focusOutEvent(QFocusEvent* event) {
    model_.setHasFocus(false);
    QPlainTextEdit::focusOutEvent(event);
    Q_EMIT focusChanged(false);
}

// The word at the click, widened over letters, digits and "/".
void CRxView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!logAvailable_) {
        QPlainTextEdit::mouseDoubleClickEvent(event);
        return;
    }
    const QTextCursor at = cursorForPosition(event->position().toPoint());
    const QString block = at.block().text();
    int left = at.positionInBlock();
    int right = left;
    while (left > 0 && isWordChar(block[left - 1])) --left;
    while (right < block.size() && isWordChar(block[right])) ++right;
    const QString word = block.mid(left, right - left).trimmed();
    if (word.isEmpty()) return;
    const auto mods = event->modifiers();
    Q_EMIT putWordToLog(classifyPickedWord(word, mods & Qt::ShiftModifier, mods & Qt::AltModifier),
                        word);
}

void CRxView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    fillContextMenu(menu);
    menu.exec(event->globalPos());
}

void CRxView::fillContextMenu(QMenu& menu) {
    menu.addAction(QStringLiteral("Cl&ear"), this, [this] {
        clearText();
        Q_EMIT cleared();
    });
    menu.addAction(QStringLiteral("C&opy"), this, &QPlainTextEdit::copy);
    menu.addAction(QStringLiteral("C&ut"), this, &QPlainTextEdit::copy);
    menu.addAction(QStringLiteral("&Paste"))->setEnabled(false);
    menu.addAction(QStringLiteral("&Search in log..."), this, [this] { Q_EMIT searchLog(); })
        ->setEnabled(logAvailable_);
    const QString selected = textCursor().selectedText().trimmed();
    if (!selected.isEmpty()) {
        menu.addSeparator();
        const auto put = [&](const QString& text, LogField field) {
            menu.addAction(text, this,
                           [this, field, selected] { Q_EMIT putWordToLog(field, selected); })
                ->setEnabled(logAvailable_);
        };
        put(QStringLiteral("&Call"), LogField::Call);
        menu.addAction(QStringLiteral("&Add call"), this,
                       [this, selected] { Q_EMIT addCall(selected); })
            ->setEnabled(logAvailable_);
        put(QStringLiteral("&Name"), LogField::Name);
        put(QStringLiteral("&QTH"), LogField::Qth);
        put(QStringLiteral("&Rcvd"), LogField::RstReceived);
        put(QStringLiteral("&Sent"), LogField::RstSent);
        put(QStringLiteral("N&otes"), LogField::Notes);
    }
}

}  // namespace tarnvel::app
