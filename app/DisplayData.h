#pragma once
// What the displays keep between runs besides the plain settings: the waterfall's palette
// anchors, the spectrum markers, the band pages and the multichannel highlight words. The
// station loads them at start and stores each group when it is changed (as its dialog closes
// with OK), so that nothing is lost when the program ends abnormally later.

#include "app/Settings.h"
#include "app/SettingsStore.h"
#include "display/BandPages.h"
#include "display/HighlightWords.h"
#include "display/Palette.h"
#include "display/SpectrumMarkers.h"

namespace tarnvel::app {

class DisplayData {
  public:
    DisplayData(SettingsStore& store, Settings& settings);

    // Reads every group from the store (defaults for what is missing).
    void load();

    const display::PaletteAnchors& paletteAnchors() const { return anchors_; }
    const display::SpectrumMarkers& markers() const { return markers_; }
    const display::BandPages& bandPages() const { return bandPages_; }
    display::BandPages& bandPages() { return bandPages_; }
    const display::HighlightWords& highlights() const { return highlights_; }

    // Each replaces its group and stores it at once; false when the store refused.
    bool setPaletteAnchors(const display::PaletteAnchors& anchors);
    bool setMarkers(const display::SpectrumMarkers& markers);
    bool setBandPages(const display::BandPages& pages);
    void setHighlights(const display::HighlightWords::Slots& words);

  private:
    bool savePalette();
    bool saveMarkers();
    bool saveBandPages();

    SettingsStore& store_;
    Settings& settings_;
    display::PaletteAnchors anchors_ = display::defaultPaletteAnchors();
    display::SpectrumMarkers markers_;
    display::BandPages bandPages_;
    display::HighlightWords highlights_;
};

}  // namespace tarnvel::app
