#pragma once
// The log window, "Search results": the QSOs of the log that matched a search, one row each in
// file order, with "Zamknij", "&Edytuj" (the single selected QSO), "Usuń" (the selected QSOs)
// and "Do  Pliku" (the selected QSOs to a text file). The window asks its owner to carry the
// operations out and shows the list again afterwards.

#include <QDialog>
#include <functional>
#include <vector>

#include "logbook/QsoRecord.h"
#include "logbook/ui/LogTextCodec.h"

class QPushButton;
class QTableWidget;

namespace tarnvel::logbook {

inline constexpr const char* kLogWindowTitle = "Search results";

class CLogWindow : public QDialog {
    Q_OBJECT
  public:
    // What the buttons do with the selected QSOs; each returns whether the log changed.
    struct Actions {
        std::function<bool(const std::vector<QsoRecord>&)> edit;
        std::function<bool(const std::vector<QsoRecord>&)> remove;
        std::function<void(const std::vector<QsoRecord>&)> write;
        // The QSOs the search finds now (after a change).
        std::function<std::vector<QsoRecord>()> reload;
    };

    CLogWindow(LogTextCodec codec, Actions actions, QWidget* parent = nullptr);

    void showRecords(std::vector<QsoRecord> records);
    // How the list is found again after an edit or a delete.
    void setReloader(std::function<std::vector<QsoRecord>()> reload) {
        actions_.reload = std::move(reload);
    }
    const std::vector<QsoRecord>& records() const { return records_; }
    std::vector<QsoRecord> selectedRecords() const;

    QTableWidget* table() const { return table_; }
    QPushButton* editButton() const { return edit_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* writeButton() const { return write_; }

  private:
    void afterChange(bool changed);

    LogTextCodec codec_;
    Actions actions_;
    std::vector<QsoRecord> records_;
    QTableWidget* table_ = nullptr;
    QPushButton* edit_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* write_ = nullptr;
};

}  // namespace tarnvel::logbook
