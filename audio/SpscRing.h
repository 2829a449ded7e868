#pragma once
// A fixed-capacity ring for one producer thread and one consumer thread, without locks or
// allocation after construction: the audio callback may use either end.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <memory>
#include <type_traits>

namespace tarnvel::audio {

template <typename T>
class SpscRing {
    static_assert(std::is_trivially_copyable_v<T>);

  public:
    explicit SpscRing(std::size_t capacity = 0)
        : storage_(capacity ? std::make_unique<T[]>(capacity) : nullptr), capacity_(capacity) {}

    SpscRing(const SpscRing&) = delete;
    SpscRing& operator=(const SpscRing&) = delete;

    std::size_t capacity() const { return capacity_; }

    // Producer side: how many items fit now.
    std::size_t writable() const {
        return capacity_ -
               (head_.load(std::memory_order_relaxed) - tail_.load(std::memory_order_acquire));
    }

    // Consumer side: how many items wait.
    std::size_t readable() const {
        return head_.load(std::memory_order_acquire) - tail_.load(std::memory_order_relaxed);
    }

    // Appends up to n items; returns how many were taken.
    std::size_t push(const T* items, std::size_t n) {
        const std::size_t head = head_.load(std::memory_order_relaxed);
        const std::size_t tail = tail_.load(std::memory_order_acquire);
        n = std::min(n, capacity_ - (head - tail));
        copyIn(head, items, n);
        head_.store(head + n, std::memory_order_release);
        return n;
    }

    bool push(const T& item) { return push(&item, 1) == 1; }

    // Removes up to n items into out; returns how many were removed.
    std::size_t pop(T* out, std::size_t n) {
        const std::size_t tail = tail_.load(std::memory_order_relaxed);
        const std::size_t head = head_.load(std::memory_order_acquire);
        n = std::min(n, head - tail);
        copyOut(tail, out, n);
        tail_.store(tail + n, std::memory_order_release);
        return n;
    }

    bool pop(T& item) { return pop(&item, 1) == 1; }

    // Empties the ring with a new capacity; only while neither side is running.
    void reallocate(std::size_t capacity) {
        storage_ = capacity ? std::make_unique<T[]>(capacity) : nullptr;
        capacity_ = capacity;
        clear();
    }

    // Empties the ring; only while neither side is running.
    void clear() {
        head_.store(0, std::memory_order_relaxed);
        tail_.store(0, std::memory_order_relaxed);
    }

  private:
    void copyIn(std::size_t position, const T* items, std::size_t n) {
        if (n == 0) return;
        const std::size_t start = position % capacity_;
        const std::size_t first = std::min(n, capacity_ - start);
        std::copy_n(items, first, storage_.get() + start);
        std::copy_n(items + first, n - first, storage_.get());
    }

    void copyOut(std::size_t position, T* out, std::size_t n) const {
        if (n == 0) return;
        const std::size_t start = position % capacity_;
        const std::size_t first = std::min(n, capacity_ - start);
        std::copy_n(storage_.get() + start, first, out);
        std::copy_n(storage_.get(), n - first, out + first);
    }

    std::unique_ptr<T[]> storage_;
    std::size_t capacity_;
    // Free-running counts of items written and read; their difference is the fill.
    alignas(64) std::atomic<std::size_t> head_{0};
    alignas(64) std::atomic<std::size_t> tail_{0};
};

}  // namespace tarnvel::audio
