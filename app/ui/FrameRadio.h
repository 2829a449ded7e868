#pragma once
// The desktop's side of the radio: the port dialog, applied at once on OK, and the stop
// signals (SIGINT, SIGTERM), which end the program as its close button does, so that the
// transmitter is released and the settings are written.

class QWidget;

namespace tarnvel::app {

class Station;

// "Numer portu...": the port dialog over the station's radio settings.
void editRadioPort(Station& station, QWidget* parent);

// From now on SIGINT and SIGTERM stop the station's sound (releasing push-to-talk) and close
// every window; the program then ends normally.
void closeOnStopSignals(Station& station);

}  // namespace tarnvel::app
