#include "cli/RadioOptions.h"

#include <algorithm>

#include "radio/CivFrame.h"
#include "radio/PortList.h"
#include "radio/PortSettings.h"

namespace tarnvel::cli {
namespace {

bool isFlag(std::string_view name) {
    return name == "--rts" || name == "--dtr";
}

bool belongsTo(std::string_view name, RadioUse use) {
    if (name == "--rig") return true;
    if (use == RadioUse::Ptt) return name == "--serial" || isFlag(name);
    return name == "--civ" || name == "--address" || name == "--speed";
}

std::optional<Problem> applyOption(std::string_view name, const std::string& value,
                                   RadioTarget& target) {
    if (name == "--serial") {
        target.serial = value;
    } else if (name == "--civ") {
        target.civ = value;
    } else if (name == "--rts") {
        target.rts = true;
    } else if (name == "--dtr") {
        target.dtr = true;
    } else if (name == "--address") {
        const radio::CivAddressInput address = radio::parseCivAddress(value);
        if (!address.address) return Problem{"--address", address.error};
        target.civAddress = *address.address;
    } else if (name == "--speed") {
        const radio::SerialSpeedInput speed = radio::parseSerialSpeed(value);
        if (!speed.error.empty()) return Problem{"--speed", speed.error};
        target.civSpeed = speed.baud;
    } else if (name == "--rig") {
        radio::RigOption rig = radio::parseRigOption(value);
        if (!rig.settings) return Problem{"--rig", rig.error};
        target.rig = rig.settings;
    }
    return std::nullopt;
}

std::optional<Problem> checkTogether(const RadioTarget& target) {
    const int ways = (target.serial ? 1 : 0) + (target.civ ? 1 : 0) + (target.rig ? 1 : 0);
    if (ways > 1) return Problem{"--rig", "give one way to reach the radio, not several"};
    if ((target.rts || target.dtr) && !target.serial)
        return Problem{target.rts ? "--rts" : "--dtr", "needs --serial"};
    return std::nullopt;
}

}  // namespace

std::optional<Problem> takeRadioOptions(std::vector<std::string_view>& args, RadioUse use,
                                        RadioTarget& target) {
    std::vector<std::string_view> rest;
    std::vector<std::string_view> seen;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view name = args[i];
        std::optional<std::string_view> value;
        if (const std::size_t eq = name.find('='); name.starts_with("--") && eq != name.npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (name == "--") {  // the rest is plain arguments
            rest.insert(rest.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
            break;
        }
        if (!belongsTo(name, use)) {
            rest.push_back(args[i]);
            continue;
        }
        if (std::find(seen.begin(), seen.end(), name) != seen.end())
            return Problem{std::string(name), "given more than once"};
        seen.push_back(name);
        if (isFlag(name)) {
            if (value) return Problem{std::string(name), "takes no value"};
        } else if (!value) {
            if (i + 1 >= args.size()) return Problem{std::string(name), "needs a value"};
            value = args[++i];
        }
        if (auto problem = applyOption(name, std::string(value.value_or("")), target))
            return problem;
    }
    args = std::move(rest);
    return checkTogether(target);
}

void storeRadioTarget(const RadioTarget& target, app::Settings& settings) {
    app::Settings::PortSettings& port = settings.port;
    port.fourband = 0;
    if (target.serial) {
        port.number = 1;
        port.device = *target.serial;
        port.rtsAsPtt = target.keysRts() ? 1 : 0;
        port.dtrAsPtt = target.keysDtr() ? 1 : 0;
        port.useIcomCiv = 0;
    } else if (target.rig) {
        port.number = 1;
        port.device = radio::kExternalDeviceKey;
        port.rigModel = target.rig->model;
        port.rigDevice = target.rig->device;
        port.rigSpeed = target.rig->speed;
        port.rigPtt = static_cast<int>(radio::PttMethod::Cat);
    } else {
        port.number = 0;
    }
}

}  // namespace tarnvel::cli
