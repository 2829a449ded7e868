#include "logbook/ui/CDpDropEdit.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

namespace tarnvel::logbook {

QString cleanDroppedText(const QString& text) {
    // Whole characters only: a letter cut in the middle of its UTF-8 bytes is left out.
    QString cut;
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size();
        const QString ch = pair ? text.mid(i, 2) : text.mid(i, 1);
        bytes += ch.toUtf8().size();
        if (bytes > kMaxDroppedBytes) break;
        cut += ch;
        if (pair) ++i;
    }
    cut = cut.trimmed();
    cut.remove(QLatin1Char('\n'));
    cut.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return cut;
}

CDpDropEdit::CDpDropEdit(QWidget* parent) : QLineEdit(parent) {
    setAcceptDrops(true);
}

void CDpDropEdit::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasText())
        event->acceptProposedAction();
    else
        QLineEdit::dragEnterEvent(event);
}

void CDpDropEdit::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasText())
        event->acceptProposedAction();
    else
        QLineEdit::dragMoveEvent(event);
}

void CDpDropEdit::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasText()) {
        QLineEdit::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    const QString text = cleanDroppedText(event->mimeData()->text());
    if (text.isEmpty()) return;
    setText(text);
    Q_EMIT dropped(text);
}

}  // namespace tarnvel::logbook
