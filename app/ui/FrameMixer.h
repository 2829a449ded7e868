#pragma once
// The desktop's side of the mixer and the UDP logger: the level dialogs, the logger's settings
// dialog (applied at once on OK), and the stored levels set at start.

#include "app/CommandTable.h"

class QWidget;

namespace tarnvel::app {

class Station;
class StationHost;

// Runs "Reg.wyjścia karty dżwiękowej(TX)...", "Reg.wejścia karty dżwiękowej(RX)..." and
// "Logger UDP..."; false for any other command.
bool runMixerCommand(Station& station, StationHost& host, QWidget* parent, CommandId id);

// With "VolumeCtrl" on, the stored levels and source go to the cards; what failed is reported.
void applyStoredMixerLevels(Station& station, StationHost& host);

}  // namespace tarnvel::app
