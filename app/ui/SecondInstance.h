#pragma once
// The desktop program started while another Tarnvel of the same user runs: it says so and ends,
// without reading or writing any of the user's files.

#include <optional>

#include "app/InstanceLock.h"

namespace tarnvel::app {

// Tells the operator why this Tarnvel ends (a message box, and a line on standard error for
// whoever started it from a terminal); returns the program's exit status. quitAfterMs closes the
// box by itself, as the test option --quit-after closes the main window.
int refuseSecondInstance(const InstanceLock& lock, std::optional<int> quitAfterMs);

}  // namespace tarnvel::app
