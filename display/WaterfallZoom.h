#pragma once
// How wide the waterfall draws a spectrum bin: one pixel per bin (0 to half the sample rate
// over 1024 pixels, the rest of a wider view black), or the whole span fitted to the view's
// width. "NarrowSpectrum" halves the span shown (0 Hz to a quarter of the sample rate, where a
// receiver's passband puts the signals) at twice the scale.
//
// The choice is stored as "View"/"WaterfallZoom": 0 one pixel per bin, 1 fit to width (the
// default, so that a first start fills the window).

namespace tarnvel::display {

enum class WaterfallZoom { OnePixelPerBin = 0, FitToWidth = 1 };

inline constexpr const char* kWaterfallZoomKey = "WaterfallZoom";
inline constexpr WaterfallZoom kDefaultWaterfallZoom = WaterfallZoom::FitToWidth;

// The stored value; anything unknown gives the default.
WaterfallZoom waterfallZoomFromSetting(int value);
int waterfallZoomSetting(WaterfallZoom zoom);

// Pixels per spectrum bin for a view of clientWidth pixels.
double pixelsPerBin(WaterfallZoom zoom, bool narrowSpectrum, int clientWidth);

// The number of bins (from bin 0) the view shows, at most 1024.
int visibleBins(double pixelsPerBin, int clientWidth);

}  // namespace tarnvel::display
