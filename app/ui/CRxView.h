#pragma once
// The receive window: a read-only text view that mirrors the receive text model edit by edit
// (received text in the receive colour, the echo of own text in the transmit colour).

#include <QPlainTextEdit>
#include <cstdint>

class QMenu;

#include "app/ReceiveText.h"

namespace tarnvel::app {

// Fields of the QSO in progress a picked word can go to.
enum class LogField { Call = 0, Name = 1, RstReceived = 2, Qth = 3, Notes = 4, RstSent = 5 };

// How a double-clicked word is filed: call-like (a digit and a letter or "/", nothing else),
// RST-like (three digits), a plain word (letters and "/"), or notes.
LogField classifyPickedWord(const QString& word, bool shift, bool alt);

class CRxView : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit CRxView(ReceiveText& model, QWidget* parent = nullptr);

    // One character through the model, mirrored in the window.
    void appendReceivedChar(uint8_t c, bool transmitting);
    // Mirrors an edit the model already made.
    void mirror(ReceiveEdit edit, bool transmitting);
    // Empties the model and the window.
    void clearText();
    // Shows the model's whole text again.
    void reload();
    // The character set the received codes are shown in (the text is shown again in it).
    void setCharacterSet(modem::CharacterSet set);

    void setColours(const QColor& received, const QColor& transmitted, const QColor& background);

    // The log items of the menu and the double-click pick work only with a log bar to take
    // the words; without one they are disabled and a double-click selects the word.
    void setLogAvailable(bool available) { logAvailable_ = available; }
    bool logAvailable() const { return logAvailable_; }
    // The window's right-click menu (the selection decides the log items).
    void fillContextMenu(QMenu& menu);

  Q_SIGNALS:
    void putWordToLog(tarnvel::app::LogField field, const QString& word);
    void addCall(const QString& word);
    void searchLog();
    void focusChanged(bool hasFocus);
    // The operator emptied the window from its menu.
    void cleared();

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void scrollToEnd();

    ReceiveText& model_;
    bool followEnd_ = true;
    bool logAvailable_ = false;  // the view shows the end and keeps showing it
    QColor received_{0x40, 0, 0};
    QColor transmitted_{0, 0x40, 0};
};

}  // namespace tarnvel::app
