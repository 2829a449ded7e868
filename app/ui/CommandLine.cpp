#include "app/ui/CommandLine.h"

#include <charconv>
#include <cstring>
#include <string_view>

namespace tarnvel::app {
namespace {

constexpr const char* kUsage =
    "Usage: tarnvel [options]\n"
    "Tarnvel, a soundcard modem for amateur radio keyboard-to-keyboard operation.\n"
    "\n"
    "Options:\n"
    "  --input-wav FILE    Receive from a WAV recording instead of the sound card.\n"
    "  --loop              With --input-wav: play the recording again when it ends.\n"
    "  --screenshot FILE   Save the main window as a PNG before quitting.\n"
    "  --quit-after MS     Quit after this many milliseconds.\n"
    "  -h, --help          Show this help and exit.\n"
    "  -v, --version       Show the version and exit.\n"
    "\n"
    "Qt's own options (-platform, -style, ...) are accepted as well.\n";

CommandLine failure(std::string message) {
    CommandLine c;
    c.exit = true;
    c.exitCode = 2;
    c.output = "tarnvel: " + message + "\nTry 'tarnvel --help'.\n";
    return c;
}

}  // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
    CommandLine c;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        // Long options may be written with one dash or two, as Qt's parser allows.
        std::string_view name = arg;
        if (name.rfind("--", 0) == 0)
            name.remove_prefix(2);
        else if (name.rfind('-', 0) == 0)
            name.remove_prefix(1);
        else
            continue;  // a plain argument is Qt's business
        std::string_view value;
        bool hasValue = false;
        if (const auto eq = name.find('='); eq != std::string_view::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            hasValue = true;
        }
        const auto takeValue = [&]() -> bool {
            if (hasValue) return true;
            if (i + 1 >= argc) return false;
            value = argv[++i];
            return true;
        };
        if (name == "h" || name == "help") {
            c.exit = true;
            c.output = kUsage;
            return c;
        }
        if (name == "v" || name == "version") {
            c.exit = true;
            c.output = std::string("tarnvel ") + TARNVEL_VERSION + "\n";
            return c;
        }
        if (name == "input-wav" || name == "screenshot" || name == "quit-after") {
            if (!takeValue()) return failure("--" + std::string(name) + " needs a value");
            if (name == "input-wav") c.inputWav = value;
            if (name == "screenshot") c.screenshot = value;
            if (name == "quit-after") {
                int ms = 0;
                const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), ms);
                if (error != std::errc() || end != value.data() + value.size() || ms < 0)
                    return failure("--quit-after takes a number of milliseconds, not '" +
                                   std::string(value) + "'");
                c.quitAfterMs = ms;
            }
        } else if (name == "loop") {
            c.loop = true;
        }
        // Anything else (Qt's -platform, -style, ...) is left to QApplication.
    }
    if (c.loop && c.inputWav.empty()) return failure("--loop goes with --input-wav");
    return c;
}

}  // namespace tarnvel::app
