#pragma once
// The radio options of tarnvel-cli, shared by `radio` and `transmit`:
//   --serial DEVICE [--rts] [--dtr]   push-to-talk on a serial port's modem lines
//   --civ DEVICE [--address HEX] [--speed BAUD]   Icom CI-V frames on a serial port
//   --rig MODEL[:DEVICE[:SPEED]]      a Hamlib rig (DEVICE may be host:port for model 2)

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Settings.h"
#include "cli/Options.h"
#include "radio/RigSettings.h"

namespace tarnvel::cli {

struct RadioTarget {
    std::optional<std::string> serial;
    bool rts = false;
    bool dtr = false;
    std::optional<std::string> civ;
    int civAddress = 0x04;
    int civSpeed = 1200;
    std::optional<radio::RigSettings> rig;

    bool given() const { return serial || civ || rig; }
    // Without --rts or --dtr both lines key the transmitter.
    bool keysRts() const { return rts || !dtr; }
    bool keysDtr() const { return dtr || !rts; }
};

// Which of the options a command takes.
enum class RadioUse { Ptt, Frequency };

// Takes the radio options (and their values) out of `args`, leaving the rest; the first
// problem, if any. At most one of the ways to reach the radio may be given.
std::optional<Problem> takeRadioOptions(std::vector<std::string_view>& args, RadioUse use,
                                        RadioTarget& target);

// The station's "Port" settings for a push-to-talk target.
void storeRadioTarget(const RadioTarget& target, app::Settings& settings);

}  // namespace tarnvel::cli
