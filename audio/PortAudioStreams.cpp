#include "audio/PortAudioStreams.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/PortAudioCallbacks.h"
#include "audio/PortAudioDevices.h"

namespace tarnvel::audio {

namespace {

// The period PortAudio asks the callback for: below 256 frames (or 50 ms of suggested
// latency) the sound server's default low latency underflows now and then, and a loaded
// machine needs more slack still. A modem does not mind 200 ms: the input backlog is 2.2 s
// and the transmit buffers in flight already hold 370 ms.
constexpr unsigned long kFramesPerCallback = 256;
constexpr double kMinimumLatencySeconds = 0.2;
// How long the station waits for a stream to close before leaving it to close on its own.
constexpr std::chrono::seconds kCloseTimeout{2};

// How long a start may take. PortAudio gives up waiting for its own thread after a second;
// beyond this its start is stuck for good.
constexpr std::chrono::seconds kStartTimeout{5};

// Streams whose closing thread has not finished yet, and those whose start hung (for good).
std::atomic<int> closingInBackground{0};

// Never destroyed: the library may reach these until the very end.
std::mutex abandonedMutex;
auto* const abandoned = new std::vector<std::unique_ptr<PortAudioStream>>;

SoundError mapError(PaError error) {
    switch (error) {
        case paInvalidSampleRate:
        case paInvalidChannelCount:
        case paSampleFormatNotSupported:
            return SoundError::FormatRefused;
        case paNotInitialized:
            return SoundError::LibraryFailed;
        default:
            return SoundError::DeviceUnavailable;
    }
}

std::string describe(const std::string& what, PaError error) {
    return what + ": " + Pa_GetErrorText(error) + " (" + std::to_string(error) + ")";
}

void closeNow(PortAudioStream& s, bool drain) {
    // A stream that died needs no draining; draining output lets the last buffer be heard.
    if (!s.failed.load() && Pa_IsStreamActive(s.stream) == 1) {
        if (drain) {
            Pa_StopStream(s.stream);
        } else {
            Pa_AbortStream(s.stream);
        }
    }
    Pa_CloseStream(s.stream);
    s.stream = nullptr;
}

// Starts the stream from a thread of its own so that a start that never returns costs that
// thread only.
PaError startWithin(PortAudioStream& s) {
    auto outcome = std::make_shared<std::promise<PaError>>();
    std::future<PaError> started = outcome->get_future();
    std::thread([stream = s.stream, outcome] { outcome->set_value(Pa_StartStream(stream)); })
        .detach();
    if (started.wait_for(kStartTimeout) == std::future_status::ready) return started.get();
    s.startHung = true;
    return paTimedOut;
}

}  // namespace

SoundResult openStream(PortAudioStream& s, PaStreamCallback* callback,
                       const SoundCardConfig& config) {
    const SoundDirection direction = s.direction;
    const bool isInput = direction == SoundDirection::Input;
    const char* side = isInput ? "input" : "output";
    const std::string& wanted = isInput ? config.inputDeviceName : config.outputDeviceName;
    // A device remembered by name is found wherever the list has it now.
    const int deviceId = findDevicePosition(
        listDevices(direction), isInput ? config.inputDeviceId : config.outputDeviceId, wanted);
    const PaDeviceIndex device = resolveDevice(deviceId, direction);
    if (device == paNoDevice) {
        std::string message =
            deviceId == kMissingDevice
                ? std::string(side) + " sound device '" + wanted + "' is not present"
            : deviceId < 0
                ? std::string("no ") + side + " sound device present"
                : std::string("no ") + side + " sound device number " + std::to_string(deviceId);
        return SoundResult::failure(SoundError::NoDevice, std::move(message));
    }
    const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
    if (info == nullptr) {
        return SoundResult::failure(SoundError::NoDevice,
                                    std::string(side) + " sound device vanished");
    }
    const std::string name = std::string(side) + " device '" + info->name + "'";
    const double latency =
        std::max(kMinimumLatencySeconds,
                 isInput ? info->defaultHighInputLatency : info->defaultHighOutputLatency);
    SoundResult last = SoundResult::failure(SoundError::FormatRefused,
                                            name + " accepts no 16-bit mono or stereo format");
    for (const StreamFormat& format : candidateFormats(*info, direction, config)) {
        PaStreamParameters params{device, format.channels, paInt16, latency, nullptr};
        PaStream* stream = nullptr;
        const PaError error =
            Pa_OpenStream(&stream, isInput ? &params : nullptr, isInput ? nullptr : &params,
                          format.rate, kFramesPerCallback, paNoFlag, callback, &s);
        if (error == paNoError) {
            s.stream = stream;
            s.channels = format.channels;
            s.deviceRate = format.rate;
            return SoundResult::success();
        }
        const SoundError code = mapError(error);
        last = SoundResult::failure(code, name + " could not be opened: " + soundErrorText(code) +
                                              " (" + Pa_GetErrorText(error) + ", " +
                                              std::to_string(error) + ")");
        // Busy or gone: another format will not help.
        if (last.error != SoundError::FormatRefused) break;
    }
    return last;
}

SoundResult startStream(PortAudioStream& s, const std::string& side) {
    PaError error = Pa_SetStreamFinishedCallback(s.stream, &streamFinished);
    if (error == paNoError) error = startWithin(s);
    if (s.startHung) {
        s.stopping.store(true);
        return SoundResult::failure(SoundError::DeviceUnavailable,
                                    "starting the " + side +
                                        " stream: the sound system did not answer within " +
                                        std::to_string(kStartTimeout.count()) + " s");
    }
    if (error != paNoError) {
        s.stopping.store(true);
        Pa_CloseStream(s.stream);
        s.stream = nullptr;
        return SoundResult::failure(mapError(error),
                                    describe("starting the " + side + " stream", error));
    }
    return SoundResult::success();
}

void closeStream(std::unique_ptr<PortAudioStream> s, bool drain) {
    if (!s || s->stream == nullptr) return;
    s->stopping.store(true, std::memory_order_release);
    const bool stalled = s->stalled.load();
    auto finished = std::make_shared<std::promise<void>>();
    std::future<void> done = finished->get_future();
    closingInBackground.fetch_add(1);
    std::thread([state = std::move(s), finished, drain, stalled]() mutable {
        closeNow(*state, drain && !stalled);
        state.reset();
        closingInBackground.fetch_sub(1);
        finished->set_value();
    }).detach();
    if (!stalled) done.wait_for(kCloseTimeout);
}

void abandonStream(std::unique_ptr<PortAudioStream> s) {
    if (!s) return;
    closingInBackground.fetch_add(1);
    std::lock_guard lock(abandonedMutex);
    abandoned->push_back(std::move(s));
}

bool backgroundClosesPending() {
    return closingInBackground.load() > 0;
}

}  // namespace tarnvel::audio
