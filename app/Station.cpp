#include "app/Station.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/UserFolders.h"
#include "audio/SampleRates.h"
#include "audio/WavFile.h"
#include "display/SpectrumWindow.h"

namespace tarnvel::app {
namespace {

// Marks a retune made with Shift held in the receive text.
constexpr const char* kTuningSeparator = "\r\n...";
// Shown when a running stream stops on its own (server gone, device unplugged).
constexpr const char* kSoundCardStoppedMessage = "Sound card stopped: ";
// Sound events handled in one go, so that a card that answers every played buffer at once
// (loopback) cannot keep the station from its timer.
constexpr int kEventsPerBatch = 256;
// A station that fell this many periods behind runs one tick and starts counting afresh,
// as a window timer coalesces missed ticks.
constexpr int kMaxLateTicks = 3;

}  // namespace

Station::Station(SettingsStore& store, audio::SoundCard& card, StationHost& host,
                 StationClock& clock, StationOptions options)
    : store_(store),
      settings_(store),
      card_(card),
      host_(host),
      clock_(clock),
      options_(std::move(options)),
      chain_(modem::kNominalSampleRate, modem::modeFromStored(settings_.misc.mode)),
      transmitter_(*this),
      receiveText_(options_.keepAllReceivedText),
      transmitText_(settings_.misc.simpleTxEdit1 != 0) {
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
    multichannel_.setMode(chain_.mode());
    const double lastFq = settings_.sound.lastFq;
    setFrequency(
        std::isfinite(lastFq) && lastFq > 0 ? lastFq : modem::PskModulator::kDefaultCarrierHz,
        kSetBoth, false);
    if (settings_.misc.rxLogOpen != 0) openReceiveLog(settings_.misc.rxLogFile.value());

    card_.setConfig(audio::SoundCardConfig{
        settings_.soundDevice.mixerDevice, settings_.soundDevice.mixerDeviceOut,
        settings_.misc.soundSampleRate, card_.config().forcedDeviceRate});
    const bool open = openInput();
    changeState(open ? OperatingState::Receiving : OperatingState::Stopped);
    if (!open) reportSoundCardUnavailable();
    clock_.sleepFor(kPttReleasePauseMs);
    host_.setPtt(false);
    started_ = true;
    nextTickAt_ = clock_.now() + kTimerPeriodMs;
    return open;
}

void Station::shutdown() {
    if (!started_ || shutDown_) return;
    shutDown_ = true;
    soundOff();
    started_ = false;
    if (rxLog_ != nullptr) {
        // "RxLogOpen" stays set: the log is reopened at the next start.
        std::fclose(rxLog_);
        rxLog_ = nullptr;
    }
    if (!settings_.saveAll())
        host_.showMessage(store_.lastError(), kErrorCaption, MessageKind::Error);
}

bool Station::applySampleRate(int nominal) {
    if (nominal < kMinNominalRate || nominal > kMaxNominalRate) return false;
    settings_.misc.soundSampleRate = nominal;
    const audio::SampleRates rates =
        audio::sampleRates(nominal, settings_.misc.rateCorrRx, settings_.misc.rateCorrTx);
    chain_.setSampleRate(rates.rx);
    transmitter_.setSampleRate(rates.tx);
    multichannel_.setSampleRate(nominal);
    audio::SoundCardConfig config = card_.config();
    config.nominalRate = nominal;
    card_.setConfig(config);
    if (history_) makeHistory(nominal);
    return true;
}

void Station::makeHistory(double rate) {
    history_.reset();
    const int seconds = settings_.misc.soundHistory;
    if (seconds >= 1 && seconds <= audio::kMaxHistorySeconds)
        history_ =
            std::make_unique<audio::HistoryRing>(audio::HistoryRing::capacityFor(seconds, rate));
}

bool Station::setSoundHistoryLength(int seconds) {
    if (seconds > audio::kMaxHistorySeconds) {
        host_.showMessage(kTooBigMessage, "", MessageKind::Warning);
        return false;
    }
    settings_.misc.soundHistory = std::max(0, seconds);
    makeHistory(chain_.sampleRate());
    return true;
}

bool Station::canSaveSoundHistory() const {
    return settings_.misc.soundHistory >= 1 && history_ != nullptr;
}

std::optional<SoundHistoryCopy> Station::copySoundHistory() const {
    if (!canSaveSoundHistory()) return std::nullopt;
    return SoundHistoryCopy{history_->oldestFirst(), static_cast<int>(chain_.sampleRate())};
}

bool Station::saveSoundHistory(const SoundHistoryCopy& copy, const std::string& fileName) {
    const int error = audio::writeWavFileSafely(copy.samples.data(), copy.rate,
                                                static_cast<int>(copy.samples.size()), fileName, 0);
    if (error == 0) return true;
    host_.showMessage(kCannotWriteMessage + fileName + ": " + std::strerror(error), kErrorCaption,
                      MessageKind::Error);
    return false;
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

void Station::reportSoundCardUnavailable() {
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
        reportSoundFailure("Cannot open the sound card output", opened);
        const bool open = imd_.measuring() ? card_.inputOpen() : openInput();
        changeState(open ? OperatingState::Receiving : OperatingState::Stopped);
        if (!open) reportSoundCardUnavailable();
        host_.setPtt(false);
        return;
    }
    changeState(OperatingState::Transmitting);
    appendDirect('\r');
    host_.setPtt(true);
    clock_.sleepFor(kPttKeyPauseMs);
    outputWatchdog_ = kOutputWatchdogTicks;
    const audio::SoundResult primed = primeOutput();
    if (!primed.ok()) abandonTransmit("Cannot play on the sound card", primed);
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
        if (!closed.ok()) reportSoundFailure("The transmission was not stored", closed);
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
    host_.setPtt(false);
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
    changeState(OperatingState::Stopped);
    card_.stopInput();
    transmitter_.stopTransmission();
    const audio::SoundResult closed = card_.closeOutput();
    if (!closed.ok()) reportSoundFailure("The transmission was not stored", closed);
    clock_.sleepFor(kPttReleasePauseMs);
    host_.setPtt(false);
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
    goReceive();
}

void Station::escapeCommand() {
    if (settings_.misc.clearOnEsc != 0) clearTransmitWindow();
    goReceive();
}

void Station::setImdMeasuring(bool on) {
    if (imd_.measuring() != on) imd_.toggleMeasuring();
}

// ---- frequencies ----------------------------------------------------------------------------

bool Station::setFrequency(double hz, int which, bool addSeparator) {
    if (!std::isfinite(hz) || hz <= 0.0) return false;
    if ((which & kSetTransmit) != 0 && !txLocked_) {
        txFrequency_ = hz;
        settings_.sound.lastFq = static_cast<float>(hz);
        const double offset = settings_.sound.offset;
        transmitter_.setTransmitFrequency(settings_.view.freqMode == 2 ? hz - offset : hz + offset);
    }
    if ((which & kSetReceive) != 0) {
        chain_.setReceiveFrequency(hz, /*operatorRetune=*/true);
        if (addSeparator && !receiveText_.text().empty()) chain_.pendingText() += kTuningSeparator;
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
    chain_.pendingText() += audio::kReplayStartText;
    return true;
}

// ---- modes ----------------------------------------------------------------------------------

bool Station::selectMode(Mode newMode) {
    if (!chain_.selectMode(newMode)) return false;
    transmitter_.setMode(newMode);
    multichannel_.setMode(newMode);
    settings_.misc.mode = modem::storedMode(newMode);
    if (newMode == Mode::Pactor) settings_.misc.phaseScope = 0;
    if (newMode != Mode::Fsk63) multichannel_.clearAll();
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
    std::string& pending = chain_.pendingText();
    if (pending.empty() || host_.receiveWindowHasFocus()) return;
    chain_.squelch().setEnabled(settings_.sound.squelch != 0);
    if (chain_.textPasses(state_ == OperatingState::Transmitting)) showReceived(pending);
    pending.clear();
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

bool Station::openReceiveLog(const std::string& fileName) {
    if (rxLog_ != nullptr) return true;
    std::FILE* file = std::fopen(fileName.c_str(), "ab");
    if (file == nullptr) {
        host_.showMessage(kCannotOpenMessage + fileName, "", MessageKind::Warning);
        settings_.misc.rxLogOpen = 0;
        return false;
    }
    rxLog_ = file;
    settings_.misc.rxLogOpen = 1;
    settings_.misc.rxLogFile = fileName;
    return true;
}

void Station::closeReceiveLog() {
    if (rxLog_ != nullptr) std::fclose(rxLog_);
    rxLog_ = nullptr;
    settings_.misc.rxLogOpen = 0;
}

// ---- sound events ---------------------------------------------------------------------------

int Station::pump(StationMs timeoutMs) {
    const StationMs deadline = clock_.now() + std::max<StationMs>(timeoutMs, 0);
    const int ticksBefore = tickCount_;
    int handled = handleSoundEvents();
    runDueTicks();
    while (handled == 0 && tickCount_ == ticksBefore) {
        const StationMs now = clock_.now();
        if (now >= deadline) break;
        StationMs wait = deadline - now;
        if (started_) wait = std::min(wait, std::max<StationMs>(nextTickAt_ - now, 0));
        const bool pending = clock_.waitForEvents(card_.events(), wait);
        // A clock that follows the audio does not move while none comes: give up the wait.
        if (!pending && clock_.now() == now) break;
        handled += handleSoundEvents();
        runDueTicks();
    }
    return handled;
}

bool Station::runUntil(const std::function<bool()>& done, StationMs timeoutMs) {
    const StationMs deadline = clock_.now() + timeoutMs;
    while (!done()) {
        const StationMs now = clock_.now();
        if (now >= deadline) return false;
        pump(deadline - now);
    }
    return true;
}

int Station::handleSoundEvents() {
    int handled = 0;
    while (handled < kEventsPerBatch) {
        const std::optional<audio::SoundEvent> event = card_.events().next();
        if (!event) break;
        ++handled;
        handleEvent(*event);
        runDueTicks();
    }
    return handled;
}

void Station::runDueTicks() {
    if (!started_) return;
    const StationMs now = clock_.now();
    if (now - nextTickAt_ >= kMaxLateTicks * kTimerPeriodMs) nextTickAt_ = now;
    while (started_ && now >= nextTickAt_) {
        nextTickAt_ += kTimerPeriodMs;
        onTimerTick();
    }
}

void Station::handleEvent(const audio::SoundEvent& event) {
    switch (event.kind) {
        case audio::SoundEventKind::InputBlockReady:
            while (card_.inputOpen() && card_.readInputBlock(audio::InputBlock(block_))) {
                onInputBlock(block_.data(), block_.size());
                runDueTicks();
            }
            break;
        case audio::SoundEventKind::OutputBufferDone:
            onOutputBufferDone(event.buffer);
            break;
        case audio::SoundEventKind::InputEnded:
            inputEnded_ = true;
            break;
        case audio::SoundEventKind::DeviceFailed:
            handleDeviceFailure(event);
            break;
    }
}

void Station::handleDeviceFailure(const audio::SoundEvent& event) {
    const audio::SoundResult failure{event.error, audio::soundErrorText(event.error)};
    if (event.direction == audio::SoundDirection::Output) {
        if (state_ == OperatingState::Transmitting) {
            abandonTransmit(kSoundCardStoppedMessage + std::string("output"), failure);
        } else {
            card_.closeOutput();
        }
        return;
    }
    card_.stopInput();
    if (state_ == OperatingState::Receiving) {
        changeState(OperatingState::Stopped);
        reportSoundFailure(kSoundCardStoppedMessage + std::string("input"), failure);
    }
}

void Station::onInputBlock(const int16_t* samples, size_t count) {
    if (collector_.collect(samples, count)) runSpectrumRow();
    if (history_ && history_->replaying()) replayHistory();
    // During a replay the live block reaches the receiver later, through the history.
    if (!history_ || !history_->replaying())
        chain_.processReceiveBlock(samples, static_cast<unsigned>(count * sizeof(int16_t)),
                                   modem::ReceiveChain::kDemodulate);
    if (history_) history_->append(std::span<const int16_t>(samples, count));
    if (settings_.misc.multichannelWindow != 0 && modem::runsMultichannel(mode()))
        multichannel_.processBlock(samples, count);
    flushReceivedText();
    clock_.inputSamples(count);
}

void Station::replayHistory() {
    while (history_->replaying()) {
        const std::span<const int16_t> chunk = history_->replayChunk();
        if (chunk.empty()) {
            history_->cancelReplay();
            break;
        }
        replaying_ = true;
        chain_.processReceiveBlock(chunk.data(),
                                   static_cast<unsigned>(chunk.size() * sizeof(int16_t)),
                                   modem::ReceiveChain::kDemodulate);
        replaying_ = false;
        if (settings_.sound.afc != 0) afcStep(modem::ReceiveChain::kAfcGain);
        history_->finishReplayChunk();
        // The timer keeps running between chunks, without moving the frequency.
        replaying_ = true;
        runDueTicks();
        replaying_ = false;
    }
}

void Station::runSpectrumRow() {
    analyser_.analyseBlock(collector_.block(),
                           display::spectrumWindowFromSetting(settings_.misc.fftWindow), row_);
    spectrumHistory_.addRow(row_);
    imd_.measure(spectrumHistory_, chain_.afcBin(), mode(), chain_.sampleRate());
    multichannel_.onSpectrumRow(spectrumHistory_, clock_.now());
    collector_.clearBlockReady();
    host_.spectrumRowReady();
}

void Station::onOutputBufferDone(int buffer) {
    outputWatchdog_ = 0;
    if (state_ != OperatingState::Transmitting || buffer < 0 ||
        buffer >= audio::kOutputBuffersInFlight)
        return;
    audio::OutputBuffer samples = card_.outputBuffer(buffer);
    if (transmitter_.fillOutputBuffer(buffer, samples.data(), samples.size())) {
        const audio::SoundResult played = card_.playBuffer(buffer);
        if (!played.ok()) {
            abandonTransmit("Cannot play on the sound card", played);
            return;
        }
    }
    flushReceivedText();
    if (transmissionOver_) {
        transmissionOver_ = false;
        ++transmissionsCompleted_;
        goReceive();
    }
}

// ---- the timer ------------------------------------------------------------------------------

int32_t Station::activeZeroRun() const {
    const modem::ModeInfo info = modem::modeInfo(mode());
    if (info.receiver != modem::ModeReceiverKind::Psk) return 0;
    return info.coding == modem::ModeCoding::Qpsk ? chain_.qpskDecoder().zeroRun
                                                  : chain_.varicodeDecoder().zeroRun;
}

void Station::firstTick() {
    firstTickDone_ = true;
    selectMode(modem::modeFromStored(settings_.misc.mode));
    receiveText_.clear();
    host_.receiveWindowCleared();
    if (settings_.station.call.value().empty()) host_.openStationDialog();
}

void Station::onTimerTick() {
    if (!firstTickDone_) firstTick();
    ++tickCount_;
    imd_.timerTick(activeZeroRun());
    applyReceiveSettings();
    chain_.onTimerTick();
    multichannel_.onStationTimer(clock_.now());

    if (outputWatchdog_ == 1 && state_ == OperatingState::Transmitting) {
        // No buffer came back since the output started: start it again.
        card_.closeOutput();
        audio::SoundResult reopened = card_.openOutput();
        if (reopened.ok()) reopened = primeOutput();
        if (!reopened.ok()) {
            abandonTransmit("Cannot open the sound card output", reopened);
        } else {
            outputWatchdog_ = kOutputWatchdogTicks;
            ++watchdogReopens_;
        }
    }
    if (outputWatchdog_ > 0) --outputWatchdog_;

    host_.statusChanged();
    if (settings_.sound.afc != 0 && state_ == OperatingState::Receiving && !replaying_)
        afcStep(modem::ReceiveChain::kAfcGain);
    host_.checkExternalProgram();
}

void Station::afcStep(double gain) {
    const int bin = chain_.afcBin();
    const double snr = display::signalToNoise(spectrumHistory_, mode(), bin, chain_.sampleRate());
    // A figure that is not a number never opens the gate.
    const int figure = std::isfinite(snr) ? static_cast<int>(std::clamp(snr, -1000.0, 1000.0)) : 0;
    const modem::AfcOutcome outcome = chain_.afcStep(figure, gain);
    if (!outcome.moved) return;
    setFrequency(outcome.frequency, kSetTransmit, false);
}

}  // namespace tarnvel::app
