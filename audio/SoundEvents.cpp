#include "audio/SoundEvents.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace tarnvel::audio {

namespace {
// Stream number 0 is never current: events of a closed direction carry it or an old number.
constexpr uint32_t kNoStream = 0;
std::size_t directionIndex(SoundDirection d) {
    return d == SoundDirection::Input ? 0 : 1;
}

constexpr uint64_t kSlotUsed = 1;
constexpr int kStreamShift = 32;
constexpr int kKindShift = 16;
constexpr int kErrorShift = 8;

uint32_t streamOf(uint64_t slot) {
    return static_cast<uint32_t>(slot >> kStreamShift);
}

// Stream numbers grow with each opening (wrapping after four thousand million).
bool isLater(uint32_t a, uint32_t b) {
    return static_cast<int32_t>(a - b) > 0;
}

uint64_t packStreamEnd(const SoundEvent& e) {
    return static_cast<uint64_t>(e.stream) << kStreamShift |
           static_cast<uint64_t>(e.kind) << kKindShift |
           static_cast<uint64_t>(e.error) << kErrorShift | kSlotUsed;
}
}  // namespace

// The queue is a bounded multi-producer queue in which every cell carries a sequence number
// telling producers and the consumer whose turn it is, so no thread ever waits for another.
SoundEvents::SoundEvents() {
    for (std::size_t i = 0; i < kCapacity; ++i) cells_[i].sequence.store(i);
    for (auto& s : currentStream_) s.store(kNoStream);
    wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

SoundEvents::~SoundEvents() {
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

void SoundEvents::keepNewest(std::atomic<uint64_t>& slot, uint64_t value) noexcept {
    uint64_t seen = slot.load(std::memory_order_acquire);
    for (;;) {
        // The first end of a stream stands; a stale stream never hides a newer one's state.
        if (seen != 0 && !isLater(streamOf(value), streamOf(seen))) return;
        if (slot.compare_exchange_weak(seen, value, std::memory_order_acq_rel)) return;
    }
}

bool SoundEvents::post(const SoundEvent& event) noexcept {
    const std::size_t side = directionIndex(event.direction);
    switch (event.kind) {
        case SoundEventKind::InputBlockReady: {
            const uint64_t slot = static_cast<uint64_t>(event.stream) << kStreamShift | kSlotUsed;
            // Already flagged for this stream: the station has not looked yet, no news.
            if (inputReady_[side].load(std::memory_order_acquire) == slot) return true;
            keepNewest(inputReady_[side], slot);
            wake();
            return true;
        }
        case SoundEventKind::InputEnded:
        case SoundEventKind::DeviceFailed:
            keepNewest(streamEnd_[side], packStreamEnd(event));
            wake();
            return true;
        case SoundEventKind::OutputBufferDone:
            break;
    }
    std::size_t pos = enqueuePos_.load(std::memory_order_relaxed);
    for (;;) {
        Cell& cell = cells_[pos % kCapacity];
        const std::size_t seq = cell.sequence.load(std::memory_order_acquire);
        const auto diff = static_cast<std::ptrdiff_t>(seq) - static_cast<std::ptrdiff_t>(pos);
        if (diff == 0) {
            if (enqueuePos_.compare_exchange_weak(pos, pos + 1, std::memory_order_relaxed)) {
                cell.event = event;
                cell.sequence.store(pos + 1, std::memory_order_release);
                break;
            }
        } else if (diff < 0) {
            dropped_.fetch_add(1, std::memory_order_relaxed);
            wake();
            return false;
        } else {
            pos = enqueuePos_.load(std::memory_order_relaxed);
        }
    }
    wake();
    return true;
}

void SoundEvents::wake() noexcept {
    if (wakeFd_ < 0) return;
    const uint64_t one = 1;
    // A full counter (never reached in practice) still leaves the descriptor readable.
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
}

void SoundEvents::acknowledgeWake() {
    if (wakeFd_ < 0) return;
    uint64_t value = 0;
    [[maybe_unused]] const ssize_t got = ::read(wakeFd_, &value, sizeof value);
}

bool SoundEvents::pending() const {
    for (std::size_t side = 0; side < 2; ++side) {
        if (inputReady_[side].load(std::memory_order_acquire) != 0) return true;
        if (streamEnd_[side].load(std::memory_order_acquire) != 0) return true;
    }
    const std::size_t pos = dequeuePos_.load(std::memory_order_relaxed);
    const Cell& cell = cells_[pos % kCapacity];
    return cell.sequence.load(std::memory_order_acquire) == pos + 1;
}

bool SoundEvents::isCurrent(SoundDirection direction, uint32_t stream) const {
    const uint32_t current =
        currentStream_[directionIndex(direction)].load(std::memory_order_acquire);
    return current != kNoStream && stream == current;
}

bool SoundEvents::isCurrent(const SoundEvent& event) const {
    return isCurrent(event.direction, event.stream);
}

std::optional<SoundEvent> SoundEvents::takeInputReady(SoundDirection direction) {
    const uint64_t slot =
        inputReady_[directionIndex(direction)].exchange(0, std::memory_order_acq_rel);
    if (slot == 0 || !isCurrent(direction, streamOf(slot))) return std::nullopt;
    return SoundEvent{SoundEventKind::InputBlockReady, direction, -1, SoundError::None,
                      streamOf(slot)};
}

std::optional<SoundEvent> SoundEvents::takeStreamEnd(SoundDirection direction) {
    const std::size_t side = directionIndex(direction);
    if (streamEnd_[side].load(std::memory_order_acquire) == 0) return std::nullopt;
    // The end was posted after the stream's last data, so a flag seen now belongs before it.
    if (auto ready = takeInputReady(direction)) return ready;
    const uint64_t slot = streamEnd_[side].exchange(0, std::memory_order_acq_rel);
    if (slot == 0 || !isCurrent(direction, streamOf(slot))) return std::nullopt;
    return SoundEvent{static_cast<SoundEventKind>(slot >> kKindShift & 0xff), direction, -1,
                      static_cast<SoundError>(slot >> kErrorShift & 0xff), streamOf(slot)};
}

std::optional<SoundEvent> SoundEvents::next() {
    // Waiting input first: a back end that hands a done buffer straight back (a loopback)
    // must not keep the queue busy while the input backlog overflows.
    if (auto ready = takeInputReady(SoundDirection::Input)) return ready;
    if (auto queued = nextQueued()) return queued;
    for (const SoundDirection d : {SoundDirection::Input, SoundDirection::Output}) {
        if (auto end = takeStreamEnd(d)) return end;
    }
    return std::nullopt;
}

std::optional<SoundEvent> SoundEvents::nextQueued() {
    for (;;) {
        const std::size_t pos = dequeuePos_.load(std::memory_order_relaxed);
        Cell& cell = cells_[pos % kCapacity];
        if (cell.sequence.load(std::memory_order_acquire) != pos + 1) return std::nullopt;
        const SoundEvent event = cell.event;
        dequeuePos_.store(pos + 1, std::memory_order_relaxed);
        cell.sequence.store(pos + kCapacity, std::memory_order_release);
        if (isCurrent(event)) return event;
    }
}

bool SoundEvents::waitFor(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        // Reset the descriptor before looking, so a post after the look leaves it readable.
        acknowledgeWake();
        if (pending()) return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return pending();
        // Without a descriptor (the system refused one) look again every few milliseconds.
        constexpr int kPollWithoutDescriptorMs = 5;
        pollfd fd{wakeFd_, POLLIN, 0};
        const int rc =
            wakeFd_ >= 0
                ? ::poll(&fd, 1, static_cast<int>(left.count()))
                : ::poll(nullptr, 0,
                         std::min(kPollWithoutDescriptorMs, static_cast<int>(left.count())));
        if (rc < 0 && errno != EINTR) return pending();
    }
}

uint32_t SoundEvents::beginStream(SoundDirection direction) {
    uint32_t stream = streamCounter_.fetch_add(1) + 1;
    if (stream == kNoStream) stream = streamCounter_.fetch_add(1) + 1;
    currentStream_[directionIndex(direction)].store(stream, std::memory_order_release);
    return stream;
}

void SoundEvents::endStream(SoundDirection direction) {
    currentStream_[directionIndex(direction)].store(kNoStream, std::memory_order_release);
}

}  // namespace tarnvel::audio
