#pragma once
// The notifications of the sound back ends, delivered to the station's thread.
//
// The audio threads only post: posting takes no lock, allocates nothing and is safe from a
// real-time callback (a bounded queue of small values plus an eventfd write). The station's
// thread either waits with a time-out (`waitFor`) or watches `wakeFd()` (a Qt front end hands
// it to a QSocketNotifier), then calls `next()` until it returns nothing.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>

#include "audio/SoundTypes.h"

namespace tarnvel::audio {

enum class SoundEventKind : uint8_t {
    InputBlockReady,   // at least one 512-sample block can be read (read until none is left)
    OutputBufferDone,  // `buffer` has been played and may be refilled
    InputEnded,        // a recording used as input has no more samples
    DeviceFailed,      // the stream of `direction` stopped on its own; `error` says why
};

struct SoundEvent {
    SoundEventKind kind = SoundEventKind::InputBlockReady;
    SoundDirection direction = SoundDirection::Input;
    int buffer = -1;
    SoundError error = SoundError::None;
    uint32_t stream = 0;  // which opening of the direction posted it
};

class SoundEvents {
  public:
    // Enough for a full input backlog, the output buffers and failures many times over.
    static constexpr std::size_t kCapacity = 256;

    SoundEvents();
    ~SoundEvents();
    SoundEvents(const SoundEvents&) = delete;
    SoundEvents& operator=(const SoundEvents&) = delete;

    // Any thread, real-time safe. Returns false (and counts a drop) when the queue is full.
    bool post(const SoundEvent& event) noexcept;

    // Station's thread: the next event of a current stream, oldest first. Events of a stream
    // that has since been closed are discarded here.
    std::optional<SoundEvent> next();

    // Station's thread: waits until an event is pending or the time-out passes; true if an
    // event is pending.
    bool waitFor(std::chrono::milliseconds timeout);

    // Readable while events may be pending; for a front end's own event loop. After it
    // becomes readable call `acknowledgeWake()` and then `next()` until it returns nothing.
    int wakeFd() const { return wakeFd_; }
    void acknowledgeWake();

    // Wakes a waiter without an event (for example to make it look at a stop flag).
    void wake() noexcept;

    // The back ends mark a new opening of a direction, so that late events of the previous
    // one are dropped; returns the new stream number to put into events.
    uint32_t beginStream(SoundDirection direction);
    // After a close: every event of the direction is stale until the next beginStream.
    void endStream(SoundDirection direction);

    uint64_t droppedEvents() const { return dropped_.load(std::memory_order_relaxed); }

  private:
    struct Cell {
        std::atomic<std::size_t> sequence;
        SoundEvent event;
    };

    bool pending() const;
    bool isCurrent(const SoundEvent& event) const;

    std::array<Cell, kCapacity> cells_;
    alignas(64) std::atomic<std::size_t> enqueuePos_{0};
    alignas(64) std::atomic<std::size_t> dequeuePos_{0};
    std::array<std::atomic<uint32_t>, 2> currentStream_{};
    std::atomic<uint32_t> streamCounter_{0};
    std::atomic<uint64_t> dropped_{0};
    int wakeFd_ = -1;
};

}  // namespace tarnvel::audio
