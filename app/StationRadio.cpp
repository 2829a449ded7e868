#include "app/StationRadio.h"

#include "app/Station.h"

namespace tarnvel::app {

StationRadio::StationRadio(Station& station, StationHost& host) : station_(station), host_(host) {}

void StationRadio::setPtt(bool on) {
    ptt_ = on;
    host_.setPtt(on);
}

}  // namespace tarnvel::app
