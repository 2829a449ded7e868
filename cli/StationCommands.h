#pragma once
// The commands of tarnvel-cli that run a whole station on a sound card: listen, transmit and
// devices. Each takes the arguments after its name and returns the exit status.

#include <string_view>
#include <vector>

namespace tarnvel::cli {

int runListen(const std::vector<std::string_view>& args);
int runTransmit(const std::vector<std::string_view>& args);
int runDevices(const std::vector<std::string_view>& args);

}  // namespace tarnvel::cli
