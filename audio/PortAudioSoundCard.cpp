#include "audio/PortAudioSoundCard.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <portaudio.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdarg>
#include <future>
#include <string>
#include <thread>

#include "audio/RateConverter.h"
#include "audio/SpscRing.h"

namespace tarnvel::audio {

namespace {

// The period PortAudio asks the callback for: below 256 frames (or 50 ms of suggested
// latency) the sound server's default low latency underflows now and then, and a loaded
// machine needs more slack still. A modem does not mind 200 ms: the input backlog is 2.2 s
// and the transmit buffers in flight already hold 370 ms.
constexpr unsigned long kFramesPerCallback = 256;
constexpr double kMinimumLatencySeconds = 0.2;
// Samples the callback handles at a time when it has to split or join channels.
constexpr std::size_t kCallbackChunk = 256;
// Room for output records beyond the four buffers in flight.
constexpr std::size_t kQueuedBufferSlots = 8;
// A running stream's callback comes every few tens of milliseconds, so five seconds without
// one means the stream is stuck. The first one can take two seconds after the start (more on
// a loaded machine), so it gets longer.
constexpr std::chrono::seconds kStallTimeout{5};
constexpr std::chrono::seconds kFirstCallbackTimeout{15};
// How long the station waits for a stream to close before leaving it to close on its own.
constexpr std::chrono::seconds kCloseTimeout{2};

// ALSA reports every probe of a missing device on stderr (about forty lines without a sound
// server); the station reports failures itself.
void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// PortAudio also probes a JACK server, whose client library prints a few lines per attempt.
// The library is reached by name at run time, so nothing here depends on it being present.
void ignoreJackMessage(const char*) {}

void silenceJack() {
    using SetHandler = void (*)(void (*)(const char*));
    for (const char* name : {"jack_set_error_function", "jack_set_info_function"}) {
        if (void* symbol = ::dlsym(RTLD_DEFAULT, name)) {
            reinterpret_cast<SetHandler>(symbol)(&ignoreJackMessage);
        }
    }
}

void silenceLibraries() {
    static const bool silenced = [] {
        snd_lib_error_set_handler(ignoreAlsaError);
        silenceJack();
        return true;
    }();
    (void)silenced;
}

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

std::string describe(const char* what, PaError error) {
    return std::string(what) + ": " + Pa_GetErrorText(error) + " (" + std::to_string(error) + ")";
}

int channelsOf(const PaDeviceInfo& info, SoundDirection direction) {
    return direction == SoundDirection::Input ? info.maxInputChannels : info.maxOutputChannels;
}

// Device number (position in the direction's list, or -1 for the preferred one) to
// PortAudio's index, or paNoDevice.
PaDeviceIndex resolveDevice(int deviceId, SoundDirection direction) {
    if (deviceId < 0) {
        return direction == SoundDirection::Input ? Pa_GetDefaultInputDevice()
                                                  : Pa_GetDefaultOutputDevice();
    }
    int position = 0;
    const PaDeviceIndex count = Pa_GetDeviceCount();
    for (PaDeviceIndex i = 0; i < count; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info == nullptr || channelsOf(*info, direction) <= 0) continue;
        if (position == deviceId) return i;
        ++position;
    }
    return paNoDevice;
}

struct StreamFormat {
    int channels;
    int rate;
};

// The formats to try, best first: mono at the nominal rate needs no conversion at all.
std::vector<StreamFormat> candidateFormats(const PaDeviceInfo& info, SoundDirection direction,
                                           const SoundCardConfig& config) {
    const int ownRate = static_cast<int>(info.defaultSampleRate);
    const int maxChannels = channelsOf(info, direction);
    std::vector<int> rates;
    if (config.forcedDeviceRate > 0) {
        rates = {config.forcedDeviceRate};
    } else {
        rates = {config.nominalRate};
        if (ownRate > 0 && ownRate != config.nominalRate) rates.push_back(ownRate);
    }
    std::vector<StreamFormat> formats;
    for (int channels : {1, 2}) {
        if (channels > maxChannels) continue;
        for (int rate : rates) formats.push_back({channels, rate});
    }
    return formats;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Streams: what the callbacks share with the station's thread.

// What every stream shares with its callbacks and the watchdog.
struct PortAudioSoundCard::StreamState {
    explicit StreamState(SoundDirection d) : direction(d) {}
    virtual ~StreamState() = default;

    const SoundDirection direction;
    PaStream* stream = nullptr;
    int channels = 1;
    int deviceRate = 0;
    SoundEvents* events = nullptr;
    uint32_t serial = 0;
    std::atomic<bool> stopping{false};  // a stop was asked for: the end is no failure
    std::atomic<bool> failed{false};    // the stream ended or stalled on its own
    std::atomic<bool> stalled{false};   // no callback for a long time: closing would block
    std::atomic<uint64_t> callbacks{0};
    // Watchdog only: when the callback count last moved.
    uint64_t seenCallbacks = 0;
    std::chrono::steady_clock::time_point lastProgress = std::chrono::steady_clock::now();

    // Reports the stream's own end once; any thread, real-time safe.
    void reportFailure() {
        if (failed.exchange(true, std::memory_order_acq_rel)) return;
        events->post(
            {SoundEventKind::DeviceFailed, direction, -1, SoundError::DeviceVanished, serial});
    }
};

struct PortAudioSoundCard::InputStream : StreamState {
    SpscRing<int16_t> ring;  // mono at the device rate
    std::atomic<uint64_t> overruns{0};
    // Callback only: input is announced per 512 samples at the nominal rate (the announcements
    // coalesce until the station looks), counted in units of 1 / (nominal rate) frames so
    // that any device rate gives whole numbers.
    uint64_t credit = 0;
    uint64_t creditPerFrame = 1;
    uint64_t creditPerBlock = kInputBlockSamples;
    // Station's thread only.
    std::unique_ptr<RateConverter> converter;
    std::vector<int16_t> raw;
    std::vector<int16_t> converted;
    std::size_t convertedRead = 0;

    explicit InputStream(std::size_t capacity)
        : StreamState(SoundDirection::Input), ring(capacity) {}

    void accept(const int16_t* mono, std::size_t frames) {
        const std::size_t taken = ring.push(mono, frames);
        if (taken < frames) overruns.fetch_add(frames - taken, std::memory_order_relaxed);
        credit += taken * creditPerFrame;
        for (; credit >= creditPerBlock; credit -= creditPerBlock) {
            events->post({SoundEventKind::InputBlockReady, SoundDirection::Input, -1,
                          SoundError::None, serial});
        }
    }
};

struct PortAudioSoundCard::OutputStream : StreamState {
    struct Queued {
        int index;
        uint32_t frames;
    };

    SpscRing<int16_t> ring;  // mono at the device rate
    SpscRing<Queued> queued{kQueuedBufferSlots};
    std::array<std::atomic<bool>, kOutputBuffersInFlight> busy{};
    std::atomic<uint64_t> underruns{0};
    // Callback only: the buffer being played and the frames of it still to go.
    bool playing = false;
    Queued current{};
    // Station's thread only.
    std::unique_ptr<RateConverter> converter;
    std::vector<int16_t> converted;

    explicit OutputStream(std::size_t capacity)
        : StreamState(SoundDirection::Output), ring(capacity) {}

    // Counts played frames against the queued buffers and reports each finished one.
    void account(std::size_t frames) {
        for (;;) {
            if (!playing) {
                if (!queued.pop(current)) return;
                playing = true;
            }
            const auto take = static_cast<uint32_t>(std::min<std::size_t>(frames, current.frames));
            current.frames -= take;
            frames -= take;
            if (current.frames > 0) return;
            playing = false;
            busy[current.index].store(false, std::memory_order_release);
            events->post({SoundEventKind::OutputBufferDone, SoundDirection::Output, current.index,
                          SoundError::None, serial});
        }
    }
};

namespace {

int inputCallback(const void* input, void*, unsigned long frames, const PaStreamCallbackTimeInfo*,
                  PaStreamCallbackFlags, void* user) {
    auto* s = static_cast<PortAudioSoundCard::InputStream*>(
        static_cast<PortAudioSoundCard::StreamState*>(user));
    s->callbacks.fetch_add(1, std::memory_order_relaxed);
    const auto* in = static_cast<const int16_t*>(input);
    if (in == nullptr) return paContinue;
    if (s->channels == 1) {
        s->accept(in, frames);
        return paContinue;
    }
    // Several channels: keep the first.
    int16_t mono[kCallbackChunk];
    std::size_t done = 0;
    while (done < frames) {
        const std::size_t n = std::min<std::size_t>(kCallbackChunk, frames - done);
        for (std::size_t i = 0; i < n; ++i) {
            mono[i] = in[(done + i) * static_cast<std::size_t>(s->channels)];
        }
        s->accept(mono, n);
        done += n;
    }
    return paContinue;
}

int outputCallback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                   PaStreamCallbackFlags, void* user) {
    auto* s = static_cast<PortAudioSoundCard::OutputStream*>(
        static_cast<PortAudioSoundCard::StreamState*>(user));
    s->callbacks.fetch_add(1, std::memory_order_relaxed);
    auto* out = static_cast<int16_t*>(output);
    const auto channels = static_cast<std::size_t>(s->channels);
    std::size_t played = 0;
    if (channels == 1) {
        played = s->ring.pop(out, frames);
        std::fill(out + played, out + frames, int16_t{0});
    } else {
        int16_t mono[kCallbackChunk];
        std::size_t done = 0;
        while (done < frames) {
            const std::size_t n = std::min<std::size_t>(kCallbackChunk, frames - done);
            const std::size_t got = s->ring.pop(mono, n);
            std::fill(mono + got, mono + n, int16_t{0});
            for (std::size_t i = 0; i < n; ++i) {
                std::fill_n(out + (done + i) * channels, channels, mono[i]);
            }
            played += got;
            done += n;
        }
    }
    // Running dry while a buffer is still owed is an underrun; silence between
    // transmissions is not.
    if (played < frames && (s->playing || s->queued.readable() > 0)) {
        s->underruns.fetch_add(frames - played, std::memory_order_relaxed);
    }
    s->account(played);
    return paContinue;
}

void streamFinished(void* user) {
    auto* s = static_cast<PortAudioSoundCard::StreamState*>(user);
    if (s->stopping.load(std::memory_order_acquire)) return;
    // Nobody asked it to stop: the server or the device went away.
    s->reportFailure();
}

// Opens a stream in the first format the device accepts.
template <typename Stream>
SoundResult openStream(Stream& s, PaStreamCallback* callback, SoundDirection direction,
                       const SoundCardConfig& config) {
    const bool isInput = direction == SoundDirection::Input;
    const char* side = isInput ? "input" : "output";
    const int deviceId = isInput ? config.inputDeviceId : config.outputDeviceId;
    const PaDeviceIndex device = resolveDevice(deviceId, direction);
    if (device == paNoDevice) {
        return SoundResult::failure(
            SoundError::NoDevice,
            deviceId < 0
                ? std::string("no ") + side + " sound device present"
                : std::string("no ") + side + " sound device number " + std::to_string(deviceId));
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
                          format.rate, kFramesPerCallback, paNoFlag, callback,
                          static_cast<PortAudioSoundCard::StreamState*>(&s));
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

SoundResult startStream(PortAudioSoundCard::StreamState& s, const std::string& side) {
    PaError error = Pa_SetStreamFinishedCallback(s.stream, &streamFinished);
    if (error == paNoError) error = Pa_StartStream(s.stream);
    if (error != paNoError) {
        s.stopping.store(true);
        Pa_CloseStream(s.stream);
        s.stream = nullptr;
        return SoundResult::failure(mapError(error),
                                    describe(("starting the " + side + " stream").c_str(), error));
    }
    return SoundResult::success();
}

// Streams whose closing thread has not finished yet.
std::atomic<int> closingInBackground{0};

void closeNow(PortAudioSoundCard::StreamState& s, bool drain) {
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

// Closes a stream and frees its state. Closing blocks while the sound server does not answer
// (a frozen server keeps the stream "active" and every stop waits for it), so the closing runs
// on a thread of its own: the station waits for it a short while, which is plenty for a
// healthy stream (draining output takes about the output latency), and then goes on while the
// thread finishes whenever the server moves or dies.
template <typename Stream>
void shutStream(std::unique_ptr<Stream> s, bool drain) {
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

}  // namespace

// ---------------------------------------------------------------------------------------------

PortAudioSoundCard::PortAudioSoundCard(const SoundCardConfig& config) : SoundCard(config) {
    silenceLibraries();
    watchdog_ = std::thread([this] { watch(); });
}

PortAudioSoundCard::~PortAudioSoundCard() {
    stopInput();
    [[maybe_unused]] const SoundResult closed = closeOutput();
    {
        std::lock_guard lock(watchMutex_);
        stopWatching_ = true;
    }
    watchWake_.notify_all();
    watchdog_.join();
    // A stream still closing in the background needs the library until it is done.
    if (libraryUp_ && closingInBackground.load() == 0) Pa_Terminate();
}

bool PortAudioSoundCard::backgroundClosesPending() {
    return closingInBackground.load() > 0;
}

// The watchdog: a stream whose callback has not run for a long time is stalled (a frozen
// sound server keeps it "active" but silent); report it, so the station does not wait forever.
void PortAudioSoundCard::watch() {
    std::unique_lock lock(watchMutex_);
    while (!stopWatching_) {
        watchWake_.wait_for(lock, kWatchInterval);
        const auto now = std::chrono::steady_clock::now();
        for (StreamState* stream :
             {static_cast<StreamState*>(input_.get()), static_cast<StreamState*>(output_.get())}) {
            if (stream == nullptr || stream->failed.load()) continue;
            const uint64_t count = stream->callbacks.load(std::memory_order_relaxed);
            if (count != stream->seenCallbacks) {
                stream->seenCallbacks = count;
                stream->lastProgress = now;
            } else if (now - stream->lastProgress >
                       (count == 0 ? kFirstCallbackTimeout : kStallTimeout)) {
                stream->stalled.store(true);
                stream->reportFailure();
            }
        }
    }
}

SoundResult PortAudioSoundCard::ensureLibrary() {
    if (libraryUp_ && refreshLibrary_ && !input_ && !output_) restartLibrary();
    if (!libraryUp_) {
        const PaError error = Pa_Initialize();
        if (error != paNoError) {
            return SoundResult::failure(SoundError::LibraryFailed,
                                        describe("starting PortAudio", error));
        }
        libraryUp_ = true;
        refreshLibrary_ = false;
    }
    return SoundResult::success();
}

void PortAudioSoundCard::restartLibrary() {
    // Never under a stream that is still being closed.
    if (closingInBackground.load() > 0) return;
    if (libraryUp_) Pa_Terminate();
    libraryUp_ = false;
    refreshLibrary_ = false;
}

std::vector<SoundDeviceInfo> PortAudioSoundCard::listDevices(SoundDirection direction) {
    // The device dialog should see what is there now, not what was there at start-up.
    if (!input_ && !output_) restartLibrary();
    std::vector<SoundDeviceInfo> devices;
    if (!ensureLibrary().ok()) return devices;
    const PaDeviceIndex count = Pa_GetDeviceCount();
    for (PaDeviceIndex i = 0; i < count; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info == nullptr || channelsOf(*info, direction) <= 0) continue;
        devices.push_back({info->name, channelsOf(*info, direction), info->defaultSampleRate});
    }
    return devices;
}

std::vector<SoundDeviceInfo> PortAudioSoundCard::inputDevices() {
    return listDevices(SoundDirection::Input);
}

std::vector<SoundDeviceInfo> PortAudioSoundCard::outputDevices() {
    return listDevices(SoundDirection::Output);
}

SoundResult PortAudioSoundCard::startInput() {
    if (input_) return SoundResult::success();
    if (SoundResult r = ensureLibrary(); !r.ok()) return r;

    const int nominal = config_.nominalRate;
    auto stream = std::make_unique<InputStream>(0);
    SoundResult result = openStream(*stream, &inputCallback, SoundDirection::Input, config_);
    if (!result.ok()) {
        refreshLibrary_ = true;
        return result;
    }
    // The callback runs only once the stream starts, so the ring can still be sized for the
    // rate the device accepted: 48 blocks of backlog at that rate.
    const int rate = stream->deviceRate;
    stream->ring.reallocate(static_cast<std::size_t>(
        (static_cast<uint64_t>(kInputBacklogBlocks) * kInputBlockSamples * rate + nominal - 1) /
        static_cast<uint64_t>(nominal)));
    stream->events = &events_;
    stream->creditPerFrame = static_cast<uint64_t>(nominal);
    stream->creditPerBlock =
        static_cast<uint64_t>(kInputBlockSamples) * static_cast<uint64_t>(rate);
    if (rate != nominal) {
        stream->converter = makeRateConverter(rate, nominal);
        if (!stream->converter) {
            shutStream(std::move(stream), false);
            return SoundResult::failure(SoundError::FormatRefused,
                                        "no conversion from " + std::to_string(rate) + " to " +
                                            std::to_string(nominal) + " samples per second");
        }
        stream->raw.resize(4096);
    }
    stream->serial = events_.beginStream(SoundDirection::Input);
    result = startStream(*stream, "input");
    if (!result.ok()) {
        events_.endStream(SoundDirection::Input);
        refreshLibrary_ = true;
        return result;
    }
    stream->lastProgress = std::chrono::steady_clock::now();
    std::lock_guard lock(watchMutex_);
    input_ = std::move(stream);
    return SoundResult::success();
}

void PortAudioSoundCard::stopInput() {
    if (!input_) return;
    events_.endStream(SoundDirection::Input);
    if (input_->failed.load()) refreshLibrary_ = true;
    std::unique_ptr<InputStream> closing;
    {
        std::lock_guard lock(watchMutex_);
        closing = std::move(input_);
    }
    shutStream(std::move(closing), false);
}

bool PortAudioSoundCard::readInputBlock(InputBlock block) {
    if (!input_) return false;
    InputStream& s = *input_;
    if (!s.converter) {
        if (s.ring.readable() < block.size()) return false;
        s.ring.pop(block.data(), block.size());
        return true;
    }
    // Converted input: pull device-rate samples through the converter until a block is whole.
    while (s.converted.size() - s.convertedRead < block.size()) {
        const std::size_t got = s.ring.pop(s.raw.data(), s.raw.size());
        if (got == 0) return false;
        s.converter->convert(std::span<const int16_t>(s.raw.data(), got), s.converted);
    }
    std::copy_n(s.converted.begin() + static_cast<std::ptrdiff_t>(s.convertedRead), block.size(),
                block.begin());
    s.convertedRead += block.size();
    if (s.convertedRead >= s.converted.size() / 2) {
        s.converted.erase(s.converted.begin(),
                          s.converted.begin() + static_cast<std::ptrdiff_t>(s.convertedRead));
        s.convertedRead = 0;
    }
    return true;
}

SoundResult PortAudioSoundCard::openOutput() {
    if (output_) return SoundResult::success();
    if (SoundResult r = ensureLibrary(); !r.ok()) return r;

    const int nominal = config_.nominalRate;
    auto stream = std::make_unique<OutputStream>(0);
    SoundResult result = openStream(*stream, &outputCallback, SoundDirection::Output, config_);
    if (!result.ok()) {
        refreshLibrary_ = true;
        return result;
    }
    // Room for every buffer in flight at the device's rate, plus what a converter may add.
    const int rate = stream->deviceRate;
    const uint64_t perBuffer =
        (static_cast<uint64_t>(kOutputBufferSamples) * rate + nominal - 1) / nominal + 64;
    stream->ring.reallocate(static_cast<std::size_t>(perBuffer * (kOutputBuffersInFlight + 1)));
    stream->events = &events_;
    if (rate != nominal) {
        stream->converter = makeRateConverter(nominal, rate);
        if (!stream->converter) {
            shutStream(std::move(stream), false);
            return SoundResult::failure(SoundError::FormatRefused,
                                        "no conversion from " + std::to_string(nominal) + " to " +
                                            std::to_string(rate) + " samples per second");
        }
    }
    stream->serial = events_.beginStream(SoundDirection::Output);
    result = startStream(*stream, "output");
    if (!result.ok()) {
        events_.endStream(SoundDirection::Output);
        refreshLibrary_ = true;
        return result;
    }
    stream->lastProgress = std::chrono::steady_clock::now();
    std::lock_guard lock(watchMutex_);
    output_ = std::move(stream);
    return SoundResult::success();
}

SoundResult PortAudioSoundCard::closeOutput() {
    if (!output_) return SoundResult::success();
    events_.endStream(SoundDirection::Output);
    if (output_->failed.load()) refreshLibrary_ = true;
    std::unique_ptr<OutputStream> closing;
    {
        std::lock_guard lock(watchMutex_);
        closing = std::move(output_);
    }
    shutStream(std::move(closing), true);
    return SoundResult::success();
}

SoundResult PortAudioSoundCard::playBuffer(int index) {
    if (!validBuffer(index)) {
        return SoundResult::failure(SoundError::BadBuffer,
                                    "no output buffer number " + std::to_string(index));
    }
    if (!output_) return SoundResult::failure(SoundError::NotOpen, "the output is not open");
    OutputStream& s = *output_;
    if (s.failed.load()) {
        return SoundResult::failure(SoundError::DeviceVanished, "the output stream has stopped");
    }
    if (s.busy[index].load(std::memory_order_acquire)) {
        return SoundResult::failure(SoundError::BadBuffer,
                                    "output buffer " + std::to_string(index) + " is still playing");
    }
    std::span<const int16_t> samples(outputBuffers_[index]);
    if (s.converter) {
        s.converted.clear();
        s.converter->convert(samples, s.converted);
        samples = s.converted;
    }
    if (s.ring.writable() < samples.size() || s.queued.writable() == 0) {
        return SoundResult::failure(SoundError::OutputFull, "the output queue is full");
    }
    // The record goes first, so the callback never plays samples it cannot account for.
    s.busy[index].store(true, std::memory_order_release);
    s.queued.push({index, static_cast<uint32_t>(samples.size())});
    s.ring.push(samples.data(), samples.size());
    return SoundResult::success();
}

uint64_t PortAudioSoundCard::inputOverruns() const {
    return input_ ? input_->overruns.load() : 0;
}

uint64_t PortAudioSoundCard::outputUnderruns() const {
    return output_ ? output_->underruns.load() : 0;
}

int PortAudioSoundCard::inputDeviceRate() const {
    return input_ ? input_->deviceRate : 0;
}

int PortAudioSoundCard::outputDeviceRate() const {
    return output_ ? output_->deviceRate : 0;
}

}  // namespace tarnvel::audio
