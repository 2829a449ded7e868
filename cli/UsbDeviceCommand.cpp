// tarnvel-cli usb-device: the USB sound device simulated on a pseudo-terminal, so that the
// station's link can be tried without the hardware.

#include "cli/UsbDeviceCommand.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>

#include "app/Settings.h"
#include "audio/Resampler.h"
#include "audio/UsbDeviceSimulator.h"
#include "audio/UsbDeviceSoundCard.h"
#include "audio/WavFile.h"
#include "cli/Commands.h"
#include "cli/Options.h"

namespace tarnvel::cli {
namespace {

constexpr std::string_view kUsbDeviceHelp =
    "usage: tarnvel-cli usb-device [LINK] [--play FILE.wav] [--record OUT.wav] [--loop]\n"
    "                              [--fast] [--seconds S]\n"
    "\n"
    "Plays the part of the USB sound device on a new pseudo-terminal and prints the path of\n"
    "its device (for example /dev/pts/5) on the first line; with LINK, a symbolic link of\n"
    "that name is made to it (and removed at the end). Give the path or the link to the\n"
    "station ('tarnvel-cli listen --usb DEVICE', or the device dialog).\n"
    "While the station receives, the device sends FILE.wav (converted to 10417 samples per\n"
    "second; silence when none is given or it has ended, unless --loop), paced in real time\n"
    "or, with --fast, as fast as the station reads. Each transmission is added to OUT.wav\n"
    "(10417 samples per second), written again when the transmission ends.\n"
    "Runs until interrupted or S seconds have passed.\n";

std::atomic<bool> gStop{false};

void onStop(int) {
    gStop.store(true);
}

struct UsbDeviceOptions {
    std::optional<std::string> link;
    std::optional<std::string> play;
    std::optional<std::string> record;
    bool loop = false;
    bool fast = false;
    double seconds = 0.0;
};

std::optional<Problem> parse(const std::vector<std::string_view>& args, UsbDeviceOptions& o,
                             bool& help) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        if (a == "--help" || a == "-h") {
            help = true;
        } else if (a == "--loop") {
            o.loop = true;
        } else if (a == "--fast") {
            o.fast = true;
        } else if (a == "--play" || a == "--record" || a == "--seconds") {
            if (i + 1 >= args.size()) return Problem{std::string(a), "needs a value"};
            const std::string v(args[++i]);
            if (a == "--play") o.play = v;
            if (a == "--record") o.record = v;
            if (a == "--seconds") {
                char* end = nullptr;
                o.seconds = std::strtod(v.c_str(), &end);
                if (v.empty() || *end != '\0' || !(o.seconds > 0))
                    return Problem{"--seconds", "'" + v + "' is not a positive number of seconds"};
            }
        } else if (a.starts_with("-") || o.link) {
            return Problem{std::string(a),
                           a.starts_with("-") ? "unknown option" : "unexpected argument"};
        } else {
            o.link = std::string(a);
        }
    }
    return std::nullopt;
}

// The recording to play, at the device's rate.
std::optional<Problem> loadPlay(const std::string& file, std::vector<int16_t>& samples) {
    audio::WavReadResult wav = audio::readWavFile(file);
    if (!wav.ok) return Problem{file, wav.error};
    audio::ResampleResult converted =
        audio::resampleBuffer(wav.samples, wav.sampleRate, audio::usb::kDeviceRate);
    if (!converted.ok) return Problem{file, converted.error};
    samples = std::move(converted.samples);
    return std::nullopt;
}

}  // namespace

int runUsbDevice(const std::vector<std::string_view>& args) {
    UsbDeviceOptions o;
    bool help = false;
    if (auto problem = parse(args, o, help)) {
        reportProblem(*problem);
        return kExitBadInput;
    }
    if (help) {
        std::fwrite(kUsbDeviceHelp.data(), 1, kUsbDeviceHelp.size(), stdout);
        return kExitOk;
    }
    audio::UsbSimulatorOptions options;
    if (o.play) {
        if (auto problem = loadPlay(*o.play, options.play)) {
            reportProblem(*problem);
            return kExitBadInput;
        }
    }
    options.realTime = !o.fast;
    options.loop = o.loop;
    audio::UsbDeviceSimulator* device = nullptr;
    std::atomic<bool> writeFailed{false};
    if (o.record) {
        options.transmissionEnded = [&device, &o, &writeFailed] {
            const std::vector<int16_t> sent = device->transmitted();
            if (audio::writeWavFileSafely(sent.data(), audio::usb::kDeviceRate,
                                          static_cast<int>(sent.size()), *o.record, 0) != 0)
                writeFailed = true;
        };
    }
    audio::UsbDeviceSimulator simulator(std::move(options));
    device = &simulator;
    if (audio::SoundResult r = simulator.start(); !r.ok()) {
        reportProblem({"usb-device", r.message});
        return kExitFailure;
    }
    if (o.link && ::symlink(simulator.devicePath().c_str(), o.link->c_str()) != 0) {
        reportProblem({*o.link, std::string("cannot make the link: ") + std::strerror(errno)});
        return kExitFailure;
    }
    std::printf("%s\n", simulator.devicePath().c_str());
    std::fflush(stdout);
    signal(SIGINT, onStop);
    signal(SIGTERM, onStop);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(o.seconds);
    while (!gStop.load() && (o.seconds == 0 || std::chrono::steady_clock::now() < end))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (o.link) ::unlink(o.link->c_str());
    std::printf("transmissions: %d, samples played: %llu\n", simulator.transmissionsEnded(),
                static_cast<unsigned long long>(simulator.samplesPlayed()));
    if (writeFailed.load()) {
        reportProblem({*o.record, "writing the transmitted audio failed"});
        return kExitFailure;
    }
    return kExitOk;
}

std::unique_ptr<audio::SoundCard> makeUsbDeviceCard(const std::string& device) {
    audio::SoundCardConfig config;
    config.nominalRate = audio::usb::kDeviceRate;
    config.usb = {true, device, 255, 255};
    return std::make_unique<audio::UsbDeviceSoundCard>(config);
}

void useUsbDevice(app::Settings& settings, const std::string& device) {
    settings.misc.soundSampleRate = audio::usb::kDeviceRate;
    settings.misc.soundDevType = 1;
    settings.usbDevice.device = device;
}

}  // namespace tarnvel::cli
