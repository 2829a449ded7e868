#include "audio/StreamWatchdog.h"

namespace tarnvel::audio {

namespace {

// A running stream's callback comes every few tens of milliseconds, so five seconds without
// one means the stream is stuck. The first one can take two seconds after the start (more on
// a loaded machine), so it gets longer.
constexpr std::chrono::seconds kStallTimeout{5};
constexpr std::chrono::seconds kFirstCallbackTimeout{15};

}  // namespace

StreamWatchdog::StreamWatchdog() : thread_([this] { run(); }) {}

StreamWatchdog::~StreamWatchdog() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void StreamWatchdog::watch(PortAudioStream& stream) {
    std::lock_guard lock(mutex_);
    stream.lastProgress = std::chrono::steady_clock::now();
    slot(stream.direction) = &stream;
}

void StreamWatchdog::forget(SoundDirection direction) {
    std::lock_guard lock(mutex_);
    slot(direction) = nullptr;
}

PortAudioStream*& StreamWatchdog::slot(SoundDirection direction) {
    return direction == SoundDirection::Input ? input_ : output_;
}

void StreamWatchdog::run() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        wake_.wait_for(lock, kWatchInterval);
        const auto now = std::chrono::steady_clock::now();
        for (PortAudioStream* stream : {input_, output_}) {
            if (stream != nullptr) check(*stream, now);
        }
    }
}

void StreamWatchdog::check(PortAudioStream& stream, std::chrono::steady_clock::time_point now) {
    if (stream.failed.load()) return;
    const uint64_t count = stream.callbacks.load(std::memory_order_relaxed);
    if (count != stream.seenCallbacks) {
        stream.seenCallbacks = count;
        stream.lastProgress = now;
    } else if (now - stream.lastProgress > (count == 0 ? kFirstCallbackTimeout : kStallTimeout)) {
        stream.stalled.store(true);
        stream.reportFailure();
    }
}

}  // namespace tarnvel::audio
