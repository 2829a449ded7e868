#include "app/StationMacros.h"

#include "app/Station.h"

namespace tarnvel::app {

StationMacros::StationMacros(Station& station, StationHost& host)
    : station_(station), host_(host) {}

}  // namespace tarnvel::app
