#pragma once
// The macros in the main window: the keys F1 … F12 and Ctrl+F1 … Ctrl+F12 bound at window
// level, the macro bar docked with the other bars, and the two submenus "F&n macra" and
// "C&trl-Fn macra" at the top of the macro menu, whose items open the editor. Firing and
// storing are the station's; this class only shows them.

#include <QObject>
#include <array>
#include <functional>

#include "macros/MacroSet.h"

class QAction;
class QMainWindow;
class QMenu;

namespace tarnvel::macros {
class CMacroBar;
}

namespace tarnvel::app {

class CommandBinder;
class Station;

class FrameMacros : public QObject {
    Q_OBJECT
  public:
    // afterFire: what the window refreshes after a macro has run its actions.
    FrameMacros(Station& station, QMainWindow& frame, CommandBinder& commands,
                std::function<void()> afterFire);

    macros::CMacroBar* bar() const { return bar_; }
    QMenu* editMenu(macros::MacroKeySet set) const;
    QAction* keyAction(macros::MacroKeySet set, int key) const;

    void fire(macros::MacroKeySet set, int key);
    // The editor for one macro; OK stores it.
    void edit(macros::MacroKeySet set, int key);

  private:
    void buildKeys();
    void buildMenus(CommandBinder& commands);
    void refreshMenu(macros::MacroKeySet set);
    QString shown(const std::string& codes) const;
    std::string codes(const QString& text) const;

    Station& station_;
    QMainWindow& frame_;
    std::function<void()> afterFire_;
    macros::CMacroBar* bar_ = nullptr;
    QMenu* fMenu_ = nullptr;
    QMenu* ctrlMenu_ = nullptr;
    std::array<QAction*, 2 * macros::kMacroKeysPerSet> keys_{};
};

}  // namespace tarnvel::app
