#include "app/ui/FrameDisplayData.h"

#include "app/Settings.h"
#include "app/SettingsStore.h"
#include "display/DisplaySettings.h"

namespace tarnvel::app {

void FrameDisplayData::load(SettingsStore& store, Settings& settings) {
    anchors = display::defaultPaletteAnchors();
    for (int k = 0; k < display::kPaletteAnchorCount; ++k) {
        auto& anchor = anchors[static_cast<size_t>(k)];
        anchor = static_cast<display::Colour>(store.getInt(
            section::kPalette, display::paletteAnchorKey(k), static_cast<int32_t>(anchor)));
    }
    for (int i = 0; i < display::kSpectrumMarkerCount; ++i)
        markers.setFrequency(i, display::SpectrumMarkers::parse(store.getString(
                                    section::kMarkers, display::SpectrumMarkers::key(i), "0")));
    for (int i = 0; i < display::kBandPageCount; ++i) {
        display::BandPage& page = bandPages.page(i);
        page.name = store.getString(section::kPages, display::bandNameKey(i), page.name);
        page.frequency =
            store.getString(section::kPages, display::bandFrequencyKey(i), page.frequency);
        page.spectrumOption =
            store.getInt(section::kPages, display::bandOptionKey(i), page.spectrumOption);
    }
    bandPages.select(settings.pages.bandIndex);
    display::HighlightWords::Slots words;
    const std::array<const PersistentString*, 3> texts{
        &settings.misc.clrTxt1, &settings.misc.clrTxt2, &settings.misc.clrTxt3};
    const std::array<const PersistentInt*, 3> colours{
        &settings.misc.clrClr1, &settings.misc.clrClr2, &settings.misc.clrClr3};
    for (size_t k = 0; k < words.size(); ++k)
        words[k] = display::HighlightWord{texts[k]->value(),
                                          static_cast<display::Colour>(colours[k]->value())};
    highlights.assign(words);
}

void FrameDisplayData::save(SettingsStore& store, Settings& settings) const {
    store.beginBatch();
    for (int k = 0; k < display::kPaletteAnchorCount; ++k)
        store.writeInt(section::kPalette, display::paletteAnchorKey(k),
                       static_cast<int32_t>(anchors[static_cast<size_t>(k)]));
    for (int i = 0; i < display::kSpectrumMarkerCount; ++i)
        store.writeString(section::kMarkers, display::SpectrumMarkers::key(i),
                          display::SpectrumMarkers::format(markers.frequency(i)));
    for (int i = 0; i < display::kBandPageCount; ++i) {
        const display::BandPage& page = bandPages.page(i);
        store.writeString(section::kPages, display::bandNameKey(i), page.name);
        store.writeString(section::kPages, display::bandFrequencyKey(i),
                          display::BandPages::formatFrequency(
                              display::BandPages::parseFrequency(page.frequency)));
        store.writeInt(section::kPages, display::bandOptionKey(i), page.spectrumOption);
    }
    store.endBatch();
    const display::HighlightWords::Slots words = highlights.slots();
    settings.misc.clrTxt1 = words[0].text;
    settings.misc.clrTxt2 = words[1].text;
    settings.misc.clrTxt3 = words[2].text;
    settings.misc.clrClr1 = static_cast<int32_t>(words[0].colour);
    settings.misc.clrClr2 = static_cast<int32_t>(words[1].colour);
    settings.misc.clrClr3 = static_cast<int32_t>(words[2].colour);
}

}  // namespace tarnvel::app
