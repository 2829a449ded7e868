#include "audio/PortAudioStream.h"

#include <algorithm>

namespace tarnvel::audio {

void PortAudioStream::reportFailure() {
    if (failed.exchange(true, std::memory_order_acq_rel)) return;
    events->post({SoundEventKind::DeviceFailed, direction, -1, SoundError::DeviceVanished, serial});
}

void PortAudioInputStream::accept(const int16_t* mono, std::size_t frames) {
    const std::size_t taken = ring.push(mono, frames);
    if (taken < frames) overruns.fetch_add(frames - taken, std::memory_order_relaxed);
    credit += taken * creditPerFrame;
    for (; credit >= creditPerBlock; credit -= creditPerBlock) {
        events->post(
            {SoundEventKind::InputBlockReady, SoundDirection::Input, -1, SoundError::None, serial});
    }
}

void PortAudioOutputStream::account(std::size_t frames) {
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

}  // namespace tarnvel::audio
