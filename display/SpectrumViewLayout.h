#pragma once
// Where the waterfall view puts the marks it draws over the waterfall, as plain geometry: the
// receive cursor, the transmit and IMD icons, the channel tags and the phase scope square.

#include <array>
#include <optional>
#include <vector>

#include "display/FrequencyScale.h"
#include "display/Palette.h"

namespace tarnvel::display {

struct Point {
    int x = 0;
    int y = 0;
};
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Scale strip colours, section "Palette": "bk_red", "bk_green", "bk_blue" (default black) and
// "t_red", "t_green", "t_blue" (default white).
struct ScaleColours {
    Colour background = rgb(0, 0, 0);
    Colour text = rgb(255, 255, 255);
};

inline constexpr Colour kCursorColour = rgb(168, 40, 40);  // receive cursor, active tag
inline constexpr Colour kInactiveTagColour = rgb(128, 128, 128);
inline constexpr int kIconSize = 32;

// The receive cursor: a diamond hanging under the scale strip at the receive frequency.
std::array<Point, 4> receiveCursor(int x);

// Top-left corner of the 32 x 32 transmit (or transmit-lock) icon at column x.
Point transmitIconOrigin(int x);
// Top-left corner of the IMD icon; its column comes from the receive frequency truncated to
// whole Hertz.
Point imdIconOrigin(const FrequencyScale& scale, double receiveFrequency);

// A channel slot as the tags see it.
struct ChannelTag {
    bool inUse = false;
    bool active = false;
    double frequency = 0.0;
};

// Tags sit in a strip at the bottom of the view, never higher than y = 25.
int channelTagTop(int clientHeight);
std::array<Point, 8> channelTagOutline(int x, int top);
// Where the channel letter is drawn.
Point channelTagLetterOrigin(int x, int top);
// The slot whose tag covers (x, y): y within top..top + 16 and x within 6 pixels of a slot in
// use, the first such slot.
std::optional<int> hitChannelTag(const std::vector<ChannelTag>& slots, const FrequencyScale& scale,
                                 int clientHeight, int x, int y);

// The phase scope square in the bottom-right corner and its centre.
struct PhaseScopeFrame {
    Rect square;
    Point centre;
};
PhaseScopeFrame phaseScopeFrame(int clientWidth, int clientHeight, int side);

}  // namespace tarnvel::display
