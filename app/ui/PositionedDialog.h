#pragma once
// Small dialogs of the shell. A PositionedDialog remembers its screen position in the settings
// store under its own name ("Left", "Top"); the input box asks for one text, the number prompt
// (which does not remember its position) for one integer.

#include <QDialog>
#include <optional>

#include "app/SettingsStore.h"

class QLabel;
class QLineEdit;

namespace tarnvel::app {

class PositionedDialog : public QDialog {
    Q_OBJECT
  public:
    // An empty name takes the window title as the section.
    PositionedDialog(SettingsStore& store, QString name, QWidget* parent = nullptr);

    QString sectionName() const;

  protected:
    // Where the window opens while no position is stored: the top-left corner of the screen.
    virtual QPoint firstPosition() const;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    void closeEvent(QCloseEvent* event) override;
    void storePosition();

  private:
    SettingsStore& store_;
    QString name_;
    bool placed_ = false;
};

// "Input Box": a prompt, a one-line field, "OK" and "Anuluj".
class CInputBox : public PositionedDialog {
    Q_OBJECT
  public:
    CInputBox(SettingsStore& store, const QString& prompt, const QString& value,
              QChar mask = QChar(), QWidget* parent = nullptr);
    QString value() const;
    QLineEdit* field() { return field_; }

    // The answer, or nothing when cancelled.
    static std::optional<QString> ask(SettingsStore& store, QWidget* parent, const QString& prompt,
                                      const QString& value);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QLineEdit* field_;
};

// One integer; text that is not an integer (or lies outside the range) is refused and the
// prompt stays open.
class CNumberPrompt : public QDialog {
    Q_OBJECT
  public:
    CNumberPrompt(const QString& prompt, int value, QWidget* parent = nullptr);
    void setRange(int minimum, int maximum);
    int value() const { return value_; }
    QLineEdit* field() { return field_; }
    void accept() override;

    static std::optional<int> ask(QWidget* parent, const QString& title, const QString& prompt,
                                  int value);

  private:
    QLineEdit* field_;
    int value_;
    std::optional<std::pair<int, int>> range_;
};

}  // namespace tarnvel::app
