#pragma once
// The stored "Port" settings turned into what the radio needs, with every value checked:
// a bad stored value is named in `problems` and replaced by its default, never used as is.
//
// Keys of section "Port": "Number", "SerialSpeed", "RtsAsPtt", "DtrAsPtt", "UseIcomCIV",
// "IcomAddr", "Fourband", and the keys below, added for device names and Hamlib.

#include <string>
#include <string_view>
#include <vector>

#include "radio/PortList.h"
#include "radio/RigSettings.h"
#include "radio/SerialRadio.h"

namespace tarnvel::radio {

namespace port_key {
inline constexpr const char* kDevice = "Device";        // device path, or "External"
inline constexpr const char* kRigModel = "RigModel";    // Hamlib model number
inline constexpr const char* kRigDevice = "RigDevice";  // rig's serial device or host:port
inline constexpr const char* kRigSpeed = "RigSpeed";    // 0: the model's default
inline constexpr const char* kRigPtt = "RigPtt";        // 0 CAT, 1 RTS, 2 DTR
}  // namespace port_key

inline constexpr int kDefaultSerialSpeed = 1200;

// The values as stored (the station reads them from its settings store).
struct StoredPortSettings {
    int number = 0;
    std::string device;
    int serialSpeed = kDefaultSerialSpeed;
    int rtsAsPtt = 1;
    int dtrAsPtt = 1;
    int useIcomCiv = 0;
    int icomAddr = 4;
    int fourband = 0;
    int rigModel = kHamlibNetRigctlModel;
    std::string rigDevice = "localhost:4532";
    int rigSpeed = 0;
    int rigPtt = 0;
};

// What to open and how to drive it.
struct PortPlan {
    PortKind kind = PortKind::None;
    std::string device;  // for Serial
    int baud = kDefaultSerialSpeed;
    SerialRadioSettings radio;  // portInUse only for Serial
    RigSettings rig;            // for External
    std::vector<std::string> problems;
};

PortPlan planPort(const StoredPortSettings& stored, const PortList& ports);

// The speed box of the port dialog: decimal text; 0 stands for the default 1200.
struct SerialSpeedInput {
    int baud = 0;
    std::string error;
};
SerialSpeedInput parseSerialSpeed(std::string_view text);

}  // namespace tarnvel::radio
