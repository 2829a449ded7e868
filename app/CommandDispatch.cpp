#include "app/CommandDispatch.h"

#include <array>
#include <utility>

#include "app/Station.h"
#include "app/StationMacros.h"
#include "app/StationLog.h"

namespace tarnvel::app {
namespace {

using C = CommandId;
using O = StationOption;

// The commands that only switch an option.
constexpr std::array<std::pair<CommandId, StationOption>, 13> kToggles{{
    {C::Bookmarks, O::ShowBookMarks},
    {C::WaterfallFitWidth, O::WaterfallFit},
    {C::NarrowSpectrum, O::NarrowSpectrum},
    {C::PhaseScope, O::PhaseScope},
    {C::OldPhaseScope, O::OldPhaseScope},
    {C::AlwaysShowImd, O::AlwaysShowImd},
    {C::ShowFrequencies, O::ShowSoundFq},
    {C::FlashingTx, O::FlashingTx},
    {C::Utc, O::Utc},
    {C::Squelch, O::Squelch},
    {C::Afc, O::Afc},
    {C::Snap, O::Snap},
    {C::ArrowsForSeek, O::ArrowsForSeek},
}};

bool runToggle(Station& s, CommandId id) {
    for (const auto& [command, option] : kToggles) {
        if (command != id) continue;
        s.toggleOption(option);
        return true;
    }
    return false;
}

}  // namespace

bool dispatchStationCommand(Station& s, CommandId id) {
    if (commandSpec(id).target == CommandTarget::Window) return false;
    if (const auto mode = commandMode(id)) {
        s.selectMode(*mode);
        return true;
    }
    if (const auto set = commandCharacterSet(id)) {
        s.setCharacterSet(*set);
        return true;
    }
    if (runToggle(s, id)) return true;
    switch (id) {
        case C::OpenReceiveLog: s.chooseReceiveLog(); break;
        case C::CloseReceiveLog: s.closeReceiveLog(); break;
        case C::SaveLastSeconds: s.saveLastSeconds(); break;
        case C::Transmit: s.goTransmit(); break;
        case C::SensitiveReceiver: s.toggleSensitiveReceiver(); break;
        case C::Receive: s.receiveCommand(); break;
        case C::SoundOff: s.soundOff(); break;
        case C::Tune: s.tune(); break;
        case C::ImdMeasuring: s.setImdMeasuring(!s.status().imdMeasuring); break;
        case C::InvertQpsk: s.setInvertedQpsk(!s.status().invertedQpsk); break;
        case C::LockTransmit: s.setTransmitLocked(true); break;
        case C::UnlockTransmit: s.setTransmitLocked(false); break;
        case C::ToggleTransmitLock: s.setTransmitLocked(!s.transmitLocked()); break;
        case C::InsertEndOfTransmission: s.insertEndOfTransmission(); break;
        case C::ClearReceive: s.clearReceiveWindow(); break;
        case C::ClearMultichannel: s.clearAllChannels(); break;
        case C::ClearTransmit: s.clearTransmitWindow(); break;
        case C::ClearAll: s.clearAll(); break;
        case C::SeekLeft: s.seekLeft(); break;
        case C::SeekRight: s.seekRight(); break;
        case C::MultichannelWindow: s.setMultichannelWindow(!s.status().multichannelWindow); break;
        case C::FreqModeLower: s.setFreqMode(2); break;
        case C::FreqModeAudio: s.setFreqMode(0); break;
        case C::FreqModeUpper: s.setFreqMode(1); break;
        case C::StationData: s.editStationData(); break;
        case C::UnderlineOwnText: s.setSimpleTxEdit(!s.status().simpleTxEdit); break;
        case C::Callbook0: s.setCallbookType(0); break;
        case C::Callbook1: s.setCallbookType(1); break;
        case C::ToggleTransmit: s.toggleTransmit(); break;
        case C::Escape: s.escapeCommand(); break;
        case C::Fourband1: s.toggleFourband(1); break;
        case C::Fourband2: s.toggleFourband(2); break;
        case C::ToggleImdShown: s.toggleImdShown(); break;
        case C::StepMode: s.stepMode(); break;
        // Macros
        case C::LoadMacros: s.macros().loadFile(); break;
        case C::SaveMacros: s.macros().saveFile(); break;
        case C::SendTextFile: s.macros().sendTextFile(); break;
        // Logbook
        case C::SaveQso: s.logbook().saveCommand(); break;
        case C::ClearQso: s.logbook().clearCommand(); break;
        case C::SaveQsoAsking: s.logbook().saveAsking(); break;
        case C::ClearQsoAsking: s.logbook().clearAsking(); break;
        case C::ImportAdif: s.logbook().importAdif(); break;
        case C::ExportAdif: s.logbook().exportAdif(); break;
        case C::MergeLog: s.logbook().mergeLog(); break;
        default: return false;
    }
    return true;
}

}  // namespace tarnvel::app
