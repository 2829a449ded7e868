#pragma once
// What the views draw with that is kept between runs: the waterfall's palette anchors, the
// spectrum markers, the band pages and the multichannel highlight words.

#include "display/BandPages.h"
#include "display/HighlightWords.h"
#include "display/SpectrumMarkers.h"
#include "display/Palette.h"

namespace tarnvel::app {

class Settings;
class SettingsStore;

struct FrameDisplayData {
    display::PaletteAnchors anchors{};
    display::SpectrumMarkers markers;
    display::BandPages bandPages;
    display::HighlightWords highlights;

    void load(SettingsStore& store, Settings& settings);
    void save(SettingsStore& store, Settings& settings) const;
};

}  // namespace tarnvel::app
