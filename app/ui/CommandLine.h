#pragma once
// The desktop program's command line, read before any window system is touched, so that
// --help and --version work without a display.

#include <optional>
#include <string>

namespace tarnvel::app {

struct CommandLine {
    std::string inputWav;    // receive from this recording instead of the sound card
    bool loop = false;       // play the recording again and again
    std::string screenshot;  // save the main window as a PNG before quitting
    std::optional<int> quitAfterMs;
    // --help, --version or a mistake: print output and end with exitCode.
    bool exit = false;
    int exitCode = 0;
    std::string output;
};

CommandLine parseCommandLine(int argc, const char* const* argv);

}  // namespace tarnvel::app
