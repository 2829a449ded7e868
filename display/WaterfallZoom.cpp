#include "display/WaterfallZoom.h"

#include <algorithm>
#include <cmath>

#include "display/SpectrumAnalyser.h"

namespace tarnvel::display {

WaterfallZoom waterfallZoomFromSetting(int value) {
    switch (value) {
        case static_cast<int>(WaterfallZoom::OnePixelPerBin):
            return WaterfallZoom::OnePixelPerBin;
        case static_cast<int>(WaterfallZoom::FitToWidth):
            return WaterfallZoom::FitToWidth;
        default:
            return kDefaultWaterfallZoom;
    }
}

int waterfallZoomSetting(WaterfallZoom zoom) {
    return static_cast<int>(zoom);
}

double pixelsPerBin(WaterfallZoom zoom, bool narrowSpectrum, int clientWidth) {
    const int spanBins = narrowSpectrum ? kSpectrumBins / 2 : kSpectrumBins;
    if (zoom == WaterfallZoom::OnePixelPerBin || clientWidth <= 0)
        return static_cast<double>(kSpectrumBins) / spanBins;
    return static_cast<double>(clientWidth) / spanBins;
}

int visibleBins(double pixelsPerBin, int clientWidth) {
    if (clientWidth <= 0 || pixelsPerBin <= 0.0) return 0;
    const double bins = std::ceil(clientWidth / pixelsPerBin - 1e-9);
    return static_cast<int>(std::min(bins, static_cast<double>(kSpectrumBins)));
}

}  // namespace tarnvel::display
