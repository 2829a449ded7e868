#pragma once
// The lines of the multichannel window as data: where each line lies, which part of a channel's
// text fits on it, its label and its background colour. The window draws what these give; it
// supplies the width of a text in its font.

#include <functional>
#include <string>
#include <string_view>

#include "display/HighlightWords.h"
#include "display/MultichannelChannel.h"
#include "display/Palette.h"

namespace tarnvel::display {

// Width of a text in the window's font, in pixels.
using TextWidth = std::function<int(std::string_view)>;

// Colours of the lines (section "Font"); the three backgrounds default to the system's window
// background, which the window fills in.
struct LineColours {
    Colour font = rgb(0, 0, 64);  // "McFontColor"
    Colour carrier = 0;           // "McBgColor": in use, carrier shown
    Colour noCarrier = 0;         // "McBgColorNoCarrier": in use, no carrier
    Colour inactive = 0;          // "McBgColorInactive": slot not in use
};

// The client area behind the lines, and the separator under each line.
inline constexpr Colour kLineAreaColour = rgb(200, 200, 200);

struct LineGeometry {
    int top = 0;     // first pixel row of the line
    int bottom = 0;  // the separator's row
    int textLeft = 0;
    int textRight = 0;
};

// Line i of a window clientWidth wide, with lineHeight the height of "XyZW" in the font plus 1:
// rows i h + 1 .. (i + 1) h, the text inset by h / 5 on both sides.
LineGeometry lineGeometry(int slot, int lineHeight, int clientWidth);

// Number of characters at the end of text that fit in width: the longest tail no wider than
// width (measure must not shrink as the tail grows, as text widths do).
size_t fittingTailLength(std::string_view text, int width, const TextWidth& measure);

// The text shown on a channel's line: its newest part that fits. When the whole text does not
// fit and scrolling is off, the channel's text is emptied so that the line starts again at the
// left with the next characters (the returned line is still drawn this time).
std::string fitChannelLine(MultichannelChannel& channel, int width, const TextWidth& measure,
                           bool scroll);

// "%c: %s" with the slot's letter when bookmarks are shown, else the line alone.
std::string lineLabel(int slot, const std::string& line, bool showBookMarks);

// The line's background: by the channel's state, replaced by the colour of the longest
// highlight word the line contains.
Colour lineBackground(const MultichannelChannel& channel, const std::string& line,
                      const LineColours& colours, const HighlightWords& highlights);

}  // namespace tarnvel::display
