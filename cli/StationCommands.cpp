#include "cli/StationCommands.h"

#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "app/SettingsStore.h"
#include "app/Station.h"
#include "app/StationClock.h"
#include "audio/PortAudioSoundCard.h"
#include "cli/Commands.h"
#include "cli/ConsoleHost.h"
#include "cli/MacroCommands.h"
#include "cli/Options.h"
#include "cli/RadioCommand.h"
#include "cli/ReceiverOption.h"
#include "cli/ScratchProfile.h"
#include "cli/TextCodec.h"
#include "cli/UsbDeviceCommand.h"
#include "modem/TransmitHost.h"

namespace tarnvel::cli {
namespace {

constexpr app::StationMs kPumpSliceMs = 100;
// Bounds the wait for the end of a transmission: the slowest character (a 12-bit varicode
// word with its two zero bits at 31.25 baud, 0.45 s) times the text, plus the preamble,
// postamble and the sound server's buffering.
constexpr double kSecondsPerCharacterBound = 14.0 / 31.25;
constexpr double kTransmissionSlackSeconds = 15.0;

std::atomic<bool> gStopRequested{false};

void onStopSignal(int) {
    gStopRequested.store(true);
}

void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int fail(int status, std::string subject, std::string message) {
    reportProblem(Problem{std::move(subject), std::move(message)});
    return status;
}

// Options of the station commands: "--name value" or "--name=value".
struct StationOptions {
    std::optional<Problem> problem;
    bool help = false;
    const ModeChoice* mode = nullptr;
    double frequency = 0.0;
    std::optional<std::string> device;
    std::optional<std::string> usb;  // the USB sound device instead of a sound card
    std::optional<double> seconds;
    std::optional<std::string> text;
    std::optional<std::string> textFile;
    // Macros: a macro text to send, and the station fields it reads.
    std::optional<std::string> macro;
    StationFields me;
    modem::PskReceiverKind receiver = modem::kDefaultPskReceiver;
};

StationOptions parseStationOptions(const std::vector<std::string_view>& args,
                                   std::initializer_list<std::string_view> known) {
    StationOptions o;
    auto refuse = [&](std::string_view subject, std::string message) {
        if (!o.problem) o.problem = Problem{std::string(subject), std::move(message)};
    };
    std::vector<std::string_view> seen;
    for (size_t i = 0; i < args.size() && !o.problem; ++i) {
        std::string_view name = args[i];
        if (name == "--help" || name == "-h") {
            o.help = true;
            continue;
        }
        std::optional<std::string_view> value;
        if (const size_t eq = name.find('='); name.starts_with("--") && eq != name.npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (std::find(known.begin(), known.end(), name) == known.end()) {
            refuse(name, name.starts_with("-") ? "unknown option" : "unexpected argument");
            break;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                refuse(name, "needs a value");
                break;
            }
            value = args[++i];
        }
        if (std::find(seen.begin(), seen.end(), name) != seen.end()) {
            refuse(name, "given more than once");
            break;
        }
        seen.push_back(name);
        const std::string v(*value);
        if (name == "--mode") {
            o.mode = findMode(v);
            if (o.mode == nullptr) refuse(name, "unknown mode '" + v + "'");
        } else if (name == "--freq") {
            char* end = nullptr;
            errno = 0;
            o.frequency = std::strtod(v.c_str(), &end);
            if (v.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(o.frequency))
                refuse(name, "'" + v + "' is not a frequency in Hz");
            else if (o.frequency < kMinFrequencyHz || o.frequency > kMaxFrequencyHz)
                refuse(name, v + " Hz is outside 100..5000 Hz");
        } else if (name == "--seconds") {
            char* end = nullptr;
            errno = 0;
            const double s = std::strtod(v.c_str(), &end);
            if (v.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(s) || s <= 0)
                refuse(name, "'" + v + "' is not a positive number of seconds");
            o.seconds = s;
        } else if (name == "--device") {
            o.device = v;
        } else if (name == "--usb") {
            o.usb = v;
        } else if (name == "--text") {
            o.text = v;
        } else if (name == "--text-file") {
            o.textFile = v;
        } else if (name == "--macro") {
            o.macro = v;
        } else if (name == "--my-call") {
            o.me.call = v;
        } else if (name == "--my-name") {
            o.me.name = v;
        } else if (name == "--my-qth") {
            o.me.qth = v;
        } else if (name == kReceiverOption) {
            if (auto p = parseReceiver(name, v, o.receiver)) refuse(p->subject, p->message);
        }
    }
    if (o.problem || o.help) return o;
    const bool needsMode = std::find(known.begin(), known.end(), "--mode") != known.end();
    if (needsMode && o.mode == nullptr) refuse("--mode", "is required");
    if (needsMode && o.frequency == 0.0) refuse("--freq", "is required");
    if (o.usb && o.device) refuse("--usb", "and --device are two different devices: give one");
    return o;
}

// Finds a device by its exact name, else by a part of the name that only one device has.
std::optional<int> findDevice(const std::vector<audio::SoundDeviceInfo>& devices,
                              const std::string& name, std::string& error) {
    for (size_t i = 0; i < devices.size(); ++i)
        if (devices[i].name == name) return static_cast<int>(i);
    std::optional<int> found;
    for (size_t i = 0; i < devices.size(); ++i) {
        if (devices[i].name.find(name) == std::string::npos) continue;
        if (found) {
            error = "more than one device matches (see 'tarnvel-cli devices')";
            return std::nullopt;
        }
        found = static_cast<int>(i);
    }
    if (!found) error = "no such device (see 'tarnvel-cli devices')";
    return found;
}

// The settings of a headless station: every decoded character printed, no multichannel
// decoding, no history.
void prepareStation(app::Station& station, const StationOptions& o) {
    app::Settings& s = station.settings();
    s.station.call = "N0CALL";
    s.sound.squelch = 0;
    s.misc.multichannelWindow = 0;
    s.misc.soundHistory = 0;
    s.misc.mode = modem::storedMode(o.mode->mode);
    s.misc.invQpsk = o.mode->invertedQpsk ? 1 : 0;
    s.sound.lastFq = static_cast<float>(o.frequency);
    s.receiver.pskReceiver = std::string(modem::pskReceiverName(o.receiver));
}

bool startStation(app::Station& station, const StationOptions& o) {
    const bool open = station.start();
    station.selectMode(o.mode->mode);
    station.setInvertedQpsk(o.mode->invertedQpsk);
    station.setFrequency(o.frequency, app::kSetBoth, false);
    return open;
}

constexpr std::string_view kListenHelp =
    "usage: tarnvel-cli listen --mode MODE --freq HZ [--device NAME | --usb DEVICE] [--seconds S]\n"
    "                          [--receiver specified|sensitive]\n"
    "\n"
    "Receives from a sound card input and prints the decoded text as it arrives, until S\n"
    "seconds have passed or the program is interrupted. NAME is an input device as listed by\n"
    "'tarnvel-cli devices' (a unique part of its name will do); the default is the system's.\n"
    "With --usb the USB sound device at the serial DEVICE is used instead of a sound card.\n"
    "When the sound card stops working (the sound server restarted, the card was unplugged)\n"
    "receive opens again on its own, after 1, 2, 4, 8, 16 s and then every 30 s, and the\n"
    "text goes on. Exits with status 1 when the sound card cannot be opened at the start.\n"
    "--receiver picks the PSK receiver: sensitive (the default) copies weaker signals,\n"
    "specified is the plain receiver.\n";

constexpr std::string_view kTransmitHelp =
    "usage: tarnvel-cli transmit --mode MODE --freq HZ (--text T | --text-file F | --macro M)\n"
    "                            [--my-call C] [--my-name N] [--my-qth Q]\n"
    "                            [--device NAME | --usb DEVICE]\n"
    "                            [--serial DEVICE [--rts] [--dtr] | --rig MODEL[:DEVICE[:SPEED]]]\n"
    "\n"
    "Sends the text on a sound card output and exits when the station has returned to\n"
    "receive, after the last buffer of the transmission has played. NAME is an output device\n"
    "as listed by 'tarnvel-cli devices'; --usb sends on the USB sound device instead. Exits\n"
    "with status 1 when the transmission could not be made or was cut short. With --serial\n"
    "or --rig the radio is keyed for the transmission (see 'tarnvel-cli radio --help'); one\n"
    "that cannot be reached fails it.\n"
    "A macro M is expanded first, as a macro key would (see 'tarnvel-cli macros expand'),\n"
    "with your call sign (default N0CALL), name and QTH; the transmission ends at its\n"
    "<RX> or <RXANDCLEAR>, or after its text.\n";

constexpr std::string_view kDevicesHelp =
    "usage: tarnvel-cli devices\n"
    "\n"
    "Lists the sound input and output devices, numbered as the station's settings number\n"
    "them.\n";

}  // namespace

int runListen(const std::vector<std::string_view>& args) {
    const StationOptions o =
        parseStationOptions(args, {"--mode", "--freq", "--device", "--usb", "--seconds",
                                   "--receiver"});
    if (o.help) {
        std::fwrite(kListenHelp.data(), 1, kListenHelp.size(), stdout);
        return kExitOk;
    }
    if (o.problem) return fail(kExitBadInput, o.problem->subject, o.problem->message);

    const std::unique_ptr<audio::SoundCard> owned =
        o.usb ? makeUsbDeviceCard(*o.usb) : std::make_unique<audio::PortAudioSoundCard>();
    audio::SoundCard& card = *owned;
    int deviceId = audio::kPreferredDevice;
    if (o.device) {
        std::string error;
        const auto found = findDevice(card.inputDevices(), *o.device, error);
        if (!found) return fail(kExitBadInput, "--device", *o.device + ": " + error);
        deviceId = *found;
    }
    ScratchProfile profile;
    ConsoleHost host;
    app::SteadyStationClock clock;
    app::Station station(profile.store(), card, host, clock,
                         app::StationOptions{{}, /*keepAllReceivedText=*/true, {}});
    prepareStation(station, o);
    station.settings().soundDevice.mixerDevice = deviceId;
    if (o.usb) useUsbDevice(station.settings(), *o.usb);
    host.printReceivedTextOf(&station);
    catchStopSignals();
    if (!startStation(station, o))  // the host said it; the USB link's reason names the device
        return o.usb ? fail(kExitFailure, "--usb", station.lastSoundProblem()) : kExitFailure;

    const app::StationMs end =
        o.seconds ? clock.now() + static_cast<app::StationMs>(*o.seconds * 1000.0) : -1;
    int status = kExitOk;
    while (!gStopRequested.load()) {
        station.pump(kPumpSliceMs);
        // A device that failed is opened again by the station, as on the desktop: listen
        // waits through the outage and goes on.
        if (station.state() == app::OperatingState::Stopped && !station.receiveRecovering()) {
            status = kExitFailure;  // the host has said why
            break;
        }
        if (end >= 0 && clock.now() >= end) break;
    }
    const std::string& text = station.receiveText().text();
    if (!text.empty() && text.back() != '\n') std::fputc('\n', stdout);
    std::fflush(stdout);
    return status;
}

int runTransmit(const std::vector<std::string_view>& allArgs) {
    std::vector<std::string_view> args = allArgs;  // the radio: keyed for the transmission
    RadioTarget radioTarget;
    if (auto problem = takeRadioOptions(args, RadioUse::Ptt, radioTarget))
        return fail(kExitBadInput, problem->subject, problem->message);
    const StationOptions o =
        parseStationOptions(args, {"--mode", "--freq", "--device", "--usb", "--text", "--text-file",
                                   "--macro", "--my-call", "--my-name", "--my-qth"});
    if (o.help) {
        std::fwrite(kTransmitHelp.data(), 1, kTransmitHelp.size(), stdout);
        return kExitOk;
    }
    if (o.problem) return fail(kExitBadInput, o.problem->subject, o.problem->message);
    if (int(o.text.has_value()) + int(o.textFile.has_value()) + int(o.macro.has_value()) != 1)
        return fail(kExitBadInput, "--text", "give one of --text, --text-file and --macro");
    if (!o.mode->transmits())
        return fail(kExitBadInput, "--mode", std::string(o.mode->name) + " is receive only");

    std::string raw;
    std::string subject = "--text";
    if (o.textFile) {
        subject = *o.textFile;
        std::ifstream in(*o.textFile, std::ios::binary);
        if (!in)
            return fail(kExitBadInput, subject,
                        std::string("cannot open: ") + std::strerror(errno));
        std::ostringstream content;
        content << in.rdbuf();
        raw = content.str();
    } else if (o.text) {
        raw = *o.text;
    }
    const CodedText coded = toStationCodes(raw);
    if (!coded.ok) return fail(kExitBadInput, subject, coded.error);
    if (coded.codes.empty() && !o.macro) return fail(kExitBadInput, subject, "the text is empty");

    const std::unique_ptr<audio::SoundCard> owned =
        o.usb ? makeUsbDeviceCard(*o.usb) : std::make_unique<audio::PortAudioSoundCard>();
    audio::SoundCard& card = *owned;
    int deviceId = audio::kPreferredDevice;
    if (o.device) {
        std::string error;
        const auto found = findDevice(card.outputDevices(), *o.device, error);
        if (!found) return fail(kExitBadInput, "--device", *o.device + ": " + error);
        deviceId = *found;
    }
    ScratchProfile profile;
    ConsoleHost host;
    app::SteadyStationClock clock;
    app::Station station(profile.store(), card, host, clock);
    prepareStation(station, o);
    station.settings().soundDevice.mixerDeviceOut = deviceId;
    if (o.usb) useUsbDevice(station.settings(), *o.usb);
    storeRadioTarget(radioTarget, station.settings());
    catchStopSignals();
    if (!startStation(station, o))
        return o.usb ? fail(kExitFailure, "--usb", station.lastSoundProblem()) : kExitFailure;
    if (!radioReady(station, radioTarget)) return kExitFailure;

    if (o.macro) {
        if (!transmitMacro(station, *o.macro, o.me)) return kExitFailure;
    } else {
        station.transmitText().appendText(coded.codes);
        station.transmitText().appendText(std::string(1, static_cast<char>(modem::kCharRx)));
        station.goTransmit();
    }
    if (station.state() != app::OperatingState::Transmitting) return kExitFailure;

    const double boundSeconds =
        static_cast<double>(station.transmitText().text().size()) * kSecondsPerCharacterBound +
        kTransmissionSlackSeconds;
    const app::StationMs deadline = clock.now() + static_cast<app::StationMs>(boundSeconds * 1000);
    while (station.state() == app::OperatingState::Transmitting) {
        if (gStopRequested.load()) {
            station.goReceive();
            return fail(kExitFailure, "transmit", "interrupted before the end of the text");
        }
        if (clock.now() >= deadline) {
            station.goReceive();
            return fail(kExitFailure, "transmit", "the sound card stopped taking audio");
        }
        station.pump(kPumpSliceMs);
    }
    if (station.transmissionsCompleted() == 0) return kExitFailure;  // the host has said why
    return kExitOk;
}

int runDevices(const std::vector<std::string_view>& args) {
    const StationOptions o = parseStationOptions(args, {});
    if (o.help) {
        std::fwrite(kDevicesHelp.data(), 1, kDevicesHelp.size(), stdout);
        return kExitOk;
    }
    if (o.problem) return fail(kExitBadInput, o.problem->subject, o.problem->message);
    audio::PortAudioSoundCard card;
    const auto inputs = card.inputDevices();
    const auto outputs = card.outputDevices();
    if (inputs.empty() && outputs.empty())
        return fail(kExitFailure, "devices", "no sound devices found (is a sound server running?)");
    for (size_t i = 0; i < inputs.size(); ++i)
        std::printf("input %zu: %s\n", i, inputs[i].name.c_str());
    for (size_t i = 0; i < outputs.size(); ++i)
        std::printf("output %zu: %s\n", i, outputs[i].name.c_str());
    std::fflush(stdout);
    return kExitOk;
}

}  // namespace tarnvel::cli
