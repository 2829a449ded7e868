#pragma once
// The station's macros: the two sets of twelve, and the station as macro expansion sees it.

namespace tarnvel::app {

class Station;
class StationHost;

class StationMacros {
  public:
    StationMacros(Station& station, StationHost& host);
    StationMacros(const StationMacros&) = delete;
    StationMacros& operator=(const StationMacros&) = delete;

  private:
    Station& station_;
    StationHost& host_;
};

}  // namespace tarnvel::app
