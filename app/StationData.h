#pragma once
// The operator's own station as the "Twoje Dane" dialog edits it (section "Station").

#include <string>

namespace tarnvel::app {

struct StationData {
    std::string call, name, qth, cwId;
    bool useCwId = false;
    bool fastCwId = true;
};

}  // namespace tarnvel::app
