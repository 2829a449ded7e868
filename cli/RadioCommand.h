#pragma once
// tarnvel-cli radio: push-to-talk, the transceiver's frequency and Hamlib's rig list; and the
// radio of the `transmit` command's station.

#include <string_view>
#include <vector>

#include "app/Station.h"
#include "cli/RadioOptions.h"

namespace tarnvel::cli {

int runRadio(std::vector<std::string_view> args);

// After the station has started with a radio target: waits until the rig answers; false (the
// problem reported) when the radio cannot key the transmitter.
bool radioReady(app::Station& station, const RadioTarget& target);

}  // namespace tarnvel::cli
