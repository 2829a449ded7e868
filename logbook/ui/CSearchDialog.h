#pragma once
// The search command's dialog: a text to look for in the log. "Szukaj" looks for it, "Cały
// Dziennik " lists the whole log (the text "/" means the same).

#include <QDialog>
#include <optional>

class QLineEdit;
class QPushButton;

namespace tarnvel::logbook {

class CSearchDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CSearchDialog(const QString& initial, QWidget* parent = nullptr);

    QLineEdit* textField() const { return text_; }
    QPushButton* searchButton() const { return search_; }
    QPushButton* wholeLogButton() const { return whole_; }
    // What to search for after OK: the text, or "/" for the whole log.
    QString searchText() const { return answer_; }

  private:
    QLineEdit* text_ = nullptr;
    QPushButton* search_ = nullptr;
    QPushButton* whole_ = nullptr;
    QString answer_;
};

}  // namespace tarnvel::logbook
