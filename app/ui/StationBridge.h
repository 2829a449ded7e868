#pragma once
// The station's status and its own commands, carried out with the station's present calls.
// The frame reads the status and runs the commands only through these two functions.

#include "app/CommandTable.h"
#include "app/StationStatus.h"

namespace tarnvel::app {

class Station;
class FrameHost;
struct FrameDisplayData;

struct StationBridge {
    Station& station;
    FrameHost& host;
    FrameDisplayData& displayData;
    bool& waterfallFit;  // the waterfall's zoom, kept by the frame with the view

    StationStatus status() const;
    // Runs a command whose target is the station.
    void run(CommandId id);

  private:
    void runOption(CommandId id);
    void toggleFourband(int value);
    void saveLastSeconds();
    void openReceiveLog();
};

}  // namespace tarnvel::app
