#pragma once
// The commands the window carries out: the dialogs (sound device, rate corrections, history
// length, channel timeout, palette, markers, band pages, highlight colours, help) and the
// squelch threshold window, which stays open across option and mode changes.

#include <QObject>
#include <QPointer>
#include <functional>

#include "app/CommandTable.h"
#include "app/ui/CSquelchWindow.h"

namespace tarnvel::audio {
class SoundCard;
}

namespace tarnvel::app {

class Station;

class WindowCommands : public QObject {
    Q_OBJECT
  public:
    struct Context {
        QWidget* window = nullptr;
        Station* station = nullptr;
        StationHost* host = nullptr;
        SettingsStore* store = nullptr;
        audio::SoundCard* card = nullptr;
    };
    explicit WindowCommands(const Context& context, QObject* parent = nullptr);

    // Runs a window command; false for a command that is not the window's.
    bool run(CommandId id);

    // The squelch threshold window: opened and closed by its command (never in PACTOR),
    // refreshed when an option that affects it changes, pointed at the new decoder when the
    // mode changes (closed in PACTOR, which has no squelch).
    void toggleSquelchWindow();
    void refreshSquelchWindow();
    void followMode(modem::Mode mode);
    CSquelchWindow* squelchWindow() const { return squelch_; }
    void closeSquelchWindow();

  Q_SIGNALS:
    // The display data changed (the views redraw).
    void displayDataChanged();
    void exitRequested();

  private:
    void chooseSoundDevice();
    void askRateCorrection(CommandId id);
    void askHistoryLength();
    void askChannelTimeout();
    void editPalette();
    void editMarkers();
    void editBandPages();
    void editHighlights();
    std::function<int()> squelchQuality() const;

    Context c_;
    QPointer<CSquelchWindow> squelch_;
};

}  // namespace tarnvel::app
