#pragma once
// Starts the system's volume control: PulseAudio's "pavucontrol" when installed, else
// "alsamixer" in the desktop's terminal emulator ("x-terminal-emulator"). Programs are started
// directly with an argument list, never through a shell.

#include <QString>

namespace tarnvel::app {

// mixerControl: the ALSA mixer the station uses ("hw:1"), handed to alsamixer; may be empty.
// Returns an empty text when a program was started, else the message for the operator.
QString openSystemVolumeControl(const QString& mixerControl);

}  // namespace tarnvel::app
