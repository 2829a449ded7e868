#include "app/ui/CKbdBufferView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextCursor>

#include "display/ui/StationText.h"

namespace tarnvel::app {

namespace {
constexpr char kCr = static_cast<char>(TransmitText::kCarriageReturn);
constexpr char kLf = static_cast<char>(TransmitText::kLineFeed);
}  // namespace

CKbdBufferView::CKbdBufferView(TransmitText& model, QWidget* parent)
    : QTextEdit(parent), model_(model) {
    setAcceptRichText(false);
    setUndoRedoEnabled(false);
    model_.setChangeListener([this] { render(); });
    render();
}

CKbdBufferView::~CKbdBufferView() {
    model_.setChangeListener(nullptr);
}

void CKbdBufferView::setColours(const QColor& text, const QColor& background) {
    textColour_ = text;
    QPalette p = palette();
    p.setColor(QPalette::Base, background);
    setPalette(p);
    render();
}

int CKbdBufferView::viewPosition(size_t modelPosition) const {
    if (viewOfModel_.empty()) return 0;
    return viewOfModel_[std::min(modelPosition, viewOfModel_.size() - 1)];
}

size_t CKbdBufferView::modelPosition(int viewPosition) const {
    if (modelOfView_.empty() || viewPosition < 0) return 0;
    return modelOfView_[std::min(static_cast<size_t>(viewPosition), modelOfView_.size() - 1)];
}

// The whole text again: sent characters underlined, a CR LF pair (or a lone CR or LF) as one
// line break; the caret and selection follow the model.
void CKbdBufferView::render() {
    rendering_ = true;
    const std::string& text = model_.text();
    viewOfModel_.assign(text.size() + 1, 0);
    modelOfView_.clear();
    QString shown;
    shown.reserve(static_cast<qsizetype>(text.size()));
    size_t sentView = 0;
    for (size_t i = 0; i < text.size();) {
        const size_t length = model_.characterLengthAt(i);
        // Every code of a character (both halves of a line end, all of a UTF-8 letter) maps
        // to the window position of the character.
        for (size_t k = i; k < i + length; ++k) {
            viewOfModel_[k] = static_cast<int>(shown.size());
            if (k == model_.sentPosition()) sentView = static_cast<size_t>(shown.size());
        }
        for (qsizetype unit = 0; unit < shownLength(text, i, length); ++unit)
            modelOfView_.push_back(i);
        appendShown(shown, text, i, length);
        i += length;
    }
    viewOfModel_[text.size()] = static_cast<int>(shown.size());
    if (model_.sentPosition() >= text.size()) sentView = static_cast<size_t>(shown.size());
    modelOfView_.push_back(text.size());
    if (model_.simpleEdit()) sentView = 0;

    QTextDocument* doc = document();
    doc->clear();
    QTextCursor cursor(doc);
    QTextCharFormat sent;
    sent.setForeground(textColour_);
    sent.setFontUnderline(true);
    QTextCharFormat unsent;
    unsent.setForeground(textColour_);
    cursor.insertText(shown.left(static_cast<qsizetype>(sentView)), sent);
    cursor.insertText(shown.mid(static_cast<qsizetype>(sentView)), unsent);

    QTextCursor caret(doc);
    const size_t anchor =
        model_.caret() == model_.selectionStart() ? model_.selectionEnd() : model_.selectionStart();
    caret.setPosition(viewPosition(anchor));
    caret.setPosition(viewPosition(model_.caret()), QTextCursor::KeepAnchor);
    caret.setCharFormat(unsent);
    setTextCursor(caret);
    setCurrentCharFormat(unsent);
    ensureCursorVisible();
    rendering_ = false;
}

// A line end shows as one line break; a character beyond the 16-bit plane takes two positions.
qsizetype CKbdBufferView::shownLength(const std::string& text, size_t at, size_t length) const {
    if (text[at] == kCr || text[at] == kLf) return 1;
    return display::fromStationCodes(std::string_view(text).substr(at, length),
                                     model_.characterSet())
        .size();
}

void CKbdBufferView::appendShown(QString& shown, const std::string& text, size_t at,
                                 size_t length) const {
    if (text[at] == kCr || text[at] == kLf) {
        shown += QChar('\n');
    } else {
        shown += display::fromStationCodes(std::string_view(text).substr(at, length),
                                           model_.characterSet());
    }
}

void CKbdBufferView::syncSelection() {
    const QTextCursor c = textCursor();
    model_.setSelection(modelPosition(c.anchor()), modelPosition(c.position()));
}

void CKbdBufferView::typeText(const QString& text) {
    syncSelection();
    for (const char32_t ch : text.toStdU32String()) {
        if (ch == '\r' || ch == '\n') {
            model_.typeCharacter(TransmitText::kCarriageReturn);
            model_.typeCharacter(TransmitText::kLineFeed);
        } else if (ch == '\b') {
            model_.typeCharacter(TransmitText::kBackspace);
        } else if (ch >= 0x20 && ch != 0x7F) {
            // One typed character may be several codes (a UTF-8 letter).
            for (const char code : modem::encodeText(std::u32string_view(&ch, 1),
                                                     model_.characterSet()))
                model_.typeCharacter(static_cast<uint8_t>(code));
        }
    }
}

void CKbdBufferView::deleteForward() {
    syncSelection();
    size_t from = model_.selectionStart();
    size_t to = model_.selectionEnd();
    if (from == to) {
        if (from >= model_.text().size()) return;
        to = from + model_.characterLengthAt(from);
    }
    model_.replaceRange(from, to, {});
}

void CKbdBufferView::cutSelection() {
    syncSelection();
    if (model_.selectionStart() == model_.selectionEnd()) return;
    if (!model_.canChange(model_.selectionStart(), model_.selectionEnd())) return;
    copy();
    model_.replaceRange(model_.selectionStart(), model_.selectionEnd(), {});
}

void CKbdBufferView::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::Paste) {
        insertFromMimeData(QApplication::clipboard()->mimeData());
        return;
    }
    if (event == QKeySequence::Cut) {
        cutSelection();
        return;
    }
    if (event == QKeySequence::Copy || event == QKeySequence::SelectAll) {
        QTextEdit::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
        case Qt::Key_Backspace:
            syncSelection();
            model_.typeCharacter(TransmitText::kBackspace);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            typeText(QStringLiteral("\r"));
            return;
        case Qt::Key_Delete:
            deleteForward();
            return;
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            QTextEdit::keyPressEvent(event);
            return;
        default:
            break;
    }
    const QString text = event->text();
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (plain && !text.isEmpty() && text[0].unicode() >= 0x20) {
        typeText(text);
        return;
    }
    // Function keys, Esc and the like belong to the frame.
    event->ignore();
}

