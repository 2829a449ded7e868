#include "display/MultichannelLines.h"

#include "display/MultichannelDecoder.h"

namespace tarnvel::display {

namespace {

constexpr int kInsetDivisor = 5;

}  // namespace

LineGeometry lineGeometry(int slot, int lineHeight, int clientWidth) {
    const int inset = lineHeight / kInsetDivisor;
    return {slot * lineHeight + 1, (slot + 1) * lineHeight, inset, clientWidth - inset};
}

// A longer tail is never narrower, so the longest fitting tail is found by halving: a few
// measurements per line instead of one per character (each one lays the text out again).
size_t fittingTailLength(std::string_view text, int width, const TextWidth& measure) {
    size_t fits = 0;                   // a tail this long fits
    size_t tooLong = text.size() + 1;  // a tail this long does not (or is beyond the text)
    while (tooLong - fits > 1) {
        const size_t middle = fits + (tooLong - fits) / 2;
        if (measure(text.substr(text.size() - middle)) <= width)
            fits = middle;
        else
            tooLong = middle;
    }
    return fits;
}

std::string fitChannelLine(MultichannelChannel& channel, int width, const TextWidth& measure,
                           bool scroll) {
    std::string& text = channel.text();
    const size_t length = fittingTailLength(text, width, measure);
    std::string line = text.substr(text.size() - length);
    if (length < text.size() && !scroll) text.clear();
    return line;
}

std::string lineLabel(int slot, const std::string& line, bool showBookMarks) {
    if (!showBookMarks) return line;
    return std::string{MultichannelDecoder::letterOf(slot), ':', ' '} + line;
}

Colour lineBackground(const MultichannelChannel& channel, const std::string& line,
                      const LineColours& colours, const HighlightWords& highlights) {
    if (const auto highlight = highlights.colourFor(line)) return *highlight;
    if (!channel.inUse) return colours.inactive;
    return channel.displayedCarrier() ? colours.carrier : colours.noCarrier;
}

}  // namespace tarnvel::display
