#include "display/SpectrumViewLayout.h"

#include <algorithm>
#include <cstdlib>

namespace tarnvel::display {

namespace {

constexpr int kTagMinimumTop = 25;
constexpr int kTagHeight = 16;
constexpr int kTagHalfWidth = 6;
constexpr int kIconOffsetX = 10;
constexpr int kImdIconOffsetX = 12;
constexpr int kIconOffsetY = -10;

}  // namespace

std::array<Point, 4> receiveCursor(int x) {
    return {{{x, 21}, {x - 4, 26}, {x, 31}, {x + 4, 26}}};
}

Point transmitIconOrigin(int x) {
    return {x - kIconOffsetX, kIconOffsetY};
}

Point imdIconOrigin(const FrequencyScale& scale, double receiveFrequency) {
    const int x = scale.frequencyToX(static_cast<double>(static_cast<int>(receiveFrequency)));
    return {x - kImdIconOffsetX, kIconOffsetY};
}

int channelTagTop(int clientHeight) {
    return std::max(kTagMinimumTop, clientHeight - kScaleStripHeight);
}

std::array<Point, 8> channelTagOutline(int x, int y0) {
    return {{{x - 4, y0},
             {x + 3, y0},
             {x + 6, y0 + 2},
             {x + 6, y0 + 14},
             {x + 4, y0 + 16},
             {x - 4, y0 + 16},
             {x - 6, y0 + 14},
             {x - 6, y0 + 2}}};
}

Point channelTagLetterOrigin(int x, int y0) {
    return {x - 3, y0 + 2};
}

std::optional<int> hitChannelTag(const std::vector<ChannelTag>& slots, const FrequencyScale& scale,
                                 int clientHeight, int x, int y) {
    const int top = channelTagTop(clientHeight);
    if (y < top || y > top + kTagHeight) return std::nullopt;
    for (size_t i = 0; i < slots.size(); ++i) {
        if (!slots[i].inUse) continue;
        if (std::abs(scale.frequencyToX(slots[i].frequency) - x) <= kTagHalfWidth)
            return static_cast<int>(i);
    }
    return std::nullopt;
}

PhaseScopeFrame phaseScopeFrame(int clientWidth, int clientHeight, int side) {
    PhaseScopeFrame f;
    f.square = {clientWidth - side - 1, clientHeight - side - 1, clientWidth, clientHeight};
    f.centre = {(f.square.left + f.square.right) / 2, (f.square.top + f.square.bottom) / 2};
    return f;
}

}  // namespace tarnvel::display
