#include "app/StationRadio.h"

#include <algorithm>
#include <cstdio>

#include "app/Station.h"
#include "app/StationLink.h"
#include "display/FrequencyScale.h"
#include "radio/CivFrame.h"

namespace tarnvel::app {

StationRadio::StationRadio(Station& station, StationHost& host)
    : station_(station), host_(host), serial_(port_, {}) {}

StationRadio::~StationRadio() {
    close();
}

radio::StoredPortSettings StationRadio::storedSettings() const {
    const Settings::PortSettings& p = station_.settings().port;
    radio::StoredPortSettings s;
    s.number = p.number;
    s.device = p.device.value();
    s.serialSpeed = p.serialSpeed;
    s.rtsAsPtt = p.rtsAsPtt;
    s.dtrAsPtt = p.dtrAsPtt;
    s.useIcomCiv = p.useIcomCiv;
    s.icomAddr = p.icomAddr;
    s.fourband = p.fourband;
    s.rigModel = p.rigModel;
    s.rigDevice = p.rigDevice.value();
    s.rigSpeed = p.rigSpeed;
    s.rigPtt = p.rigPtt;
    return s;
}

void StationRadio::open() {
    close();
    const radio::StoredPortSettings stored = storedSettings();
    plan_ = radio::planPort(stored, radio::PortList::scan(stored.device));
    for (const std::string& problem : plan_.problems)
        host_.showMessage(problem, kErrorCaption, MessageKind::Warning);
    lastProblem_.clear();
    lastReported_.clear();
    switch (plan_.kind) {
        case radio::PortKind::None: link_ = RadioLink::None; break;
        case radio::PortKind::Serial: openSerial(); break;
        case radio::PortKind::External: startRig(); break;
    }
}

void StationRadio::openSerial() {
    for (;;) {
        const radio::SerialResult opened = port_.open(plan_.device, plan_.baud);
        if (opened) break;
        lastProblem_ = opened.message;
        if (!askRetry(plan_.device)) {
            giveUpPort();
            return;
        }
    }
    serial_.configure(plan_.radio);
    link_ = RadioLink::Serial;
    if (!port_.hasModemLines()) {
        // A pty or a CI-V-only link: it can still carry frames, but never key anything.
        lastProblem_ = plan_.device + kNoModemLinesMessage;
        host_.showMessage(lastProblem_, kErrorCaption, MessageKind::Warning);
        return;
    }
    reportSerial(serial_.setBandLines(bandListPosition()));
}

void StationRadio::startRig() {
    rigHz_.reset();
    ticksToRead_ = kDialReadTicks;
    link_ = RadioLink::RigStarting;
    rig_.start(plan_.rig);
}

bool StationRadio::askRetry(const std::string& name) {
    char text[512];
    std::snprintf(text, sizeof text, kErrorOpeningFormat, name.c_str());
    return host_.askYesNo(text, "");
}

// The operator declined to try again: the station runs without a port from now on.
void StationRadio::giveUpPort() {
    station_.settings().port.number = 0;
    plan_.kind = radio::PortKind::None;
    plan_.radio.portInUse = false;
    serial_.configure(plan_.radio);
    link_ = RadioLink::None;
}

void StationRadio::close() {
    // Both release the transmitter before anything else.
    if (port_.isOpen()) port_.close();
    rig_.stop();
    while (rig_.nextEvent()) {
    }
    link_ = RadioLink::None;
    rigHz_.reset();
}

void StationRadio::applySettings(const radio::StoredPortSettings& stored) {
    if (station_.state() == OperatingState::Transmitting) station_.goReceive();
    close();
    Settings::PortSettings& p = station_.settings().port;
    p.number = stored.number;
    p.device = stored.device;
    p.serialSpeed = stored.serialSpeed;
    p.rtsAsPtt = stored.rtsAsPtt;
    p.dtrAsPtt = stored.dtrAsPtt;
    p.useIcomCiv = stored.useIcomCiv;
    p.icomAddr = stored.icomAddr;
    p.fourband = stored.fourband;
    p.rigModel = stored.rigModel;
    p.rigDevice = stored.rigDevice;
    p.rigSpeed = stored.rigSpeed;
    p.rigPtt = stored.rigPtt;
    open();
    setPtt(false);
    applyBand();
    host_.frequencyChanged();
}

void StationRadio::setPtt(bool on) {
    ptt_ = on;
    host_.setPtt(on);
    switch (link_) {
        case RadioLink::Serial:
            if (port_.hasModemLines()) reportSerial(serial_.setPtt(on));
            break;
        case RadioLink::RigStarting:
        case RadioLink::RigReady:
            rig_.setPtt(on);
            break;
        case RadioLink::None:
        case RadioLink::Lost:
            break;
    }
    station_.link().announceGroups(link::kGroupPtt);
}

void StationRadio::applyBand() {
    const double khz = currentBandKHz();
    switch (link_) {
        case RadioLink::Serial:
            if (port_.hasModemLines()) reportSerial(serial_.setBandLines(bandListPosition()));
            reportSerial(serial_.sendCivFrequency(khz));
            break;
        case RadioLink::RigStarting:
        case RadioLink::RigReady:
            if (const auto hz = radio::civHertzFromKhz(khz); hz && *hz > 0) rig_.setFrequency(*hz);
            break;
        case RadioLink::None:
        case RadioLink::Lost:
            break;
    }
    // The band's frequency is published with the QSO.
    station_.link().announceGroups(link::kGroupQso | link::kGroupKhz);
}

// The position of the current page in the band list the "Fourband" interface offers.
int StationRadio::bandListPosition() const {
    const std::vector<int> listed =
        display::BandPages::listedPages(station_.settings().port.fourband);
    const auto found =
        std::find(listed.begin(), listed.end(), station_.bandPages().currentIndex());
    return found == listed.end() ? 0 : static_cast<int>(found - listed.begin());
}

double StationRadio::currentBandKHz() const {
    const display::BandPages& pages = station_.bandPages();
    return display::BandPages::parseFrequency(pages.page(pages.currentIndex()).frequency);
}

bool StationRadio::canKey() const {
    if (link_ == RadioLink::RigReady) return true;
    return link_ == RadioLink::Serial && port_.hasModemLines() &&
           plan_.radio.fourband != radio::Fourband::FourBands;
}

std::optional<double> StationRadio::rigDialKHz() const {
    if (plan_.kind != radio::PortKind::External || !rigHz_) return std::nullopt;
    return static_cast<double>(*rigHz_) / 1000.0;
}

double StationRadio::dialFrequencyKHz(int freqMode) const {
    if (freqMode == display::kFreqModeAudio) return 0.0;
    if (const auto rig = rigDialKHz()) return *rig;
    return station_.bandPages().dialFrequencyKHz(freqMode);
}

}  // namespace tarnvel::app
