#pragma once
// What the operator's mouse does on the waterfall, decided without any window: which
// frequency to set (and on which of receive and transmit), which channel to open or clear.
//
// A click is refined to the centre of the nearest signal (snap). Clicks tune only while not
// transmitting, except that in the IMD-measurement mode a left click moves the receive
// frequency during transmission, so the own signal can be measured.

#include <optional>
#include <vector>

#include "display/FrequencyScale.h"
#include "display/SpectrumHistory.h"
#include "display/SpectrumViewLayout.h"

namespace tarnvel::display {

// Operating states of the main frame.
inline constexpr int kStateStopped = 0;
inline constexpr int kStateReceiving = 1;
inline constexpr int kStateTransmitting = 2;

// setFrequency flag bits.
inline constexpr int kSetTransmit = 1;
inline constexpr int kSetReceive = 2;

struct Modifiers {
    bool shift = false;
    bool ctrl = false;
};

struct TuningContext {
    int state = kStateReceiving;
    modem::Mode mode = modem::Mode::Bpsk31;
    bool imdMeasuring = false;
    bool transmitLocked = false;
    bool snapEnabled = true;  // "Snap"
    double sampleRate = 11025.0;
    double receiveFrequency = 0.0;
    // Tags are hit only where they are drawn: bookmarks shown, multichannel window on, BPSK.
    bool tagsShown = false;
    int clientHeight = 0;
};

struct FrequencyRequest {
    double frequency = 0.0;
    int flags = 0;  // kSetTransmit | kSetReceive
    bool shift = false;
    bool released = false;  // the click's release, not a drag
};

struct TuningAction {
    std::optional<FrequencyRequest> setFrequency;
    std::optional<double> remember;     // last tuned frequency (with the clicked x)
    std::optional<int> clearChannel;    // slot index
    std::optional<double> openChannel;  // Hertz
    bool toggleTransmitLock = false;
    bool repaint = false;
};

// A right click this close to the receive frequency opens the channel exactly there.
inline constexpr double kChannelAtCursorHz = 60.0;

class TuningInput {
  public:
    TuningInput(const SpectrumHistory& history, const FrequencyScale& scale)
        : history_(history), scale_(scale) {}

    TuningAction leftReleased(const TuningContext& c, int x, Modifiers m) const;
    TuningAction leftDragged(const TuningContext& c, int x) const;
    TuningAction rightPressed(const TuningContext& c, const std::vector<ChannelTag>& slots, int x,
                              int y) const;
    // The double-click unlocks a locked transmit frequency; the release that follows tunes.
    static TuningAction leftDoubleClicked(const TuningContext& c);
    TuningAction contextMenu(const TuningContext& c, const std::vector<ChannelTag>& slots, int x,
                             int y, Modifiers m) const;

    // The alternative tuning cursor is shown while Shift is held.
    static bool alternativeCursor(Modifiers m) { return m.shift; }

  private:
    double snapAt(const TuningContext& c, int x) const;
    std::optional<int> tagAt(const TuningContext& c, const std::vector<ChannelTag>& slots, int x,
                             int y) const;

    const SpectrumHistory& history_;
    FrequencyScale scale_;
};

}  // namespace tarnvel::display
