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
    // Wide enough for the title bar to show "Szum" beside its buttons.
    static constexpr int kMinWidth = 170;
    static constexpr int kHeight = 260;

    // The threshold as the owner keeps it: read when shown or reloaded, set as the slider moves.
    struct Threshold {
        std::function<int()> get;
        std::function<void(int)> set;
    };

    // quality gives the current 0..31 figure of the decoder active in the mode.
    CSquelchWindow(SettingsStore& store, Threshold threshold, std::function<int()> quality,
                   QWidget* parent = nullptr);
    CSquelchWindow(SettingsStore& store, PersistentInt& threshold, std::function<int()> quality,
                   QWidget* parent = nullptr);

    // Follows another decoder's figure (the mode changed) without closing the window.
    void setQualitySource(std::function<int()> quality);
    // Shows the stored threshold again (an option that affects the squelch changed).
    void reload();

    QSlider* slider() { return slider_; }
    QProgressBar* bar() { return bar_; }

  protected:
    // Beside the main window's right edge, not in the corner of the screen.
    QPoint firstPosition() const override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void refresh();

    Threshold threshold_;
    std::function<int()> quality_;
    QSlider* slider_;
    QProgressBar* bar_;
    QTimer timer_;
};

}  // namespace tarnvel::app
