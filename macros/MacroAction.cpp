#include "macros/MacroAction.h"

#include <array>
#include <utility>

namespace tarnvel::macros {

namespace {

constexpr std::array kActionNames{
    std::pair{MacroAction::ReceiveCommand, "receive"},
    std::pair{MacroAction::Transmit, "transmit"},
    std::pair{MacroAction::ClearActiveWindow, "clear-window"},
    std::pair{MacroAction::ClearReceiveWindow, "clear-rx"},
    std::pair{MacroAction::ClearTransmitWindow, "clear-tx"},
    std::pair{MacroAction::SeekLeft, "seek-left"},
    std::pair{MacroAction::SeekRight, "seek-right"},
    std::pair{MacroAction::Tune, "tune"},
    std::pair{MacroAction::ModeBpsk31, "mode-bpsk31"},
    std::pair{MacroAction::ModeBpsk63, "mode-bpsk63"},
    std::pair{MacroAction::ModeQpsk31, "mode-qpsk31"},
    std::pair{MacroAction::ModeFsk31, "mode-fsk31"},
    std::pair{MacroAction::ModeFsk63, "mode-fsk63"},
    std::pair{MacroAction::ToggleBookmark, "toggle-bookmark"},
    std::pair{MacroAction::TogglePhaseScope, "toggle-phase-scope"},
    std::pair{MacroAction::SaveQso, "save-qso"},
    std::pair{MacroAction::ToggleLogBar, "toggle-log-bar"},
    std::pair{MacroAction::ToggleTransmitLock, "toggle-tx-lock"},
    std::pair{MacroAction::LockTransmit, "lock-tx"},
    std::pair{MacroAction::UnlockTransmit, "unlock-tx"},
    std::pair{MacroAction::ToggleSquelch, "toggle-squelch"},
    std::pair{MacroAction::SquelchOn, "squelch-on"},
    std::pair{MacroAction::SquelchOff, "squelch-off"},
    std::pair{MacroAction::ToggleAfc, "toggle-afc"},
    std::pair{MacroAction::AfcOn, "afc-on"},
    std::pair{MacroAction::AfcOff, "afc-off"},
    std::pair{MacroAction::ToggleSnap, "toggle-snap"},
    std::pair{MacroAction::SnapOn, "snap-on"},
    std::pair{MacroAction::SnapOff, "snap-off"},
    std::pair{MacroAction::ToggleThresholdWindow, "toggle-threshold-window"},
    std::pair{MacroAction::InputVolume, "input-volume"},
    std::pair{MacroAction::OutputVolume, "output-volume"},
    std::pair{MacroAction::BandPagesDialog, "band-pages"},
    std::pair{MacroAction::ClearChannels, "clear-channels"},
    std::pair{MacroAction::ToggleChannels, "toggle-channels"},
    std::pair{MacroAction::ChannelsOn, "channels-on"},
    std::pair{MacroAction::ChannelsOff, "channels-off"},
};

}  // namespace

std::string_view macroActionName(MacroAction action) {
    for (const auto& [known, name] : kActionNames) {
        if (known == action) return name;
    }
    return "unknown";
}

}  // namespace tarnvel::macros
