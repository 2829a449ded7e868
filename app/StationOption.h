#pragma once
// The operator's on/off options: each is one stored setting, switched through
// Station::setOption so that whatever depends on it follows at once.

namespace tarnvel::app {

enum class StationOption {
    Squelch,
    Afc,
    Snap,
    Utc,
    FlashingTx,
    ShowSoundFq,
    AlwaysShowImd,
    PhaseScope,
    OldPhaseScope,
    NarrowSpectrum,
    WaterfallFit,
    ShowBookMarks,
    ArrowsForSeek,
    ClearOnEsc,
};

}  // namespace tarnvel::app
