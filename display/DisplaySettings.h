#pragma once
// The settings the display reads, with their keys and defaults, as plain values. The settings
// store binds them to the profile.

#include <string>

#include "display/SpectrumWindow.h"
#include "modem/Mode.h"

namespace tarnvel::display {

struct DisplaySettings {
    int freqMode = 0;                // "View"/"FreqMode"
    bool snap = true;                // "Sound"/"Snap"
    bool showBookMarks = false;      // "Misc"/"ShowBookMarks"
    bool multichannelWindow = true;  // "Misc"/"MultichannelWindow"
    bool phaseScope = true;          // "Misc"/"PhaseScope"
    bool oldPhaseScope = false;      // "Misc"/"OldPhaseScope"
    int phaseScopeSize = 60;         // "Misc"/"PhaseScopeSize"
    int spectrumHeight = 60;         // "Window"/"SpectrumHeight"
    int fftWindow = 2;               // "Misc"/"FFTWindow"
    bool alwaysShowImd = false;      // "Misc"/"AlwaysShowIMD1"
    // "Misc"/"NarrowSpectrum": the waterfall shows half the span (from 0 Hz) at twice the scale.
    bool narrowSpectrum = false;
    int bandIndex = 4;  // "Pages"/"BandIndex"
    int fourband = 0;   // "Port"/"Fourband"

    SpectrumWindow window() const { return spectrumWindowFromSetting(fftWindow); }
    // The phase scope is drawn in the waterfall unless the older tuning bar replaces it.
    bool drawPhaseScope() const { return phaseScope && !oldPhaseScope; }
    // Channel tags appear with bookmarks shown, the multichannel window on, in BPSK.
    bool channelTagsShown(modem::Mode mode) const {
        return showBookMarks && multichannelWindow && modem::runsMultichannel(mode);
    }
};

// Keys of band page i (section "Pages").
inline std::string bandNameKey(int i) {
    return "Name" + std::to_string(i);
}
inline std::string bandFrequencyKey(int i) {
    return "Fq" + std::to_string(i);
}
inline std::string bandOptionKey(int i) {
    return "SpectrumOption" + std::to_string(i);
}

}  // namespace tarnvel::display
