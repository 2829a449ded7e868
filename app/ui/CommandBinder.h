#pragma once
// The commands of the main window, built from the command table: the menu bar, the status
// bar's right-click menu and the key bindings, each command's enabled, checked and text state
// taken from the station's status. Whatever the operator picks is reported by id; the owner
// runs it.

#include <QKeySequence>
#include <QObject>
#include <map>
#include <optional>
#include <vector>

#include "app/CommandTable.h"
#include "app/StationStatus.h"

class QAction;
class QKeyEvent;
class QMenu;
class QMenuBar;
class QPoint;
class QWidget;

namespace tarnvel::app {

class CommandBinder : public QObject {
    Q_OBJECT
  public:
    explicit CommandBinder(QObject* parent = nullptr);

    // One action per menu command, in the table's menus; each menu refreshes its commands
    // (aboutToShow) before it opens.
    void buildMenus(QMenuBar* bar);
    QAction* action(CommandId id) const;
    QMenu* menu(Menu menu) const;

    // Enabled, checked and text of every action from the status.
    void update(const StationStatus& status);

    // The status bar's right-click menu: the commands with a pane text, checked from the status.
    void fillPaneMenu(QMenu& menu, const StationStatus& status);
    void showPaneMenu(const QPoint& at, const StationStatus& status, QWidget* parent);

    // The command a key press is bound to (the table's keys), if any.
    std::optional<CommandId> commandForKey(const QKeyEvent& key) const;

  Q_SIGNALS:
    void commandTriggered(tarnvel::app::CommandId id);
    // A menu is about to open: the owner hands in a fresh status.
    void menuOpening();

  private:
    void bindKeys();

    std::map<CommandId, QAction*> actions_;
    std::map<Menu, QMenu*> menus_;
    std::vector<std::pair<QKeySequence, CommandId>> keys_;
};

// A UTF-8 text of the table as Qt shows it.
QString commandQText(std::string_view utf8);
// A command's text as the title of its dialog: no accelerator mark, key hint or dots.
QString commandQTitle(CommandId id);

}  // namespace tarnvel::app
