#pragma once
// What a macro makes the station do while it is expanded. The expander hands each action to
// its context once, in the order the tags are processed; the station dispatches it through
// its command table. Conditions that belong to the station (a mode refused while
// transmitting, the threshold window closed by the option toggles, the multichannel window
// allowed only in BPSK) are the station's to apply.

#include <string_view>

namespace tarnvel::macros {

enum class MacroAction {
    ReceiveCommand,       // the "&RX" command ("<TXTOGGLE>" while stopped)
    Transmit,             // goTransmit ("<TX>" while receiving, "<TXTOGGLE>" while receiving)
    ClearActiveWindow,    // the receive or transmit window, whichever pane is active
    ClearReceiveWindow,   // then the focus goes to the transmit window
    ClearTransmitWindow,  // at once, before the expanded text is appended
    SeekLeft,
    SeekRight,
    Tune,  // the Tune command; returns when its message box is closed
    ModeBpsk31,
    ModeBpsk63,
    ModeQpsk31,
    ModeFsk31,
    ModeFsk63,
    ToggleBookmark,  // at the receive frequency
    TogglePhaseScope,
    SaveQso,
    ToggleLogBar,
    ToggleTransmitLock,
    LockTransmit,    // only when unlocked
    UnlockTransmit,  // only when locked; the transmitter moves to the receive frequency
    ToggleSquelch,
    SquelchOn,
    SquelchOff,
    ToggleAfc,
    AfcOn,
    AfcOff,
    ToggleSnap,
    SnapOn,
    SnapOff,
    ToggleThresholdWindow,
    InputVolume,
    OutputVolume,
    BandPagesDialog,
    ClearChannels,
    ToggleChannels,
    ChannelsOn,
    ChannelsOff,
};

// A short stable name ("transmit", "mode-bpsk63", ...) for listings and logs.
std::string_view macroActionName(MacroAction action);

}  // namespace tarnvel::macros
