// tarnvel-cli: decodes WAV recordings, writes transmissions into WAV files, and shows the
// channels and the waterfall of a recording.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Commands.h"
#include "cli/LinkCommand.h"
#include "cli/LogCommand.h"
#include "cli/MacroCommands.h"
#include "cli/Options.h"
#include "cli/RadioCommand.h"
#include "cli/StationCommands.h"
#include "cli/UsbDeviceCommand.h"

namespace {

using namespace tarnvel::cli;

template <typename Options>
int run(const Parsed<Options>& parsed, std::string_view help, int (*command)(const Options&)) {
    if (parsed.help) {
        std::fwrite(help.data(), 1, help.size(), stdout);
        return kExitOk;
    }
    if (parsed.problem) {
        reportProblem(*parsed.problem);
        return kExitBadInput;
    }
    return command(parsed.options);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (args.empty()) {
        reportProblem({"usage", "no command given (try 'tarnvel-cli --help')"});
        return kExitBadInput;
    }
    const std::string_view command = args.front();
    args.erase(args.begin());
    if (command == "--help" || command == "-h" || command == "help") {
        std::fwrite(generalHelp().data(), 1, generalHelp().size(), stdout);
        return kExitOk;
    }
    if (command == "decode") return run(parseDecodeOptions(args), decodeHelp(), runDecode);
    if (command == "encode") return run(parseEncodeOptions(args), encodeHelp(), runEncode);
    if (command == "channels") return run(parseChannelsOptions(args), channelsHelp(), runChannels);
    if (command == "waterfall")
        return run(parseWaterfallOptions(args), waterfallHelp(), runWaterfall);
    if (command == "listen") return runListen(args);
    if (command == "transmit") return runTransmit(args);
    if (command == "devices") return runDevices(args);
    if (command == "macros") return runMacros(args);
    if (command == "radio") return runRadio(args);
    if (command == "link") return runLink(args);
    if (command == "log") return runLog(args);
    if (command == "usb-device") return runUsbDevice(args);  // the USB sound device, simulated
    reportProblem({std::string(command), "unknown command (decode, encode, channels, waterfall, "
                                         "listen, transmit, devices, macros, radio, link, log or usb-device; try --help)"});
    return kExitBadInput;
}
