#pragma once
// The log bar: a strip docked in the main window that shows and edits the QSO in progress.
// Fields in tab order: call, name, QTH, RST sent, RST received, band, notes; then the SAVE,
// CLEAR and SEARCH buttons and a "*" shown while the QSO has unsaved changes. The bar only
// shows and reports: whoever owns it applies the edits to the QSO and shows it back.
//
// Two lines (the calls, names and reports above; the band, notes and buttons below), so that
// every field stays visible in a narrow window: a tool bar would fold the last ones away.

#include <QComboBox>
#include <QDockWidget>
#include <array>
#include <vector>

#include "logbook/WordPick.h"
#include "logbook/ui/CDpDropEdit.h"

class QGridLayout;
class QLabel;
class QPushButton;

namespace tarnvel::logbook {

inline constexpr const char* kLogBarName = "LogBar";  // its name in the saved window layout

// The band drop-down tells before it opens, so its list can follow the band pages.
class CBandBox : public QComboBox {
    Q_OBJECT
  public:
    using QComboBox::QComboBox;
    void showPopup() override;
  Q_SIGNALS:
    void aboutToShowPopup();
};

class CLogBar : public QDockWidget {
    Q_OBJECT
  public:
    explicit CLogBar(QWidget* parent = nullptr);

    CDpDropEdit* field(QsoField which) const;
    CBandBox* bandBox() const { return band_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* clearButton() const { return clear_; }
    QPushButton* searchButton() const { return search_; }
    QLabel* unsavedMark() const { return mark_; }

    // Shows a field's text; the field the operator is typing in keeps its caret when the
    // text is what it already holds.
    void showField(QsoField which, const QString& text);
    void setUnsaved(bool unsaved);
    // The listed band pages: names and page numbers, and the current page.
    void setBands(const std::vector<QString>& names, const std::vector<int>& pages, int current);

    // The fields in tab order (the band drop-down among them).
    std::vector<QWidget*> tabOrder() const;
    // The field Tab (or Shift+Tab) moves to from `from`; nullptr past either end.
    QWidget* nextInTabOrder(QWidget* from, bool backward) const;
    // Puts the focus into a field with its whole text selected.
    void focusField(QsoField which);

  Q_SIGNALS:
    // The operator changed a field: by typing, or by dropping text onto it.
    void fieldEdited(tarnvel::logbook::QsoField which, const QString& text);
    void callEntered();
    // The focus left the call field after the call was edited.
    void callLeft();
    void bandChosen(int page);
    void saveClicked();
    void clearClicked();
    void searchClicked();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    CDpDropEdit* addField(QsoField which, const QString& label, const char* tip, int width);
    QPushButton* addButton(const QString& text, const char* tip);
    // The next place in the grid: label and widget side by side.
    void place(const QString& label, QWidget* widget, int span = 1);
    void newRow();

    QWidget* body_ = nullptr;
    QGridLayout* grid_ = nullptr;
    int row_ = 0;
    int column_ = 0;
    std::array<CDpDropEdit*, 6> fields_{};  // by QsoField
    CBandBox* band_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* clear_ = nullptr;
    QPushButton* search_ = nullptr;
    QLabel* mark_ = nullptr;
    bool callEdited_ = false;
    bool showingBands_ = false;
};

}  // namespace tarnvel::logbook
