// The station's event side: the sound card's events, the received blocks, the played
// buffers and the 300 ms timer with its rules in their order.

#include <algorithm>
#include <cmath>

#include "app/ReceiveCatchUp.h"
#include "app/Station.h"
#include "app/StationLink.h"
#include "app/StationRadio.h"
#include "display/SpectrumWindow.h"

namespace tarnvel::app {
namespace {

// Sound events handled in one go, so that a card that answers every played buffer at once
// (loopback) cannot keep the station from its timer.
constexpr int kEventsPerBatch = 256;
// A station that fell this many periods behind runs one tick and starts counting afresh,
// as a window timer coalesces missed ticks.
constexpr int kMaxLateTicks = 3;

}  // namespace

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
    const std::string detail = card_.failureDetail(event.direction);  // the USB device's
    const audio::SoundResult failure{event.error,
                                     detail.empty() ? audio::soundErrorText(event.error) : detail};
    if (event.direction == audio::SoundDirection::Output) {
        if (state_ == OperatingState::Transmitting) {
            abandonTransmit(std::string(kSoundCardStoppedMessage) + kOutputStreamName, failure);
        } else {
            card_.closeOutput();
        }
        return;
    }
    card_.stopInput();
    if (state_ == OperatingState::Receiving) {
        changeState(OperatingState::Stopped);
        reportSoundFailure(std::string(kSoundCardStoppedMessage) + kInputStreamName, failure);
        recovery_.begin(clock_.now());
    }
}

void Station::onInputBlock(const int16_t* samples, size_t count) {
    if (collector_.collect(samples, count)) runSpectrumRow();
    if (history_ && history_->replaying()) replayHistory();
    // During a replay the live block reaches the receiver later, through the history.
    if (!history_ || !history_->replaying())
        chain_.processReceiveBlock(std::span<const int16_t>(samples, count),
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
        chain_.processReceiveBlock(chunk, modem::ReceiveChain::kDemodulate);
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
    catchUp_->channels().addRow(row_);  // where signals began, for the catch-up
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
            abandonTransmit(kCannotPlayMessage, played);
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
    link_->service();
    imd_.timerTick(activeZeroRun());
    chain_.onTimerTick();
    multichannel_.onStationTimer(clock_.now());

    if (outputWatchdog_ == 1 && state_ == OperatingState::Transmitting) {
        // No buffer came back since the output started: start it again.
        card_.closeOutput();
        audio::SoundResult reopened = card_.openOutput();
        if (reopened.ok()) reopened = primeOutput();
        if (!reopened.ok()) {
            abandonTransmit(kCannotOpenOutputMessage, reopened);
        } else {
            outputWatchdog_ = kOutputWatchdogTicks;
            ++watchdogReopens_;
        }
    }
    if (outputWatchdog_ > 0) --outputWatchdog_;

    retryReceiveIfDue();
    host_.statusChanged();
    if (settings_.sound.afc != 0 && state_ == OperatingState::Receiving && !replaying_)
        afcStep(modem::ReceiveChain::kAfcGain);
    host_.checkExternalProgram();
    radio_->onTimerTick();  // the radio: the rig's answers, a lost port
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
