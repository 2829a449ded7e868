#pragma once
// The main window's status bar: the message pane (menu prompts, notices) and nine panes, their
// texts and looks taken from the station's status; a click on a pane is a command, a right
// click asks for the bar's menu.

#include <QObject>
#include <array>

#include "app/CommandTable.h"
#include "app/StationStatus.h"
#include "app/ui/StatusPane.h"

class QStatusBar;

namespace tarnvel::app {

class FrameStatusBar : public QObject {
    Q_OBJECT
  public:
    enum Pane {
        kPaneTx = 0,
        kPaneRx,
        kPaneImd,
        kPaneSq,
        kPaneAfc,
        kPaneSnap,
        kPaneMode,
        kPaneDate,
        kPaneTime,
        kPaneCount
    };

    explicit FrameStatusBar(QStatusBar* bar);

    StatusPane* pane(int index) const { return panes_[static_cast<size_t>(index)]; }
    // The command a left click on a pane runs (nothing for the clock panes).
    static std::optional<CommandId> paneCommand(int index);

    void update(const StationStatus& status);

  Q_SIGNALS:
    void command(tarnvel::app::CommandId id);
    void menuRequested(const QPoint& globalPos);

  private:
    void updateFrequencyPanes(const StationStatus& status);
    void updateOptionPanes(const StationStatus& status);

    std::array<StatusPane*, kPaneCount> panes_{};
};

}  // namespace tarnvel::app