bool CKbdBufferView::canInsertFromMimeData(const QMimeData* source) const {
    return source && source->hasText();
}

void CKbdBufferView::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText() || rendering_) return;
    syncSelection();
    QString text = source->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace('\n', QStringLiteral("\r\n"));
    model_.paste(display::toStationCodes(text, model_.characterSet()));
}

// A drop is always a copy into the model at the drop point: moving text inside the window
// would change the window behind the model's back.
void CKbdBufferView::dropEvent(QDropEvent* event) {
    setTextCursor(cursorForPosition(event->position().toPoint()));
    insertFromMimeData(event->mimeData());
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

// Composed characters (dead keys, input methods) arrive here instead of as key presses.
void CKbdBufferView::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty()) typeText(event->commitString());
    event->accept();
}

void CKbdBufferView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("Wytnij"), this, [this] { cutSelection(); });
    menu.addAction(QStringLiteral("Kopiuj"), this, &QTextEdit::copy);
    menu.addAction(QStringLiteral("Wklej"), this,
                   [this] { insertFromMimeData(QApplication::clipboard()->mimeData()); });
    menu.addSeparator();
    menu.addAction(QStringLiteral("Zeruj okno &TX"), this, [this] { model_.clear(); });
    menu.exec(event->globalPos());
}

}  // namespace tarnvel::app
