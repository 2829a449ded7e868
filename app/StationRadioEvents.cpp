// What the radio reports back to the station: the rig thread's answers, a serial device that
// went away, and the failures of single commands.

#include "app/Station.h"
#include "app/StationRadio.h"

namespace tarnvel::app {

void StationRadio::onTimerTick() {
    handleRigEvents();
    checkSerialLoss();
    if (link_ == RadioLink::RigReady && --ticksToRead_ <= 0) {
        ticksToRead_ = kDialReadTicks;
        rig_.readFrequency();
    }
}

void StationRadio::handleRigEvents() {
    while (const std::optional<radio::RigEvent> event = rig_.nextEvent()) handleRigEvent(*event);
}

void StationRadio::handleRigEvent(const radio::RigEvent& event) {
    switch (event.kind) {
        case radio::RigEventKind::Opened:
            if (link_ == RadioLink::RigStarting) link_ = RadioLink::RigReady;
            rig_.readFrequency();
            break;
        case radio::RigEventKind::OpenFailed:
            lastProblem_ = event.message;
            rig_.stop();
            if (askRetry(plan_.rig.device.empty() ? "rig model " + std::to_string(plan_.rig.model)
                                                  : plan_.rig.device)) {
                startRig();
                // What the station asked of the rig meanwhile is asked again.
                if (ptt_) rig_.setPtt(true);
            } else {
                giveUpPort();
            }
            break;
        case radio::RigEventKind::Frequency:
        case radio::RigEventKind::FrequencySet:
            if (rigHz_ != event.hz) {
                rigHz_ = event.hz;
                host_.frequencyChanged();
            }
            break;
        case radio::RigEventKind::PttSet:
            break;
        case radio::RigEventKind::CommandFailed:
            reportOnce(event.message);
            break;
        case radio::RigEventKind::Lost:
            lose(event.message);
            break;
    }
}

void StationRadio::checkSerialLoss() {
    if (link_ != RadioLink::Serial || !port_.lost()) return;
    const std::optional<std::string> message = port_.takeLostMessage();
    lose(message.value_or(plan_.device + " went away"));
}

void StationRadio::lose(const std::string& message) {
    if (link_ == RadioLink::Lost || link_ == RadioLink::None) return;
    link_ = RadioLink::Lost;
    lastProblem_ = message;
    if (port_.isOpen()) port_.close();
    // Back to receive before the message: a modal box must not hold a transmission open.
    if (station_.state() == OperatingState::Transmitting) station_.goReceive();
    host_.showMessage(message, kErrorCaption, MessageKind::Error);
}

// One message for a run of the same failure (a rig that declines every band pick, say).
void StationRadio::reportOnce(const std::string& message) {
    lastProblem_ = message;
    if (message == lastReported_) return;
    lastReported_ = message;
    host_.showMessage(message, kErrorCaption, MessageKind::Warning);
}

void StationRadio::reportSerial(const radio::SerialResult& result) {
    if (result.ok()) return;
    // A device that went away is reported once, by the next tick.
    if (port_.lost() || result.error == radio::SerialError::DeviceLost) return;
    reportOnce(result.message);
}

}  // namespace tarnvel::app
