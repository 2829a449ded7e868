#include "radio/PortSettings.h"

#include <charconv>

#include "radio/CivFrame.h"
#include "radio/SerialPort.h"

namespace tarnvel::radio {

namespace {

std::string badValue(const char* key, int value, const std::string& instead) {
    return "The setting \"" + std::string(key) + "\" = " + std::to_string(value) +
           " is not valid; " + instead + " is used";
}

void planSerialRadio(const StoredPortSettings& stored, PortPlan& plan) {
    plan.radio.rtsAsPtt = stored.rtsAsPtt != 0;
    plan.radio.dtrAsPtt = stored.dtrAsPtt != 0;
    plan.radio.useIcomCiv = stored.useIcomCiv != 0;
    if (const auto fourband = fourbandFromSetting(stored.fourband)) {
        plan.radio.fourband = *fourband;
    } else {
        plan.problems.push_back(badValue("Fourband", stored.fourband, "0 (no band lines)"));
    }
    if (civAddressProblem(stored.icomAddr).empty()) {
        plan.radio.icomAddr = static_cast<uint8_t>(stored.icomAddr);
    } else {
        plan.problems.push_back(badValue("IcomAddr", stored.icomAddr, "04"));
    }
    if (isSupportedSerialSpeed(stored.serialSpeed)) {
        plan.baud = stored.serialSpeed;
    } else {
        plan.problems.push_back(badValue("SerialSpeed", stored.serialSpeed, "1200"));
    }
}

void planRig(const StoredPortSettings& stored, PortPlan& plan) {
    plan.rig.model = stored.rigModel;
    plan.rig.device = stored.rigDevice;
    plan.rig.speed = stored.rigSpeed > 0 ? stored.rigSpeed : 0;
    if (const auto ptt = pttMethodFromSetting(stored.rigPtt)) {
        plan.rig.ptt = *ptt;
    } else {
        plan.problems.push_back(badValue("RigPtt", stored.rigPtt, "0 (CAT)"));
    }
}

}  // namespace

PortPlan planPort(const StoredPortSettings& stored, const PortList& ports) {
    PortPlan plan;
    planSerialRadio(stored, plan);
    planRig(stored, plan);
    const PortChoice& choice = ports.at(ports.positionOf(stored.number, stored.device));
    plan.kind = choice.kind;
    plan.device = choice.device;
    plan.radio.portInUse = choice.kind == PortKind::Serial;
    return plan;
}

SerialSpeedInput parseSerialSpeed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
        return {0, "The serial speed \"" + std::string(text) + "\" is not a whole number"};
    }
    if (value == 0) return {kDefaultSerialSpeed, {}};
    if (!isSupportedSerialSpeed(value)) {
        return {0, "The serial speed " + std::to_string(value) +
                       " baud is not one a serial port can be set to"};
    }
    return {value, {}};
}

}  // namespace tarnvel::radio
