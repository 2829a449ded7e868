// What the macro actions make the station do. Most are commands of the command table, run as
// the menus run them; the rest need a condition or a value the commands do not take.

#include <array>
#include <optional>
#include <utility>

#include "app/Station.h"
#include "app/StationLog.h"
#include "app/StationMacros.h"

namespace tarnvel::app {

namespace {

using A = macros::MacroAction;
using C = CommandId;

constexpr std::array<std::pair<A, C>, 21> kActionCommands{{
    {A::ReceiveCommand, C::Receive},
    {A::Transmit, C::Transmit},
    {A::ClearReceiveWindow, C::ClearReceive},
    {A::ClearTransmitWindow, C::ClearTransmit},
    {A::SeekLeft, C::SeekLeft},
    {A::SeekRight, C::SeekRight},
    {A::Tune, C::Tune},
    {A::ModeBpsk31, C::ModeBpsk31},
    {A::ModeBpsk63, C::ModeBpsk63},
    {A::ModeQpsk31, C::ModeQpsk31},
    {A::ModeFsk31, C::ModeFsk31},
    {A::ModeFsk63, C::ModeFsk63},
    {A::TogglePhaseScope, C::PhaseScope},
    {A::ToggleLogBar, C::LogBar},
    {A::ToggleTransmitLock, C::ToggleTransmitLock},
    {A::ToggleThresholdWindow, C::SquelchThreshold},
    {A::BandPagesDialog, C::BandPages},
    {A::ClearChannels, C::ClearMultichannel},
    {A::ToggleChannels, C::MultichannelWindow},
    // "<VOLUME>" and "<INPUTVOLUME>", "<OUTPUTVOLUME>": the level dialogs
    {A::InputVolume, C::InputLevel},
    {A::OutputVolume, C::OutputLevel},
}};

std::optional<CommandId> actionCommand(A action) {
    for (const auto& [a, command] : kActionCommands)
        if (a == action) return command;
    return std::nullopt;
}

// The option tags: which option, and whether they switch it on, off or over.
enum class Switch { On, Off, Toggle };
struct OptionAction {
    A action;
    StationOption option;
    Switch change;
};
constexpr std::array<OptionAction, 9> kOptionActions{{
    {A::ToggleSquelch, StationOption::Squelch, Switch::Toggle},
    {A::SquelchOn, StationOption::Squelch, Switch::On},
    {A::SquelchOff, StationOption::Squelch, Switch::Off},
    {A::ToggleAfc, StationOption::Afc, Switch::Toggle},
    {A::AfcOn, StationOption::Afc, Switch::On},
    {A::AfcOff, StationOption::Afc, Switch::Off},
    {A::ToggleSnap, StationOption::Snap, Switch::Toggle},
    {A::SnapOn, StationOption::Snap, Switch::On},
    {A::SnapOff, StationOption::Snap, Switch::Off},
}};

}  // namespace

void StationMacros::run(macros::MacroAction action) {
    if (const auto command = actionCommand(action)) {
        station_.runCommand(*command);
        if (action == A::ClearTransmitWindow) host_.focusTransmitWindow();
        return;
    }
    for (const OptionAction& o : kOptionActions) {
        if (o.action != action) continue;
        const bool on = o.change == Switch::Toggle ? !station_.option(o.option)
                                                   : o.change == Switch::On;
        station_.setOption(o.option, on);
        // The threshold window would show a squelch that is no longer what it was.
        host_.closeThresholdWindow();
        return;
    }
    switch (action) {
        case A::ClearActiveWindow:
            if (host_.receiveWindowHasFocus())
                station_.clearReceiveWindow();
            else
                station_.clearTransmitWindow();
            break;
        case A::ToggleBookmark:
            station_.toggleBookmark();
            break;
        case A::SaveQso:
            // The operator wrote the tag into the macro: the save needs no second "Save QSO
            // with ... ?", but a QSO already saved is still asked about.
            station_.logbook().saveQso(logbook::SaveConfirmation::DontAsk);
            host_.focusTransmitWindow();
            break;
        case A::LockTransmit:
            if (!station_.transmitLocked()) station_.runCommand(C::LockTransmit);
            break;
        case A::UnlockTransmit:
            if (station_.transmitLocked()) station_.runCommand(C::UnlockTransmit);
            break;
        case A::ChannelsOn:
            station_.setMultichannelWindow(true);
            break;
        case A::ChannelsOff:
            station_.setMultichannelWindow(false);
            break;
        default:
            break;
    }
}

}  // namespace tarnvel::app
