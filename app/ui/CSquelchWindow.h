#pragma once
// "Szum": the squelch threshold window. A vertical slider (0 at the top, 31 at the bottom)
// sets "SqThreshold" at once; beside it a bar shows the active decoder's signal quality,
// refreshed every 200 ms so the threshold can be set against the live signal.

#include <QTimer>
#include <functional>

#include "app/PersistentSetting.h"
#include "app/ui/PositionedDialog.h"

class QProgressBar;
class QSlider;

namespace tarnvel::app {

class CSquelchWindow : public PositionedDialog {
    Q_OBJECT
  public:
    static constexpr int kMaxQuality = 31;
    static constexpr int kTickEvery = 4;
    static constexpr int kRefreshMs = 200;

    // quality gives the current 0..31 figure of the decoder active in the mode.
    CSquelchWindow(SettingsStore& store, PersistentInt& threshold, std::function<int()> quality,
                   QWidget* parent = nullptr);

    QSlider* slider() { return slider_; }
    QProgressBar* bar() { return bar_; }

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void refresh();

    PersistentInt& threshold_;
    std::function<int()> quality_;
    QSlider* slider_;
    QProgressBar* bar_;
    QTimer timer_;
};

}  // namespace tarnvel::app
