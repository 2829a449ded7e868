#include "app/DisplayData.h"

#include <array>

#include "display/DisplaySettings.h"

namespace tarnvel::app {

DisplayData::DisplayData(SettingsStore& store, Settings& settings)
    : store_(store), settings_(settings) {}

void DisplayData::load() {
    anchors_ = display::defaultPaletteAnchors();
    for (int k = 0; k < display::kPaletteAnchorCount; ++k) {
        auto& anchor = anchors_[static_cast<size_t>(k)];
        anchor = static_cast<display::Colour>(store_.getInt(
            section::kPalette, display::paletteAnchorKey(k), static_cast<int32_t>(anchor)));
    }
    for (int i = 0; i < display::kSpectrumMarkerCount; ++i)
        markers_.setFrequency(i, display::SpectrumMarkers::parse(store_.getString(
                                     section::kMarkers, display::SpectrumMarkers::key(i), "0")));
    for (int i = 0; i < display::kBandPageCount; ++i) {
        display::BandPage& page = bandPages_.page(i);
        page.name = store_.getString(section::kPages, display::bandNameKey(i), page.name);
        page.frequency =
            store_.getString(section::kPages, display::bandFrequencyKey(i), page.frequency);
        page.spectrumOption =
            store_.getInt(section::kPages, display::bandOptionKey(i), page.spectrumOption);
    }
    bandPages_.select(settings_.pages.bandIndex);
    display::HighlightWords::Slots words;
    const std::array<const PersistentString*, 3> texts{
        &settings_.misc.clrTxt1, &settings_.misc.clrTxt2, &settings_.misc.clrTxt3};
    const std::array<const PersistentInt*, 3> colours{
        &settings_.misc.clrClr1, &settings_.misc.clrClr2, &settings_.misc.clrClr3};
    for (size_t k = 0; k < words.size(); ++k)
        words[k] = display::HighlightWord{texts[k]->value(),
                                          static_cast<display::Colour>(colours[k]->value())};
    highlights_.assign(words);
}

bool DisplayData::setPaletteAnchors(const display::PaletteAnchors& anchors) {
    anchors_ = anchors;
    return savePalette();
}

bool DisplayData::setMarkers(const display::SpectrumMarkers& markers) {
    markers_ = markers;
    return saveMarkers();
}

bool DisplayData::setBandPages(const display::BandPages& pages) {
    bandPages_ = pages;
    settings_.pages.bandIndex = bandPages_.currentIndex();
    return saveBandPages();
}

void DisplayData::setHighlights(const display::HighlightWords::Slots& words) {
    highlights_.assign(words);
    settings_.misc.clrTxt1 = words[0].text;
    settings_.misc.clrTxt2 = words[1].text;
    settings_.misc.clrTxt3 = words[2].text;
    settings_.misc.clrClr1 = static_cast<int32_t>(words[0].colour);
    settings_.misc.clrClr2 = static_cast<int32_t>(words[1].colour);
    settings_.misc.clrClr3 = static_cast<int32_t>(words[2].colour);
}

bool DisplayData::savePalette() {
    store_.beginBatch();
    for (int k = 0; k < display::kPaletteAnchorCount; ++k)
        store_.writeInt(section::kPalette, display::paletteAnchorKey(k),
                        static_cast<int32_t>(anchors_[static_cast<size_t>(k)]));
    return store_.endBatch();
}

bool DisplayData::saveMarkers() {
    store_.beginBatch();
    for (int i = 0; i < display::kSpectrumMarkerCount; ++i)
        store_.writeString(section::kMarkers, display::SpectrumMarkers::key(i),
                           display::SpectrumMarkers::format(markers_.frequency(i)));
    return store_.endBatch();
}

bool DisplayData::saveBandPages() {
    store_.beginBatch();
    for (int i = 0; i < display::kBandPageCount; ++i) {
        const display::BandPage& page = bandPages_.page(i);
        store_.writeString(section::kPages, display::bandNameKey(i), page.name);
        store_.writeString(section::kPages, display::bandFrequencyKey(i),
                           display::BandPages::formatFrequency(
                               display::BandPages::parseFrequency(page.frequency)));
        store_.writeInt(section::kPages, display::bandOptionKey(i), page.spectrumOption);
    }
    return store_.endBatch();
}

}  // namespace tarnvel::app
