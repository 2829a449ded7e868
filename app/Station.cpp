#include "app/Station.h"

#include "app/ReceiveCatchUp.h"
#include "app/SettingLimits.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/StationLink.h"
#include "app/StationLog.h"
#include "app/StationMacros.h"
#include "app/StationRadio.h"
#include "app/UserFolders.h"
#include "audio/SampleRates.h"
#include "audio/WavFile.h"
#include "display/SpectrumWindow.h"

namespace tarnvel::app {
namespace {

// Marks a retune made with Shift held in the receive text.
constexpr const char* kTuningSeparator = "\r\n...";

}  // namespace

Station::Station(SettingsStore& store, audio::SoundCard& card, StationHost& host,
                 StationClock& clock, StationOptions options)
    : store_(store),
      settings_(store, options.defaults),
      displayData_(store, settings_),
      card_(card),
      host_(host),
      clock_(clock),
      options_(std::move(options)),
      chain_(modem::kNominalSampleRate, modem::modeFromStored(settings_.misc.mode)),
      transmitter_(*this),
      receiveText_(options_.keepAllReceivedText),
      transmitText_(settings_.misc.simpleTxEdit1 != 0),
      log_(std::make_unique<StationLog>(*this, host_, logbook::kLogFileName)),
      radio_(std::make_unique<StationRadio>(*this, host_)),
      macros_(std::make_unique<StationMacros>(*this, host_)),
      link_(std::make_unique<StationLink>(*this)),
      catchUp_(std::make_unique<ReceiveCatchUp>(history_, multichannel_)) {
    displayData_.load();
    setCharacterSet(characterSet());
}

modem::CharacterSet Station::characterSet() const {
    return modem::characterSetNamed(settings_.misc.characterSet.value())
        .value_or(modem::kDefaultCharacterSet);
}

void Station::setCharacterSet(modem::CharacterSet set) {
    settings_.misc.characterSet = std::string(modem::characterSetName(set));
    receiveText_.setCharacterSet(set);
    transmitText_.setCharacterSet(set);
    transmitter_.setCharacterSet(set);
}

Station::~Station() {
    shutdown();
}

// ---- start and stop -------------------------------------------------------------------------

bool Station::start() {
    if (started_) return state_ != OperatingState::Stopped;
    if (!options_.dataFolder.empty()) {
        const FolderResult folder = enterDataFolder(options_.dataFolder);
        if (!folder.ok) host_.showMessage(folder.error, kErrorCaption, MessageKind::Error);
    }
    // A stored nominal rate the dialog would not accept is replaced by the usual one.
    if (!applySampleRate(settings_.misc.soundSampleRate))
        applySampleRate(audio::kDefaultNominalRate);
    makeHistory(chain_.sampleRate());
    applyReceiveSettings();
    chain_.setInvertedQpsk(settings_.misc.invQpsk != 0);
    transmitter_.setInvertedQpsk(settings_.misc.invQpsk != 0);
    transmitter_.setMode(chain_.mode());
    transmitter_.setAttenuationDb(settings_.transmitLevel.txAttenuation);  // mixer: transmit level
    multichannel_.setMode(chain_.mode());
    const double lastFq = settings_.sound.lastFq;
    setFrequency(usableAudioFrequency(lastFq, settings_.misc.soundSampleRate)
                     ? lastFq
                     : modem::PskModulator::kDefaultCarrierHz,
                 kSetBoth, false);
    if (settings_.misc.rxLogOpen != 0) openReceiveLog(settings_.misc.rxLogFile.value());

    card_.setConfig(deviceConfig());
    const bool open = openInput();
    changeState(open ? OperatingState::Receiving : OperatingState::Stopped);
    if (open) rememberDeviceNames();
    if (!open) reportSoundCardUnavailable();
    radio_->open();  // the radio: its port or rig, released below
    clock_.sleepFor(kPttReleasePauseMs);
    radio_->setPtt(false);
    link_->announceStart();
    started_ = true;
    nextTickAt_ = clock_.now() + kTimerPeriodMs;
    return open;
}

void Station::shutdown() {
    if (!started_ || shutDown_) return;
    shutDown_ = true;
    soundOff();
    link_->stop();
    started_ = false;
    if (rxLog_ != nullptr) {
        // "RxLogOpen" stays set: the log is reopened at the next start.
        std::fclose(rxLog_);
        rxLog_ = nullptr;
    }
    if (!settings_.saveAll())
        host_.showMessage(store_.lastError(), kErrorCaption, MessageKind::Error);
}

void Station::applyReceiveSettings() {
    chain_.squelch().setEnabled(settings_.sound.squelch != 0);
    chain_.squelch().setThreshold(
        std::clamp<int>(settings_.sound.sqThreshold, 0, modem::Squelch::kMaxThreshold));
    display::MultichannelSettings m;
    m.window = settings_.misc.multichannelWindow != 0;
    m.searchLevelDb = settings_.misc.multichannelSearchLevelDb;
    m.scroll = settings_.misc.multichannelScroll != 0;
    m.timeoutSeconds = settings_.misc.multichannelTimeout;
    m.squelch = settings_.sound.squelch != 0;
    m.sqThreshold = settings_.sound.sqThreshold;
    m.snap = settings_.sound.snap != 0;
    m.freqMode = settings_.view.freqMode;
    // Weak-signal receiver: the main receiver and the channels decode PSK with the same one.
    m.pskReceiver = modem::pskReceiverOrDefault(settings_.receiver.pskReceiver.value());
    chain_.usePskReceiver(m.pskReceiver);
    multichannel_.setSettings(m);
}

void Station::changeState(OperatingState state) {
    if (state_ == state) return;
    state_ = state;
    host_.stateChanged(state);
}

bool Station::openInput() {
    const audio::SoundResult result = card_.startInput();
    lastSoundProblem_ = result.ok() ? std::string() : result.message;
    return result.ok() && card_.inputOpen();
}

// Receive that failed to open tries again on its own (ReceiveRecovery).
void Station::reportSoundCardUnavailable() {
    recovery_.begin(clock_.now());
    host_.showMessage(audio::kSoundCardUnavailableMessage, kErrorCaption, MessageKind::Error);
}

void Station::reportSoundFailure(const std::string& what, const audio::SoundResult& result) {
    std::string text = what;
    if (!result.message.empty()) text += ": " + result.message;
    lastSoundProblem_ = text;
    host_.showMessage(text, kErrorCaption, MessageKind::Error);
}

// ---- switching ------------------------------------------------------------------------------

void Station::goTransmit() {
    if (mode() == Mode::Pactor || state_ != OperatingState::Receiving) return;
    if (settings_.station.call.value().empty()) {
        host_.showMessage(kNoCallMessage, "", MessageKind::Warning);
        host_.openStationDialog();
        return;
    }
    transmitText_.startTransmission();
    transmitter_.startTransmission();
    transmissionOver_ = false;
    if (!imd_.measuring()) card_.stopInput();

    // Without an open output the transmitter would be keyed with nothing to send: report it
    // and stay in receive instead.
    const audio::SoundResult opened = card_.openOutput();
    if (!opened.ok() || !card_.outputOpen()) {
        transmitter_.stopTransmission();
        reportSoundFailure(kCannotOpenOutputMessage, opened);
        const bool open = imd_.measuring() ? card_.inputOpen() : openInput();
        changeState(open ? OperatingState::Receiving : OperatingState::Stopped);
        if (!open) reportSoundCardUnavailable();
        radio_->setPtt(false);
        return;
    }
    changeState(OperatingState::Transmitting);
    appendDirect('\r');
    radio_->setPtt(true);
    clock_.sleepFor(kPttKeyPauseMs);
    outputWatchdog_ = kOutputWatchdogTicks;
    const audio::SoundResult primed = primeOutput();
    if (!primed.ok()) abandonTransmit(kCannotPlayMessage, primed);
}

audio::SoundResult Station::primeOutput() {
    for (int i = 0; i < audio::kOutputBuffersInFlight; ++i) {
        audio::OutputBuffer buffer = card_.outputBuffer(i);
        if (!transmitter_.fillOutputBuffer(i, buffer.data(), buffer.size())) continue;
        audio::SoundResult played = card_.playBuffer(i);
        if (!played.ok()) return played;
    }
    return audio::SoundResult::success();
}

void Station::abandonTransmit(const std::string& what, const audio::SoundResult& result) {
    transmitter_.stopTransmission();
    reportSoundFailure(what, result);
    goReceive();
}

void Station::goReceive() {
    if (state_ == OperatingState::Transmitting) {
        transmitter_.stopTransmission();
        const audio::SoundResult closed = card_.closeOutput();
        outputWatchdog_ = 0;
        if (!closed.ok()) reportSoundFailure(kNotStoredMessage, closed);
        if (!imd_.measuring()) openInput();
        // The state changes before the line end so that the echo colour ends with the text.
        changeState(card_.inputOpen() ? OperatingState::Receiving : OperatingState::Stopped);
        appendDirect('\r');
    } else if (state_ == OperatingState::Stopped) {
        openInput();
    }
    const bool open = card_.inputOpen();
    changeState(open ? OperatingState::Receiving : OperatingState::Stopped);
    if (!open) reportSoundCardUnavailable();
    clock_.sleepFor(kPttReleasePauseMs);
    radio_->setPtt(false);
    host_.focusTransmitWindow();
    if (!txLocked_) setFrequency(txFrequency_, kSetReceive, false);
}

void Station::toggleTransmit() {
    if (state_ == OperatingState::Receiving)
        goTransmit();
    else if (state_ == OperatingState::Transmitting)
        goReceive();
}

void Station::soundOff() {
    recovery_.cancel();
    changeState(OperatingState::Stopped);
    card_.stopInput();
    transmitter_.stopTransmission();
    const audio::SoundResult closed = card_.closeOutput();
    if (!closed.ok()) reportSoundFailure(kNotStoredMessage, closed);
    clock_.sleepFor(kPttReleasePauseMs);
    radio_->setPtt(false);
    outputWatchdog_ = 0;
}

void Station::tune() {
    if (state_ == OperatingState::Transmitting) return;
    tuning_ = true;
    goTransmit();
    // Only a transmitter that really went on is held by the message.
    if (state_ == OperatingState::Transmitting) {
        host_.showMessage(kTuneMessage, kTuneCaption, MessageKind::Warning);
        goReceive();
    }
    tuning_ = false;
}

void Station::receiveCommand() {
    imd_.clearShown();
    // Already receiving: nothing to switch (a second switch would pause and reset the AFC).
    if (state_ != OperatingState::Receiving) goReceive();
}

void Station::escapeCommand() {
    // Only the transmission's unsent text goes; typing ahead while receiving is kept.
    if (state_ == OperatingState::Transmitting && settings_.misc.clearOnEsc != 0)
        clearTransmitWindow();
    goReceive();
}

void Station::setImdMeasuring(bool on) {
    if (imd_.measuring() != on) imd_.toggleMeasuring();
}

// ---- frequencies ----------------------------------------------------------------------------

bool Station::setFrequency(double hz, int which, bool addSeparator) {
    if (!usableAudioFrequency(hz, settings_.misc.soundSampleRate)) return false;
    if ((which & kSetTransmit) != 0 && !txLocked_) {
        txFrequency_ = hz;
        settings_.sound.lastFq = static_cast<float>(hz);
        const double offset =
            usableTransmitOffset(settings_.sound.offset, settings_.misc.soundSampleRate);
        transmitter_.setTransmitFrequency(settings_.view.freqMode == 2 ? hz - offset : hz + offset);
    }
    if ((which & kSetReceive) != 0) {
        chain_.setReceiveFrequency(hz, /*operatorRetune=*/true);
        if (addSeparator && !receiveText_.text().empty())
            chain_.appendPendingText(kTuningSeparator);
    }
    host_.frequencyChanged();
    return true;
}

void Station::setTransmitLocked(bool locked) {
    txLocked_ = locked;
    if (!locked) setFrequency(receiveFrequency(), kSetTransmit, false);
}

void Station::nudgeFrequency(int direction, double stepHz, bool shiftHeld) {
    if (state_ == OperatingState::Transmitting || direction == 0) return;
    double delta = direction > 0 ? stepHz : -stepHz;
    if (settings_.view.freqMode == 2) delta = -delta;  // the scale runs downward
    const double hz = std::clamp(receiveFrequency() + delta, kMinNudgeHz, kMaxNudgeHz);
    setFrequency(hz, kSetBoth, shiftHeld);
}

void Station::seekLeft() {
    if (mode() == Mode::Pactor || settings_.misc.multichannelWindow == 0) return;
    if (const auto slot = multichannel_.seekLeft(receiveFrequency())) jumpToChannel(*slot);
}

void Station::seekRight() {
    if (mode() == Mode::Pactor || settings_.misc.multichannelWindow == 0) return;
    if (const auto slot = multichannel_.seekRight(receiveFrequency())) jumpToChannel(*slot);
}

void Station::jumpToChannel(int slot) {
    const auto jump = multichannel_.goToChannel(slot);
    if (!jump) return;
    setFrequency(jump->frequency, kSetBoth, false);
    receiveText_.clear();
    host_.receiveWindowCleared();
    for (const char c : jump->text) receiveText_.appendReceivedChar(static_cast<uint8_t>(c));
    host_.receivedTextShown(jump->text);
}

bool Station::startReplay() {
    if (!history_ || !history_->startReplay()) return false;
    chain_.appendPendingText(audio::kReplayStartText);
    return true;
}

// ---- modes ----------------------------------------------------------------------------------

bool Station::selectMode(Mode newMode) {
    const Mode oldMode = mode();
    if (!chain_.selectMode(newMode)) return false;
    if (newMode != oldMode) log_->qso().stamp();  // logbook: the QSO's mode changed
    transmitter_.setMode(newMode);
    multichannel_.setMode(newMode);
    settings_.misc.mode = modem::storedMode(newMode);
    if (newMode == Mode::Pactor) settings_.misc.phaseScope = 0;
    if (newMode != Mode::Fsk63) multichannel_.clearAll();
    link_->announceGroups(link::kGroupQso);
    host_.statusChanged();
    return true;
}

void Station::setInvertedQpsk(bool inverted) {
    settings_.misc.invQpsk = inverted ? 1 : 0;
    chain_.setInvertedQpsk(inverted);
    transmitter_.setInvertedQpsk(inverted);
    host_.statusChanged();
}

// ---- text -----------------------------------------------------------------------------------

bool Station::nextTransmitCharacter(uint8_t& ch) {
    if (state_ != OperatingState::Transmitting) return false;
    const auto next = transmitText_.nextTransmitCharacter();
    if (!next) return false;
    ch = *next;
    return true;
}

void Station::announce(std::string_view text) {
    showReceived(text);
}

void Station::clearTransmitWindow() {
    transmitText_.clear();
    host_.transmitWindowCleared();
}

void Station::flushReceivedText() {
    const std::string& pending = chain_.pendingText();
    if (pending.empty() || host_.receiveWindowHasFocus()) return;
    chain_.squelch().setEnabled(settings_.sound.squelch != 0);
    if (chain_.textPasses(state_ == OperatingState::Transmitting)) showReceived(pending);
    chain_.clearPendingText();
}

void Station::showReceived(std::string_view text) {
    if (text.empty()) return;
    receiveText_.appendReceivedText(text);
    if (rxLog_ != nullptr) {
        std::fwrite(text.data(), 1, text.size(), rxLog_);
        std::fflush(rxLog_);
    }
    host_.receivedTextShown(text);
}

void Station::appendDirect(char c) {
    showReceived(std::string_view(&c, 1));
}

}  // namespace tarnvel::app
