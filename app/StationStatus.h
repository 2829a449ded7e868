#pragma once
// What the windows show of the station, taken in one go: the status bar's panes, the enabled
// and checked state of every command, the options the views draw with. The station builds it
// (Station::status()); windows read it and never reach into the engines or the settings.

#include <string>

#include "app/StationHost.h"
#include "modem/CharacterSet.h"
#include "modem/Mode.h"

namespace tarnvel::app {

struct StationStatus {
    // Operating state and mode.
    OperatingState state = OperatingState::Stopped;
    modem::Mode mode = modem::Mode::Bpsk31;
    bool invertedQpsk = false;
    std::string modeText;  // the mode pane ("QPSKi", "?" for an unknown stored mode)

    // Frequencies.
    double receiveHz = 0.0;
    double transmitHz = 0.0;
    bool transmitLocked = false;

    // Transmitter and measurement.
    bool tuning = false;
    bool imdMeasuring = false;
    std::string imdText;     // the IMD pane
    bool imdRaised = false;  // the IMD pane is drawn raised (the figure is held)
    int tickCount = 0;

    // Receive options.
    bool squelch = false;
    bool squelchOpen = false;  // decoded text passes now
    int squelchThreshold = 0;
    bool afc = false;
    bool snap = false;
    bool sensitiveReceiver = false;  // weak-signal PSK and FSK63 receivers chosen

    // Display options.
    bool utc = false;
    bool flashingTx = false;
    bool showSoundFq = false;
    bool alwaysShowImd = false;
    bool phaseScope = false;
    bool oldPhaseScope = false;
    bool narrowSpectrum = false;
    bool waterfallFit = true;  // the waterfall fits the view's width (else one pixel per bin)
    bool showBookMarks = false;
    bool multichannelWindow = false;
    bool arrowsForSeek = false;
    bool clearOnEsc = false;
    bool simpleTxEdit = false;
    int freqMode = 0;  // 0 audio, 1 dial + audio, 2 dial - audio

    // Files and history.
    bool receiveLogOpen = false;
    bool canSaveSoundHistory = false;
    int soundHistorySeconds = 0;

    // Callbooks and bands.
    int callbookType = 0;
    std::string callbookName0, callbookName1;
    int fourband = 0;
    int bandIndex = 0;

    // The character set on the air.
    modem::CharacterSet characterSet = modem::CharacterSet::Utf8;

    // A recording played as the input has ended.
    bool inputEnded = false;

    // Logbook: the log bar is shown.
    bool logBarShown = false;
};

}  // namespace tarnvel::app
