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

size_t fittingTailLength(std::string_view text, int width, const TextWidth& measure) {
    size_t length = 0;
    while (length < text.size() && measure(text.substr(text.size() - length - 1)) <= width)
        ++length;
    return length;
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
