#include "display/Palette.h"

#include <algorithm>

namespace tarnvel::display {

namespace {

constexpr std::array<Colour, 5> kFixedColours = {
    rgb(255, 0, 0), rgb(128, 0, 0), rgb(0, 255, 0), rgb(0, 128, 0), rgb(168, 40, 40),
};

int blend(int from, int to, int step) {
    return from + step * (to - from) / kGradientSegment;
}

}  // namespace

PaletteAnchors defaultPaletteAnchors() {
    return {rgb(0, 0, 0),       rgb(0, 0, 64),     rgb(0, 0, 128),
            rgb(0, 0, 217),     rgb(150, 147, 92), rgb(183, 186, 46),
            rgb(225, 228, 107), rgb(255, 255, 0),  rgb(255, 51, 0)};
}

std::string paletteAnchorKey(int k) {
    return "PAL" + std::to_string(k);
}

Gradient buildGradient(const PaletteAnchors& a) {
    Gradient g{};
    for (int i = 0; i < kGradientSize; ++i) {
        const int s = i / kGradientSegment;
        const int t = i - kGradientSegment * s;
        const Colour from = a[static_cast<size_t>(s)];
        const Colour to = a[static_cast<size_t>(s + 1)];
        g[static_cast<size_t>(i)] =
            rgb(blend(redOf(from), redOf(to), t), blend(greenOf(from), greenOf(to), t),
                blend(blueOf(from), blueOf(to), t));
    }
    return g;
}

DisplayPalette buildDisplayPalette(const PaletteAnchors& anchors) {
    DisplayPalette p{};
    const Gradient g = buildGradient(anchors);
    std::copy(g.begin(), g.end(), p.begin());
    std::copy(kFixedColours.begin(), kFixedColours.end(), p.begin() + kGradientSize);
    return p;
}

Colour swatchColour(const Gradient& preview, int k) {
    return preview[static_cast<size_t>(std::clamp(kGradientSegment * k, 0, kGradientSize - 1))];
}

Colour gradientBarColour(const Gradient& preview, int x, int width) {
    if (width <= 0) return preview[0];
    const int entry = std::clamp(x * (kGradientSize - 1) / width, 0, kGradientSize - 1);
    return preview[static_cast<size_t>(entry)];
}

}  // namespace tarnvel::display
