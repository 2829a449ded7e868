#pragma once
// The notifications of the sound back ends, delivered to the station's thread.
//
// The audio threads only post: posting takes no lock, allocates nothing and is safe from a
// real-time callback (a bounded queue of small values plus an eventfd write). The station's
// thread either waits with a time-out (`waitFor`) or watches `wakeFd()` (a Qt front end hands
// it to a QSocketNotifier), then calls `next()` until it returns nothing.
//
// Only OutputBufferDone events take a place in the queue, and there are never more of them
// than buffers in flight. "Data is waiting" (InputBlockReady) is a flag: any number of posts
// before the station looks make one event, so a file or a callback racing ahead of a slow
// station cannot crowd the queue. The end of a stream (InputEnded, DeviceFailed) is kept
// aside for each direction and comes after the data that preceded it, so it is never lost.

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

    // Any thread, real-time safe. Returns false (and counts a drop) when the queue is full;
    // only an OutputBufferDone can find it full.
    bool post(const SoundEvent& event) noexcept;

    // Station's thread: the next event of a current stream: waiting input, then buffers done,
    // oldest first, then the end of a stream. Events of a stream that has since been closed
    // are discarded here.
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
    bool isCurrent(SoundDirection direction, uint32_t stream) const;
    std::optional<SoundEvent> nextQueued();
    std::optional<SoundEvent> takeInputReady(SoundDirection direction);
    std::optional<SoundEvent> takeStreamEnd(SoundDirection direction);
    // The state slots below hold a stream number; a later opening's post replaces an
    // earlier one's, never the other way round.
    static void keepNewest(std::atomic<uint64_t>& slot, uint64_t value) noexcept;

    std::array<Cell, kCapacity> cells_;
    alignas(64) std::atomic<std::size_t> enqueuePos_{0};
    alignas(64) std::atomic<std::size_t> dequeuePos_{0};
    std::array<std::atomic<uint32_t>, 2> currentStream_{};
    // Per direction: the stream with input waiting (0: none).
    std::array<std::atomic<uint64_t>, 2> inputReady_{};
    // Per direction: stream << 32 | kind << 16 | error << 8 | 1 of the first end (0: none).
    std::array<std::atomic<uint64_t>, 2> streamEnd_{};
    std::atomic<uint32_t> streamCounter_{0};
    std::atomic<uint64_t> dropped_{0};
    int wakeFd_ = -1;
};

}  // namespace tarnvel::audio
