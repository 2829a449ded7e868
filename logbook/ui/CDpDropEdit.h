#pragma once
// An edit field of the log bar that also takes text dragged onto it from another window (a
// word selected in the receive window, say). The dropped text is cut to its first 1000 bytes,
// trimmed, and made one line: line feeds go, carriage returns become blanks. When something
// is left it replaces the field's text and `dropped` tells the owner.

#include <QLineEdit>

namespace tarnvel::logbook {

inline constexpr int kMaxDroppedBytes = 1000;

// The dropped text as the field takes it (empty: the drop changes nothing).
QString cleanDroppedText(const QString& text);

class CDpDropEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit CDpDropEdit(QWidget* parent = nullptr);

  Q_SIGNALS:
    void dropped(const QString& text);

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

}  // namespace tarnvel::logbook
