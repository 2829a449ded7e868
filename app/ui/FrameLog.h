#pragma once
// The logbook in the main window: the log bar docked at the top, shown and hidden by its View
// command (Alt+Y) and kept in the saved window layout; its keys (Alt+C/N/Q/D/T/O/B to the
// fields) and Tab between the transmit window and the bar while the bar is shown; the receive
// window's log items and double-click; the search dialog and the "Search results" window.
// Alt+A (save, asking), Alt+L (clear, asking) and Alt+S (search) are keys of the command
// table, so they work with the bar hidden too.
//
// While the bar is shown its Alt keys win over the menu bar's mnemonics (Alt+T, Alt+O and
// Alt+C open menus otherwise): the shortcut request for them is taken before the menu bar
// sees it.

#include <QObject>
#include <QPointer>
#include <functional>

#include "app/CommandTable.h"
#include "logbook/ui/LogTextCodec.h"

class QKeyEvent;
class QMainWindow;

namespace tarnvel::logbook {
class CLogBar;
class CLogWindow;
}  // namespace tarnvel::logbook

namespace tarnvel::app {

class Station;
class CRxView;
class CKbdBufferView;

class FrameLog : public QObject {
    Q_OBJECT
  public:
    using RunCommand = std::function<void(CommandId)>;
    FrameLog(Station& station, QMainWindow& frame, CRxView* rx, CKbdBufferView* tx,
             RunCommand runCommand);
    ~FrameLog() override;

    // The window commands of the logbook (the bar's show/hide, the search); false for others.
    bool run(CommandId id);
    // The bar's keys and Tab while the bar is shown; true when the key was taken.
    bool routeKey(const QKeyEvent& key);
    // The QSO in progress changed: the bar shows it again.
    void refresh();

    logbook::CLogBar* bar() const { return bar_; }
    logbook::CLogWindow* logWindow() const;
    bool barShown() const;
    void setBarShown(bool shown);
    // The search command: the dialog, then the log window with what it found.
    void search();
    // Opens the log window with what the text finds.
    void showSearchResults(const QString& text);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void connectBar();
    void connectReceiveWindow(CRxView* rx);
    void refreshBands();
    bool isLogKey(const QKeyEvent& key) const;
    bool runLogKey(int key);
    bool moveTab(bool backward);
    logbook::LogTextCodec codec() const;

    Station& station_;
    QMainWindow& frame_;
    CKbdBufferView* tx_ = nullptr;
    RunCommand runCommand_;
    logbook::CLogBar* bar_ = nullptr;
    QPointer<logbook::CLogWindow> window_;
    QString lastSearch_;
};

}  // namespace tarnvel::app
