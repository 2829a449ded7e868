#include "display/TuningInput.h"

#include <cmath>

namespace tarnvel::display {

double TuningInput::snapAt(const TuningContext& c, int x) const {
    return snapFrequency(history_, c.mode, scale_.xToBin(x), c.snapEnabled, c.sampleRate);
}

std::optional<int> TuningInput::tagAt(const TuningContext& c, const std::vector<ChannelTag>& slots,
                                      int x, int y) const {
    if (!c.tagsShown) return std::nullopt;
    return hitChannelTag(slots, scale_, c.clientHeight, x, y);
}

TuningAction TuningInput::leftReleased(const TuningContext& c, int x, Modifiers m) const {
    TuningAction a;
    if (c.state != kStateTransmitting) {
        const double f = snapAt(c, x);
        a.remember = f;
        // Ctrl only marks the spot; a locked transmit frequency stays where it is.
        if (!m.ctrl)
            a.setFrequency =
                FrequencyRequest{f, kSetReceive | (c.transmitLocked ? 0 : kSetTransmit), m.shift,
                                 true};
    } else if (c.imdMeasuring) {
        a.setFrequency = FrequencyRequest{snapAt(c, x), kSetReceive, m.shift, false};
    }
    a.repaint = c.state != kStateReceiving;
    return a;
}

TuningAction TuningInput::leftDragged(const TuningContext& c, int x) const {
    TuningAction a;
    if (c.state == kStateTransmitting) return a;
    const double f = snapAt(c, x);
    a.remember = f;
    a.setFrequency =
        FrequencyRequest{f, kSetReceive | (c.transmitLocked ? 0 : kSetTransmit), false, false};
    a.repaint = c.state != kStateReceiving;
    return a;
}

TuningAction TuningInput::rightPressed(const TuningContext& c, const std::vector<ChannelTag>& slots,
                                       int x, int y) const {
    TuningAction a;
    if (c.state != kStateReceiving && !c.imdMeasuring) return a;
    if (const auto tag = tagAt(c, slots, x, y)) {
        a.clearChannel = *tag;
        return a;
    }
    double f = snapAt(c, x);
    if (std::fabs(f - c.receiveFrequency) < kChannelAtCursorHz) f = c.receiveFrequency;
    a.openChannel = f;
    return a;
}

TuningAction TuningInput::leftDoubleClicked(const TuningContext& c) {
    TuningAction a;
    a.toggleTransmitLock = c.transmitLocked;
    return a;
}

TuningAction TuningInput::contextMenu(const TuningContext& c, const std::vector<ChannelTag>& slots,
                                      int x, int y, Modifiers m) const {
    TuningAction a;
    if (m.ctrl || c.state == kStateTransmitting) return a;
    if (tagAt(c, slots, x, y)) return a;
    a.remember = snapAt(c, x);
    return a;
}

}  // namespace tarnvel::display
