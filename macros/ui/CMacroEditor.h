#pragma once
// The editor of one macro ("Edytuj macro"): its label, its text on several lines, and the
// list of tags, whose selected tag "<<" types into the text at the caret (and gives an empty
// label its name).
//
// The text is shown with each CR LF as a line break; a CR or LF alone shows as the tag
// "<CR>" or "<LF>" that means it, so nothing is lost by opening and closing the editor.

#include <QDialog>

#include "macros/MacroSet.h"

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace tarnvel::macros {

class CMacroEditor : public QDialog {
    Q_OBJECT
  public:
    // The macro's label and text as Qt text (line breaks as CR LF).
    CMacroEditor(MacroKeySet set, int key, const QString& label, const QString& text,
                 QWidget* parent = nullptr);

    QString label() const;
    // The text with its line breaks as CR LF.
    QString text() const;

    // "<<": the selected help line's tag at the caret.
    void insertSelectedTag();

    QLineEdit* labelField() const { return label_; }
    QPlainTextEdit* textField() const { return text_; }
    QListWidget* helpList() const { return help_; }
    QPushButton* insertButton() const { return insert_; }

  private:
    QLineEdit* label_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    QListWidget* help_ = nullptr;
    QPushButton* insert_ = nullptr;
};

// The macro text as the editor shows it, and back.
QString editorText(const QString& macroText);
QString macroText(const QString& editorText);

}  // namespace tarnvel::macros
