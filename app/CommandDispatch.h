#pragma once
// Carries out a command of the command table on the station. Window-target commands (those that
// open a dialog first) are not handled here: the caller hands them to the window.

#include "app/CommandTable.h"

namespace tarnvel::app {

class Station;

// False when the command is the window's to carry out.
bool dispatchStationCommand(Station& station, CommandId id);

}  // namespace tarnvel::app
