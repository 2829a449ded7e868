// The station's controls: the status the windows show, the commands and options the operator
// switches, and the data the dialogs edit. Every change takes effect here at once, so nothing
// has to be re-read on the next tick.

#include <algorithm>

#include "app/CommandDispatch.h"
#include "app/Station.h"
#include "app/StationLink.h"
#include "app/StationRadio.h"
#include "app/StationLog.h"

#include "app/SettingLimits.h"

namespace tarnvel::app {

StationStatus Station::status() const {
    StationStatus s;
    s.state = state_;
    s.mode = mode();
    s.invertedQpsk = settings_.misc.invQpsk != 0;
    s.modeText = std::string(modem::modeStatusText(s.mode, s.invertedQpsk));
    s.receiveHz = receiveFrequency();
    s.transmitHz = txFrequency_;
    s.transmitLocked = txLocked_;
    s.tuning = tuning_;
    s.imdMeasuring = imd_.measuring();
    s.imdText = imd_.paneText(settings_.misc.alwaysShowImd1 != 0);
    s.imdRaised = imd_.paneRaised();
    s.tickCount = tickCount_;
    s.squelch = settings_.sound.squelch != 0;
    s.squelchOpen = chain_.squelch().isOpen();
    s.squelchThreshold = settings_.sound.sqThreshold;
    s.afc = settings_.sound.afc != 0;
    s.sensitiveReceiver = modem::pskReceiverOrDefault(settings_.receiver.pskReceiver.value()) ==
                          modem::PskReceiverKind::Sensitive;
    s.snap = settings_.sound.snap != 0;
    s.utc = settings_.misc.utc != 0;
    s.flashingTx = settings_.misc.flashingTx != 0;
    s.showSoundFq = settings_.misc.showSoundFq != 0;
    s.alwaysShowImd = settings_.misc.alwaysShowImd1 != 0;
    s.phaseScope = settings_.misc.phaseScope != 0;
    s.oldPhaseScope = settings_.misc.oldPhaseScope != 0;
    s.narrowSpectrum = settings_.misc.narrowSpectrum != 0;
    s.waterfallFit = settings_.view.waterfallZoom != 0;
    s.showBookMarks = settings_.misc.showBookMarks != 0;
    s.multichannelWindow = settings_.misc.multichannelWindow != 0;
    s.arrowsForSeek = settings_.misc.arrowsForSeek != 0;
    s.clearOnEsc = settings_.misc.clearOnEsc != 0;
    s.simpleTxEdit = settings_.misc.simpleTxEdit1 != 0;
    s.freqMode = settings_.view.freqMode;
    s.receiveLogOpen = receiveLogOpen();
    s.canSaveSoundHistory = canSaveSoundHistory();
    s.soundHistorySeconds = settings_.misc.soundHistory;
    s.callbookType = settings_.callbook.callbookType;
    s.callbookName0 = settings_.callbook.name0.value();
    s.callbookName1 = settings_.callbook.name1.value();
    s.fourband = settings_.port.fourband;
    s.bandIndex = settings_.pages.bandIndex;
    s.inputEnded = inputEnded_;
    s.characterSet = characterSet();
    s.logBarShown = log_->barShown();
    return s;
}

void Station::runCommand(CommandId id) {
    if (!dispatchStationCommand(*this, id)) host_.runWindowCommand(id);
    host_.statusChanged();
}

// ---- options --------------------------------------------------------------------------------

PersistentInt& Station::optionSetting(StationOption option) {
    switch (option) {
        case StationOption::Squelch: return settings_.sound.squelch;
        case StationOption::Afc: return settings_.sound.afc;
        case StationOption::Snap: return settings_.sound.snap;
        case StationOption::Utc: return settings_.misc.utc;
        case StationOption::FlashingTx: return settings_.misc.flashingTx;
        case StationOption::ShowSoundFq: return settings_.misc.showSoundFq;
        case StationOption::AlwaysShowImd: return settings_.misc.alwaysShowImd1;
        case StationOption::PhaseScope: return settings_.misc.phaseScope;
        case StationOption::OldPhaseScope: return settings_.misc.oldPhaseScope;
        case StationOption::NarrowSpectrum: return settings_.misc.narrowSpectrum;
        case StationOption::WaterfallFit: return settings_.view.waterfallZoom;
        case StationOption::ShowBookMarks: return settings_.misc.showBookMarks;
        case StationOption::ArrowsForSeek: return settings_.misc.arrowsForSeek;
        case StationOption::ClearOnEsc: return settings_.misc.clearOnEsc;
    }
    return settings_.sound.squelch;
}

bool Station::option(StationOption option) const {
    return const_cast<Station*>(this)->optionSetting(option) != 0;
}

void Station::setOption(StationOption option, bool on) {
    // The phase scope has nothing to show in PACTOR.
    if (option == StationOption::PhaseScope && on && mode() == Mode::Pactor) on = false;
    optionSetting(option) = on ? 1 : 0;
    applyReceiveSettings();
    host_.statusChanged();
}

void Station::toggleOption(StationOption option) {
    setOption(option, !this->option(option));
}

void Station::toggleSensitiveReceiver() {
    const bool sensitive = modem::pskReceiverOrDefault(settings_.receiver.pskReceiver.value()) ==
                           modem::PskReceiverKind::Sensitive;
    settings_.receiver.pskReceiver = std::string(modem::pskReceiverName(
        sensitive ? modem::PskReceiverKind::Specified : modem::PskReceiverKind::Sensitive));
    applyReceiveSettings();
    host_.statusChanged();
}

void Station::setSquelchThreshold(int threshold) {
    settings_.sound.sqThreshold = std::clamp(threshold, 0, modem::Squelch::kMaxThreshold);
    applyReceiveSettings();
}

void Station::setFreqMode(int freqMode) {
    settings_.view.freqMode = std::clamp(freqMode, 0, 2);
    applyReceiveSettings();
    // The transmitter's offset depends on the direction of the scale.
    setFrequency(txFrequency_, kSetTransmit, false);
}

void Station::setMultichannelWindow(bool on) {
    const bool allowed = state_ != OperatingState::Transmitting && modem::runsMultichannel(mode());
    settings_.misc.multichannelWindow = on && allowed ? 1 : 0;
    applyReceiveSettings();
    clearAllChannels();
}

void Station::setMultichannelTimeout(int seconds) {
    settings_.misc.multichannelTimeout = std::max(0, seconds);
    applyReceiveSettings();
}

void Station::setSimpleTxEdit(bool simple) {
    settings_.misc.simpleTxEdit1 = simple ? 1 : 0;
    transmitText_.setSimpleEdit(simple);
    host_.transmitWindowCleared();
}

void Station::setCallbookType(int type) {
    settings_.callbook.callbookType = std::clamp(type, 0, 1);
}

// Ctrl+Alt+4 and Ctrl+Alt+2: the band interface's four- or two-band mode, on or off; a band
// the interface cannot select falls back to 20 m.
void Station::toggleFourband(int value) {
    PersistentInt& fourband = settings_.port.fourband;
    fourband = fourband == value ? 0 : value;
    const std::vector<int> listed = display::BandPages::listedPages(fourband);
    const int band = settings_.pages.bandIndex;
    if (fourband != 0 && std::find(listed.begin(), listed.end(), band) == listed.end())
        settings_.pages.bandIndex = kFallbackBand;
    displayData_.bandPages().select(settings_.pages.bandIndex);
    radio_->applyBand();
    host_.frequencyChanged();
}

// Logbook: the log bar's band drop-down (and anything else that changes the band) makes a
// listed page current; the scale follows the page and the QSO in progress is stamped.
bool Station::selectBandPage(int index) {
    const std::vector<int> listed = display::BandPages::listedPages(settings_.port.fourband);
    if (std::find(listed.begin(), listed.end(), index) == listed.end()) return false;
    settings_.pages.bandIndex = index;
    settings_.view.freqMode = displayData_.bandPages().select(index);
    applyReceiveSettings();
    radio_->applyBand();
    log_->qso().stamp();
    host_.frequencyChanged();
    return true;
}

void Station::stepMode() {
    if (state_ == OperatingState::Transmitting) return;
    selectMode(modem::nextPaneMode(mode()));
}

void Station::toggleImdShown() {
    imd_.toggleShown();
    host_.statusChanged();
}

// ---- rates and devices ----------------------------------------------------------------------

bool Station::setRateCorrection(int rxPpm, int txPpm) {
    if (!usableRateCorrection(rxPpm) || !usableRateCorrection(txPpm)) {
        host_.showMessage(kTooBigMessage, "", MessageKind::Warning);
        return false;
    }
    settings_.misc.rateCorrRx = rxPpm;
    settings_.misc.rateCorrTx = txPpm;
    return applySampleRate(settings_.misc.soundSampleRate);
}

SoundDeviceChoice Station::soundDeviceChoice() const {
    SoundDeviceChoice c;
    c.nominalRate = settings_.misc.soundSampleRate;
    c.deviceType = settings_.misc.soundDevType;
    fillDeviceChoice(c);
    c.virtualPort = settings_.misc.virtualComPort;
    c.usbVolumeIn = settings_.misc.volumeIn;
    c.usbVolumeOut = settings_.misc.volumeOut;
    return c;
}

// The sound device dialog's OK: the card closes, takes the new devices and rate, and opens
// again.
void Station::applySoundDevice(const SoundDeviceChoice& c) {
    soundOff();
    applySampleRate(c.nominalRate);
    settings_.misc.soundDevType = c.deviceType;
    settings_.misc.virtualComPort = c.virtualPort;
    settings_.misc.volumeIn = c.usbVolumeIn;
    settings_.misc.volumeOut = c.usbVolumeOut;
    takeDeviceChoice(c);
    goReceive();
}

// ---- station data ---------------------------------------------------------------------------

StationData Station::stationData() const {
    return StationData{settings_.station.call.value(),
                       settings_.station.name.value(),
                       settings_.station.qth.value(),
                       stationCwId(settings_.station.cwId.value(), settings_.station.call.value()),
                       settings_.station.useCwId != 0,
                       settings_.station.fastCwId != 0};
}

void Station::setStationData(const StationData& data) {
    settings_.station.call = data.call;
    settings_.station.name = data.name;
    settings_.station.qth = data.qth;
    settings_.station.cwId = stationCwId(data.cwId, data.call);
    settings_.station.useCwId = data.useCwId ? 1 : 0;
    settings_.station.fastCwId = data.fastCwId ? 1 : 0;
    link_->announceGroups(link::kGroupStation);
}

void Station::editStationData() {
    if (const auto data = host_.editStationData(stationData())) setStationData(*data);
}

// ---- channels and text windows --------------------------------------------------------------

void Station::clearChannel(int slot) {
    multichannel_.clearChannel(slot);
    host_.multichannelChanged();
}

void Station::clearAllChannels() {
    multichannel_.clearAll();
    host_.multichannelChanged();
}

void Station::openChannel(double hz) {
    multichannel_.openChannel(mode(), hz, clock_.now());
    host_.multichannelChanged();
}

void Station::toggleBookmark() {
    if (state_ != OperatingState::Receiving) return;
    multichannel_.toggleBookmark(receiveFrequency(), clock_.now());
    host_.multichannelChanged();
}

void Station::clearReceiveWindow() {
    receiveText_.clear();
    host_.receiveWindowCleared();
    host_.focusTransmitWindow();
}

void Station::clearAll() {
    receiveText_.clear();
    host_.receiveWindowCleared();
    clearAllChannels();
    clearTransmitWindow();
}

void Station::insertEndOfTransmission() {
    transmitText_.appendText(kEndOfTransmissionLine);
    host_.transmitWindowChanged();
}

// ---- display data ---------------------------------------------------------------------------

void Station::setBandPages(const display::BandPages& pages) {
    if (!displayData_.setBandPages(pages)) reportStoreFailure();
    settings_.view.freqMode = displayData_.bandPages().select(displayData_.bandPages().currentIndex());
    applyReceiveSettings();
    radio_->applyBand();
    host_.frequencyChanged();
}

void Station::setPaletteAnchors(const display::PaletteAnchors& anchors) {
    if (!displayData_.setPaletteAnchors(anchors)) reportStoreFailure();
}

void Station::setMarkers(const display::SpectrumMarkers& markers) {
    if (!displayData_.setMarkers(markers)) reportStoreFailure();
}

void Station::setHighlights(const display::HighlightWords::Slots& words) {
    displayData_.setHighlights(words);
}

int32_t Station::colour(ColourRole role) const {
    return const_cast<Station*>(this)->colourSetting(role);
}

void Station::setColour(ColourRole role, int32_t bbggrr) {
    colourSetting(role) = bbggrr & 0x00FFFFFF;
}

PersistentInt& Station::colourSetting(ColourRole role) {
    switch (role) {
        case ColourRole::ReceiveText: return settings_.font.rxFontColorT;
        case ColourRole::TransmitText: return settings_.font.txFontColor;
        case ColourRole::ReceiveBackground: return settings_.font.rxBgColor;
        case ColourRole::TransmitBackground: return settings_.font.txBgColor;
        case ColourRole::MultichannelText: return settings_.font.mcFontColor;
        case ColourRole::MultichannelCarrier: return settings_.font.mcBgColor;
        case ColourRole::MultichannelNoCarrier: return settings_.font.mcBgColorNoCarrier;
        case ColourRole::MultichannelInactive: return settings_.font.mcBgColorInactive;
    }
    return settings_.font.rxFontColorT;
}

FontDescription Station::font() const {
    const auto& f = settings_.font;
    return FontDescription{f.faceName.value(), f.height,     f.weight,
                           f.italic != 0,      f.underline != 0, f.strikeOut != 0};
}

void Station::setFont(const FontDescription& font) {
    auto& f = settings_.font;
    f.faceName = font.faceName;
    f.height = font.height;
    f.weight = font.weight;
    f.italic = font.italic ? 1 : 0;
    f.underline = font.underline ? 1 : 0;
    f.strikeOut = font.strikeOut ? 1 : 0;
    // Written when the dialog closes with OK, not only at the end of the run.
    if (!settings_.saveAll()) reportStoreFailure();
}

void Station::reportStoreFailure() {
    host_.showMessage(store_.lastError(), kErrorCaption, MessageKind::Error);
}

}  // namespace tarnvel::app
