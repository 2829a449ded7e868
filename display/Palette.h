#pragma once
// The waterfall's colours: a 200-step gradient through nine anchor colours, followed by five
// fixed colours for the marks drawn over the waterfall.
//
// The waterfall paints palette indices, not colours, so that the gradient can be edited (and
// palette-based screens work) without repainting history.

#include <array>
#include <cstdint>
#include <string>

namespace tarnvel::display {

// 0x00BBGGRR.
using Colour = uint32_t;

constexpr Colour rgb(int red, int green, int blue) {
    return static_cast<Colour>(red & 0xFF) | static_cast<Colour>(green & 0xFF) << 8 |
           static_cast<Colour>(blue & 0xFF) << 16;
}
constexpr int redOf(Colour c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int greenOf(Colour c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int blueOf(Colour c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

inline constexpr int kPaletteAnchorCount = 9;
inline constexpr int kGradientSize = 200;
inline constexpr int kGradientSegment = 25;  // gradient entries between two anchors
inline constexpr int kDisplayPaletteSize = 205;

using PaletteAnchors = std::array<Colour, kPaletteAnchorCount>;
using Gradient = std::array<Colour, kGradientSize>;
using DisplayPalette = std::array<Colour, kDisplayPaletteSize>;

// Warning texts of the palette build.
inline constexpr const char* kPaletteNoMemoryMessage = "Not enough memory for palette";
inline constexpr const char* kPaletteCreateErrorMessage = "Error creating palette";

// The built-in anchors, black through blues to yellow and red.
PaletteAnchors defaultPaletteAnchors();

// Settings key of anchor k: "PAL0" .. "PAL8" (section "Palette").
std::string paletteAnchorKey(int k);

// Entry i lies in segment i / 25 at step t = i % 25; each channel moves t/25 of the way to the
// next anchor, truncated toward zero. The last anchor itself is never reached.
Gradient buildGradient(const PaletteAnchors& anchors);

// The gradient, then (255,0,0), (128,0,0), (0,255,0), (0,128,0), (168,40,40).
DisplayPalette buildDisplayPalette(const PaletteAnchors& anchors);

// The palette dialog's previews: swatch k shows entry min(199, 25k); the long bar shows entry
// x * 199 / width at column x.
Colour swatchColour(const Gradient& preview, int k);
Colour gradientBarColour(const Gradient& preview, int x, int width);

}  // namespace tarnvel::display
