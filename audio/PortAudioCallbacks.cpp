#include "audio/PortAudioCallbacks.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "audio/PortAudioStream.h"

namespace tarnvel::audio {

namespace {

// Samples the callback handles at a time when it has to split or join channels.
constexpr std::size_t kCallbackChunk = 256;

template <typename Stream>
Stream& streamOf(void* user) {
    return static_cast<Stream&>(*static_cast<PortAudioStream*>(user));
}

}  // namespace

int inputCallback(const void* input, void*, unsigned long frames, const PaStreamCallbackTimeInfo*,
                  PaStreamCallbackFlags, void* user) {
    auto& s = streamOf<PortAudioInputStream>(user);
    s.callbacks.fetch_add(1, std::memory_order_relaxed);
    const auto* in = static_cast<const int16_t*>(input);
    if (in == nullptr) return paContinue;
    if (s.channels == 1) {
        s.accept(in, frames);
        return paContinue;
    }
    // Several channels: keep the first.
    int16_t mono[kCallbackChunk];
    std::size_t done = 0;
    while (done < frames) {
        const std::size_t n = std::min<std::size_t>(kCallbackChunk, frames - done);
        for (std::size_t i = 0; i < n; ++i) {
            mono[i] = in[(done + i) * static_cast<std::size_t>(s.channels)];
        }
        s.accept(mono, n);
        done += n;
    }
    return paContinue;
}

int outputCallback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                   PaStreamCallbackFlags, void* user) {
    auto& s = streamOf<PortAudioOutputStream>(user);
    s.callbacks.fetch_add(1, std::memory_order_relaxed);
    auto* out = static_cast<int16_t*>(output);
    const auto channels = static_cast<std::size_t>(s.channels);
    std::size_t played = 0;
    if (channels == 1) {
        played = s.ring.pop(out, frames);
        std::fill(out + played, out + frames, int16_t{0});
    } else {
        int16_t mono[kCallbackChunk];
        std::size_t done = 0;
        while (done < frames) {
            const std::size_t n = std::min<std::size_t>(kCallbackChunk, frames - done);
            const std::size_t got = s.ring.pop(mono, n);
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
    if (played < frames && (s.playing || s.queued.readable() > 0)) {
        s.underruns.fetch_add(frames - played, std::memory_order_relaxed);
    }
    s.account(played);
    return paContinue;
}

void streamFinished(void* user) {
    auto* s = static_cast<PortAudioStream*>(user);
    if (s->stopping.load(std::memory_order_acquire)) return;
    s->reportFailure();
}

}  // namespace tarnvel::audio
