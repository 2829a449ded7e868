#include "app/ui/StationBridge.h"

#include "app/Station.h"
#include "app/ui/FrameDisplayData.h"
#include "app/ui/FrameHost.h"

namespace tarnvel::app {

namespace {
void toggle(PersistentInt& setting) {
    setting = setting != 0 ? 0 : 1;
}
}  // namespace

StationStatus StationBridge::status() const {
    Station& st = station;
    Settings& s = st.settings();
    StationStatus r;
    r.state = st.state();
    r.mode = st.mode();
    r.invertedQpsk = s.misc.invQpsk != 0;
    r.modeText = st.receiveChain().modeText();
    r.receiveHz = st.receiveFrequency();
    r.transmitHz = st.transmitFrequency();
    r.transmitLocked = st.transmitLocked();
    r.tuning = st.tuning();
    r.imdMeasuring = st.imdMeter().measuring();
    r.imdText = st.imdMeter().paneText(s.misc.alwaysShowImd1 != 0);
    r.imdRaised = st.imdMeter().paneRaised();
    r.tickCount = st.tickCount();
    r.squelch = s.sound.squelch != 0;
    r.squelchOpen = st.receiveChain().squelch().isOpen();
    r.squelchThreshold = s.sound.sqThreshold;
    r.afc = s.sound.afc != 0;
    r.snap = s.sound.snap != 0;
    r.utc = s.misc.utc != 0;
    r.flashingTx = s.misc.flashingTx != 0;
    r.showSoundFq = s.misc.showSoundFq != 0;
    r.alwaysShowImd = s.misc.alwaysShowImd1 != 0;
    r.phaseScope = s.misc.phaseScope != 0;
    r.oldPhaseScope = s.misc.oldPhaseScope != 0;
    r.narrowSpectrum = s.misc.narrowSpectrum != 0;
    r.waterfallFit = waterfallFit;
    r.showBookMarks = s.misc.showBookMarks != 0;
    r.multichannelWindow = s.misc.multichannelWindow != 0;
    r.arrowsForSeek = s.misc.arrowsForSeek != 0;
    r.clearOnEsc = s.misc.clearOnEsc != 0;
    r.simpleTxEdit = s.misc.simpleTxEdit1 != 0;
    r.freqMode = s.view.freqMode;
    r.receiveLogOpen = st.receiveLogOpen();
    r.canSaveSoundHistory = st.canSaveSoundHistory();
    r.soundHistorySeconds = s.misc.soundHistory;
    r.callbookType = s.callbook.callbookType;
    r.callbookName0 = s.callbook.name0.value();
    r.callbookName1 = s.callbook.name1.value();
    r.fourband = s.port.fourband;
    r.bandIndex = s.pages.bandIndex;
    r.inputEnded = st.inputEnded();
    return r;
}

void StationBridge::run(CommandId id) {
    Station& st = station;
    const OperatingState state = st.state();
    if (const auto mode = commandMode(id)) {
        if (state != OperatingState::Transmitting) st.selectMode(*mode);
        return;
    }
    switch (id) {
        case CommandId::OpenReceiveLog:
            return openReceiveLog();
        case CommandId::CloseReceiveLog:
            return st.closeReceiveLog();
        case CommandId::SaveLastSeconds:
            return saveLastSeconds();
        case CommandId::Transmit:
            if (state == OperatingState::Receiving) st.goTransmit();
            return;
        case CommandId::Receive:
            if (state != OperatingState::Receiving) st.receiveCommand();
            return;
        case CommandId::SoundOff:
            return st.soundOff();
        case CommandId::Tune:
            return st.tune();
        case CommandId::ImdMeasuring:
            return st.setImdMeasuring(!st.imdMeter().measuring());
        case CommandId::InvertQpsk:
            return st.setInvertedQpsk(st.settings().misc.invQpsk == 0);
        case CommandId::LockTransmit:
            return st.setTransmitLocked(true);
        case CommandId::UnlockTransmit:
            return st.setTransmitLocked(false);
        case CommandId::ToggleTransmitLock:
            return st.setTransmitLocked(!st.transmitLocked());
        case CommandId::InsertEndOfTransmission:
            st.transmitText().appendText("\xAE\r\n");
            return host.transmitWindowCleared();
        case CommandId::ClearReceive:
            st.receiveText().clear();
            host.receiveWindowCleared();
            return host.focusTransmitWindow();
        case CommandId::ClearMultichannel:
            return st.multichannel().clearAll();
        case CommandId::ClearTransmit:
            st.transmitText().clear();
            host.transmitWindowCleared();
            return host.focusTransmitWindow();
        case CommandId::ClearAll:
            st.receiveText().clear();
            host.receiveWindowCleared();
            st.multichannel().clearAll();
            st.transmitText().clear();
            return host.transmitWindowCleared();
        case CommandId::SeekLeft:
            return st.seekLeft();
        case CommandId::SeekRight:
            return st.seekRight();
        case CommandId::StationData:
            return host.openStationDialog();
        case CommandId::ToggleTransmit:
            return st.toggleTransmit();
        case CommandId::Escape:
            return st.escapeCommand();
        case CommandId::Fourband1:
            return toggleFourband(1);
        case CommandId::Fourband2:
            return toggleFourband(2);
        case CommandId::ToggleImdShown:
            return st.imdMeter().toggleShown();
        case CommandId::StepMode:
            if (state != OperatingState::Transmitting) st.selectMode(modem::nextPaneMode(st.mode()));
            return;
        default:
            return runOption(id);
    }
}

void StationBridge::runOption(CommandId id) {
    Settings& s = station.settings();
    switch (id) {
        case CommandId::MultichannelWindow: {
            const bool allowed = commandEnabled(id, status());
            s.misc.multichannelWindow = allowed && s.misc.multichannelWindow == 0 ? 1 : 0;
            return station.multichannel().clearAll();
        }
        case CommandId::Bookmarks:
            return toggle(s.misc.showBookMarks);
        case CommandId::FreqModeLower:
            s.view.freqMode = 2;
            return;
        case CommandId::FreqModeAudio:
            s.view.freqMode = 0;
            return;
        case CommandId::FreqModeUpper:
            s.view.freqMode = 1;
            return;
        case CommandId::WaterfallFitWidth:
            waterfallFit = !waterfallFit;
            return;
        case CommandId::NarrowSpectrum:
            return toggle(s.misc.narrowSpectrum);
        case CommandId::PhaseScope:
            return toggle(s.misc.phaseScope);
        case CommandId::OldPhaseScope:
            return toggle(s.misc.oldPhaseScope);
        case CommandId::AlwaysShowImd:
            return toggle(s.misc.alwaysShowImd1);
        case CommandId::ShowFrequencies:
            return toggle(s.misc.showSoundFq);
        case CommandId::FlashingTx:
            return toggle(s.misc.flashingTx);
        case CommandId::Utc:
            return toggle(s.misc.utc);
        case CommandId::Squelch:
            return toggle(s.sound.squelch);
        case CommandId::Afc:
            return toggle(s.sound.afc);
        case CommandId::Snap:
            return toggle(s.sound.snap);
        case CommandId::UnderlineOwnText:
            toggle(s.misc.simpleTxEdit1);
            station.transmitText().setSimpleEdit(s.misc.simpleTxEdit1 != 0);
            return host.transmitWindowCleared();
        case CommandId::ArrowsForSeek:
            return toggle(s.misc.arrowsForSeek);
        case CommandId::Callbook0:
            s.callbook.callbookType = 0;
            return;
        case CommandId::Callbook1:
            s.callbook.callbookType = 1;
            return;
        default:
            return;
    }
}

// The four-band interface reaches only some band pages: the page moves to one it reaches.
void StationBridge::toggleFourband(int value) {
    Settings& s = station.settings();
    PersistentInt& fourband = s.port.fourband;
    fourband = fourband == value ? 0 : value;
    const int b = s.pages.bandIndex;
    if (fourband == 1 && b != 1 && b != 4 && b != 6 && b != 8) s.pages.bandIndex = 4;
    if (fourband == 2 && b != 1 && b != 4) s.pages.bandIndex = 4;
    displayData.bandPages.select(s.pages.bandIndex);
}

void StationBridge::saveLastSeconds() {
    // The history as it is now: audio goes on while the file dialog is open.
    const std::optional<SoundHistoryCopy> copy = station.copySoundHistory();
    if (!copy) return;
    const std::string title =
        "Save last " + std::to_string(station.settings().misc.soundHistory) +
        " seconds into WAV file";
    const auto path =
        host.chooseSaveFile(title, "WAV files (*.wav)|*.wav|All files (*.*)|*.*", kDefaultHistoryFile);
    if (path) station.saveSoundHistory(*copy, *path);
}

void StationBridge::openReceiveLog() {
    const auto name = host.chooseSaveFile("Open RX Log File", "Text files (*.txt)|*.txt|All files (*.*)|*.*",
                                          station.settings().misc.rxLogFile.value());
    if (name) station.openReceiveLog(*name);
}

}  // namespace tarnvel::app
