#pragma once
// The station's radio: push-to-talk, the band lines and the rig's frequency, through the serial
// port or rig control the "Port" settings choose. Until a port is configured, push-to-talk goes
// to the host only.

namespace tarnvel::app {

class Station;
class StationHost;

class StationRadio {
  public:
    StationRadio(Station& station, StationHost& host);
    StationRadio(const StationRadio&) = delete;
    StationRadio& operator=(const StationRadio&) = delete;

    void setPtt(bool on);
    bool pttOn() const { return ptt_; }

  private:
    Station& station_;
    StationHost& host_;
    bool ptt_ = false;
};

}  // namespace tarnvel::app
