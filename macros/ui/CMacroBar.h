#pragma once
// The macro bar: twelve buttons with the labels of the active set and the latching "^"
// button. The Ctrl set is active when exactly one of the Ctrl key and the latch holds. A
// click asks for the macro to be fired, a right click for its editor; the owner does both.
// The buttons never take the keyboard focus, so the text windows keep it.

#include <QToolBar>
#include <array>
#include <functional>

#include "macros/MacroSet.h"

class QToolButton;

namespace tarnvel::macros {

class CMacroBar : public QToolBar {
    Q_OBJECT
  public:
    // The label of a macro, as shown.
    using LabelSource = std::function<QString(MacroKeySet set, int key)>;

    explicit CMacroBar(LabelSource labels, QWidget* parent = nullptr);
    ~CMacroBar() override;

    MacroKeySet activeSet() const;
    bool ctrlHeld() const { return ctrlHeld_; }
    // Follows the Ctrl key (the bar also watches the key itself).
    void setCtrlHeld(bool held);

    // Labels and tooltips of the active set, read again.
    void refresh();

    // key is 1 … 12.
    QToolButton* button(int key) const;
    QToolButton* caretButton() const { return caret_; }

  Q_SIGNALS:
    void fireRequested(tarnvel::macros::MacroKeySet set, int key);
    void editRequested(tarnvel::macros::MacroKeySet set, int key);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buttonClicked(int key);

    LabelSource labels_;
    std::array<QToolButton*, kMacroKeysPerSet> buttons_{};
    QToolButton* caret_ = nullptr;
    bool ctrlHeld_ = false;
    bool ctrlAtClick_ = false;  // Ctrl as the mouse button went up on a button
};

}  // namespace tarnvel::macros
