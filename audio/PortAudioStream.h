#pragma once
// What an open PortAudio stream shares between its callback, the watchdog and the station's
// thread: rings, counters and the failure flags. The callback side is real-time safe.

#include <portaudio.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/RateConverter.h"
#include "audio/SoundEvents.h"
#include "audio/SoundTypes.h"
#include "audio/SpscRing.h"

namespace tarnvel::audio {

// What every stream shares with its callbacks and the watchdog.
struct PortAudioStream {
    explicit PortAudioStream(SoundDirection d) : direction(d) {}
    virtual ~PortAudioStream() = default;
    PortAudioStream(const PortAudioStream&) = delete;
    PortAudioStream& operator=(const PortAudioStream&) = delete;

    const SoundDirection direction;
    PaStream* stream = nullptr;
    int channels = 1;
    int deviceRate = 0;
    SoundEvents* events = nullptr;
    uint32_t serial = 0;
    std::atomic<bool> stopping{false};  // a stop was asked for: the end is no failure
    std::atomic<bool> failed{false};    // the stream ended or stalled on its own
    std::atomic<bool> stalled{false};   // no callback for a long time: closing would block
    bool startHung = false;             // the start never returned: the stream is PortAudio's
    std::atomic<uint64_t> callbacks{0};
    // Watchdog only: when the callback count last moved.
    uint64_t seenCallbacks = 0;
    std::chrono::steady_clock::time_point lastProgress = std::chrono::steady_clock::now();

    // Reports the stream's own end once; any thread, real-time safe.
    void reportFailure();
};

struct PortAudioInputStream : PortAudioStream {
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

    PortAudioInputStream() : PortAudioStream(SoundDirection::Input) {}

    // Callback: stores mono samples and announces each whole block.
    void accept(const int16_t* mono, std::size_t frames);
};

struct PortAudioOutputStream : PortAudioStream {
    // Room for output records beyond the four buffers in flight.
    static constexpr std::size_t kQueuedBufferSlots = 8;

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

    PortAudioOutputStream() : PortAudioStream(SoundDirection::Output) {}

    // Callback: counts played frames against the queued buffers and reports each finished one.
    void account(std::size_t frames);
};

}  // namespace tarnvel::audio
