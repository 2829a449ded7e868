#pragma once
// A waterfall rendered into an indexed PNG: the rows of a whole recording (or the rows a
// WaterfallModel currently shows), optionally under the frequency scale strip.
//
// The image palette is the display palette (205 entries) followed by pure black (205, the
// surface fill and separator gaps) and white (206, scale ticks and labels).

#include <cstdint>
#include <string>
#include <vector>

#include "display/FrequencyScale.h"
#include "display/Palette.h"
#include "display/WaterfallModel.h"

namespace tarnvel::display {

inline constexpr uint8_t kImageWhite = 206;
inline constexpr int kImagePaletteSize = 207;

struct WaterfallImageResult {
    bool ok = false;
    std::string message;  // "Cannot create <file>" or "Error writing <file>"; empty when ok
};

struct ScaleStripOptions {
    bool show = false;
    double dialKHz = 0.0;  // the current band page's dial, 0 with the audio scale
};

class WaterfallImage {
  public:
    enum class RowOrder { NewestFirst, OldestFirst };

    explicit WaterfallImage(int width);

    // Appends one row of palette indices (width pixels), in time order.
    void appendRow(const uint8_t* row);
    // Paints an analyser row (gradient plus markers) and appends it.
    void appendSpectrumRow(const SpectrumRow& analyserOutput, const WaterfallSettings& settings);
    void appendSeparatorRow(const WaterfallSettings& settings);

    int width() const { return width_; }
    int rowCount() const { return rowCount_; }
    const uint8_t* row(int i) const { return pixels_.data() + static_cast<size_t>(i) * width_; }

    // Writes the rows with the newest at the top (as the waterfall scrolls) or the oldest, under
    // an optional 20-pixel scale strip drawn for settings.freqMode.
    WaterfallImageResult writePng(const std::string& path, const DisplayPalette& palette,
                                  RowOrder order, const WaterfallSettings& settings,
                                  const ScaleStripOptions& scale) const;

    // The rows a waterfall model shows right now, newest at the top.
    static WaterfallImage fromModel(const WaterfallModel& model);

  private:
    int width_;
    int rowCount_ = 0;
    std::vector<uint8_t> pixels_;
};

// The 207-entry palette of rendered images.
std::vector<Colour> imagePalette(const DisplayPalette& palette);

// Draws the scale strip (kScaleStripHeight rows of width pixels): black, white ticks and
// labels in a small built-in digit font.
void drawScaleStrip(const FrequencyScale& scale, double dialKHz, int width, uint8_t* strip);

}  // namespace tarnvel::display
