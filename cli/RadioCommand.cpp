#include "cli/RadioCommand.h"

#include <signal.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "app/StationRadio.h"
#include "cli/Commands.h"
#include "radio/CivFrame.h"
#include "radio/HamlibRig.h"
#include "radio/RigControl.h"
#include "radio/SerialPort.h"
#include "radio/SerialRadio.h"

namespace tarnvel::cli {
namespace {

using namespace std::chrono_literals;

constexpr std::string_view kRadioHelp =
    "usage: tarnvel-cli radio ptt on|off (--serial DEVICE [--rts] [--dtr] | --rig RIG)\n"
    "       tarnvel-cli radio frequency KHZ (--civ DEVICE [--address HEX] [--speed BAUD] |\n"
    "                                        --rig RIG)\n"
    "       tarnvel-cli radio rigs [TEXT]\n"
    "\n"
    "ptt on keys the transmitter and holds it until the program is interrupted (Ctrl+C or\n"
    "SIGTERM), then releases it; ptt off releases it. On a serial port --rts and --dtr name\n"
    "the lines that key (both without either); a line not keying is held asserted.\n"
    "frequency sets the transceiver's dial: an Icom CI-V frame (address 04 when not given,\n"
    "1200 baud) or the rig's frequency. rigs lists Hamlib's models whose number, maker or\n"
    "name contains TEXT.\n"
    "RIG is MODEL[:DEVICE[:SPEED]]: a Hamlib model number, the rig's serial device or, for\n"
    "model 2 (rigctld), host:port.\n"
    "Exits with status 1 when the radio cannot be reached.\n";

// Time for the rig thread's answers beyond the rig's own time-out.
constexpr auto kRigSlack = 5s;

std::atomic<bool> gReleaseRequested{false};

void onReleaseSignal(int) {
    gReleaseRequested.store(true);
}

// Caught before the transmitter is keyed, so that a signal at any moment releases it.
void catchReleaseSignals() {
    struct sigaction action {};
    action.sa_handler = onReleaseSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void holdUntilInterrupted() {
    while (!gReleaseRequested.load()) std::this_thread::sleep_for(50ms);
}

int fail(int status, std::string subject, std::string message) {
    reportProblem(Problem{std::move(subject), std::move(message)});
    return status;
}

// The next answer of the rig thread, or nothing when it gave none in time.
std::optional<radio::RigEvent> awaitRig(radio::RigControl& rig, const radio::RigSettings& s) {
    if (!rig.waitForEvent(s.timeout * 3 + kRigSlack)) return std::nullopt;
    return rig.nextEvent();
}

// Opens the rig: kExitOk, or the status after reporting why not.
int openRig(radio::RigControl& rig, const radio::RigSettings& settings) {
    radio::initHamlib();
    rig.start(settings);
    const auto opened = awaitRig(rig, settings);
    if (!opened) return fail(kExitFailure, "--rig", "the rig gave no answer");
    if (opened->kind != radio::RigEventKind::Opened)
        return fail(kExitFailure, "--rig", opened->message);
    return kExitOk;
}

// Waits for the outcome of one command: kExitOk, or the status after reporting it.
int rigOutcome(radio::RigControl& rig, const radio::RigSettings& settings) {
    const auto done = awaitRig(rig, settings);
    if (!done) return fail(kExitFailure, "--rig", "the rig gave no answer");
    if (done->kind == radio::RigEventKind::CommandFailed || done->kind == radio::RigEventKind::Lost)
        return fail(kExitFailure, "--rig", done->message);
    return kExitOk;
}

int rigPtt(const radio::RigSettings& settings, bool on) {
    radio::RigControl rig;
    if (const int status = openRig(rig, settings); status != kExitOk) return status;
    rig.setPtt(on);
    if (const int status = rigOutcome(rig, settings); status != kExitOk) return status;
    if (on) {
        std::fprintf(stderr, "PTT on; interrupt (Ctrl+C) to release it\n");
        holdUntilInterrupted();
    }
    rig.stop();  // releases what it keyed
    return kExitOk;
}

int serialPtt(const RadioTarget& target, bool on) {
    radio::SerialPort port;
    if (const radio::SerialResult opened = port.open(*target.serial, radio::kDefaultSerialSpeed);
        !opened)
        return fail(kExitFailure, "--serial", opened.message);
    if (!port.hasModemLines())
        return fail(kExitFailure, "--serial",
                    *target.serial + app::kNoModemLinesMessage);
    radio::SerialRadioSettings settings;
    settings.portInUse = true;
    settings.rtsAsPtt = target.keysRts();
    settings.dtrAsPtt = target.keysDtr();
    radio::SerialRadio radio(port, settings);
    if (const radio::SerialResult keyed = radio.setPtt(on); !keyed)
        return fail(kExitFailure, "--serial", keyed.message);
    if (on) {
        std::fprintf(stderr, "PTT on; interrupt (Ctrl+C) to release it\n");
        holdUntilInterrupted();
        radio.setPtt(false);
    }
    port.close();
    return kExitOk;
}

int runPtt(const std::vector<std::string_view>& args, const RadioTarget& target) {
    if (args.size() != 1 || (args[0] != "on" && args[0] != "off"))
        return fail(kExitBadInput, "radio ptt", "say on or off");
    const bool on = args[0] == "on";
    catchReleaseSignals();
    if (target.rig) return rigPtt(*target.rig, on);
    if (target.serial) return serialPtt(target, on);
    return fail(kExitBadInput, "radio ptt", "give --serial DEVICE or --rig RIG");
}

int civFrequency(const RadioTarget& target, double khz) {
    radio::SerialPort port;
    if (const radio::SerialResult opened = port.open(*target.civ, target.civSpeed); !opened)
        return fail(kExitFailure, "--civ", opened.message);
    radio::SerialRadioSettings settings;
    settings.portInUse = true;
    settings.useIcomCiv = true;
    settings.icomAddr = static_cast<uint8_t>(target.civAddress);
    radio::SerialRadio radio(port, settings);
    if (const radio::SerialResult sent = radio.sendCivFrequency(khz); !sent)
        return fail(kExitFailure, "--civ", sent.message);
    const bool flushed = port.flush(2s);
    port.close();
    if (!flushed) return fail(kExitFailure, "--civ", "the frame could not be sent");
    return kExitOk;
}

int rigFrequency(const radio::RigSettings& settings, uint64_t hz) {
    radio::RigControl rig;
    if (const int status = openRig(rig, settings); status != kExitOk) return status;
    rig.setFrequency(hz);
    const int status = rigOutcome(rig, settings);
    rig.stop();
    return status;
}

int runFrequency(const std::vector<std::string_view>& args, const RadioTarget& target) {
    if (args.size() != 1) return fail(kExitBadInput, "radio frequency", "give one frequency in kHz");
    const std::string text(args[0]);
    char* end = nullptr;
    const double khz = std::strtod(text.c_str(), &end);
    const auto hz = radio::civHertzFromKhz(khz);
    if (text.empty() || *end != '\0' || !std::isfinite(khz) || khz <= 0 || !hz || *hz == 0)
        return fail(kExitBadInput, "radio frequency", "'" + text + "' is not a frequency in kHz");
    if (target.rig) return rigFrequency(*target.rig, *hz);
    if (target.civ) return civFrequency(target, khz);
    return fail(kExitBadInput, "radio frequency", "give --civ DEVICE or --rig RIG");
}

int runRigs(const std::vector<std::string_view>& args) {
    if (args.size() > 1) return fail(kExitBadInput, "radio rigs", "give at most one search text");
    radio::initHamlib();
    const std::string text = args.empty() ? std::string() : std::string(args[0]);
    const std::vector<radio::RigModel> models = radio::rigModelsMatching(text);
    if (models.empty()) return fail(kExitFailure, "radio rigs", "no Hamlib model matches '" + text + "'");
    std::string out;
    for (const radio::RigModel& m : models) {
        char line[160];
        std::snprintf(line, sizeof line, "%6d  %s %s\n", m.model, m.manufacturer.c_str(),
                      m.name.c_str());
        out += line;
    }
    return writeStandardOutput(out);
}

}  // namespace

int runRadio(std::vector<std::string_view> args) {
    if (args.empty()) return fail(kExitBadInput, "radio", "say ptt, frequency or rigs (try --help)");
    const std::string_view what = args.front();
    args.erase(args.begin());
    const bool help = what == "--help" || what == "-h" ||
                      std::find(args.begin(), args.end(), "--help") != args.end() ||
                      std::find(args.begin(), args.end(), "-h") != args.end();
    if (help) {
        std::fwrite(kRadioHelp.data(), 1, kRadioHelp.size(), stdout);
        return kExitOk;
    }
    if (what == "rigs") return runRigs(args);
    if (what != "ptt" && what != "frequency")
        return fail(kExitBadInput, std::string(what), "unknown radio command (ptt, frequency, rigs)");
    RadioTarget target;
    const RadioUse use = what == "ptt" ? RadioUse::Ptt : RadioUse::Frequency;
    if (auto problem = takeRadioOptions(args, use, target))
        return fail(kExitBadInput, problem->subject, problem->message);
    for (std::string_view a : args)
        if (a.size() > 1 && a[0] == '-' && !std::isdigit(static_cast<unsigned char>(a[1])))
            return fail(kExitBadInput, std::string(a), "unknown option");
    return use == RadioUse::Ptt ? runPtt(args, target) : runFrequency(args, target);
}

bool radioReady(app::Station& station, const RadioTarget& target) {
    if (!target.given()) return true;
    app::StationRadio& radio = station.radio();
    const auto deadline = std::chrono::steady_clock::now() + 3 * target.rig.value_or(
        radio::RigSettings{}).timeout + kRigSlack;
    while (radio.link() == app::RadioLink::RigStarting &&
           std::chrono::steady_clock::now() < deadline) {
        radio.waitForRig(100ms);
        radio.handleRigEvents();
    }
    const std::string subject = target.rig ? "--rig" : "--serial";
    if (!radio.canKey()) {
        const std::string why = radio.lastProblem().empty() ? "the radio cannot be reached"
                                                            : radio.lastProblem();
        reportProblem(Problem{subject, why});
        return false;
    }
    return true;
}

}  // namespace tarnvel::cli
