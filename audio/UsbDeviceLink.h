#pragma once
// The serial line to the USB sound device and its two threads, which only move bytes.
//
// The reader puts what the device sends into a byte ring and says so; it never overwrites
// bytes the station has not taken: when the ring is full it stops reading until there is
// room (the records have no framing to recover from a lost byte) and counts the stall.
// The writer sends queued writes in order; an audio block is one write of 3072 bytes and up
// to eight of them may be queued. Each audio block is queued with a tag; when the queue had
// no room for another block, the tag is handed back through `readyForMore` once a block has
// been written, as the device's "ready for more".
//
// The first failure (a read or write error, the device gone) is kept with a message naming
// the device and reported once through `failed`; every later send is refused.

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <thread>

#include "audio/SoundTypes.h"
#include "audio/SpscRing.h"
#include "audio/UsbDeviceProtocol.h"

namespace tarnvel::audio {

// Called on the link's threads: implementations only post.
class UsbLinkListener {
  public:
    virtual ~UsbLinkListener() = default;
    virtual void bytesArrived() = 0;
    virtual void readyForMore(int tag) = 0;
    virtual void failed() = 0;
};

class UsbDeviceLink {
  public:
    // About four seconds of the device's stream.
    static constexpr std::size_t kReceiveRingBytes = 1 << 17;

    explicit UsbDeviceLink(UsbLinkListener& listener);
    ~UsbDeviceLink();
    UsbDeviceLink(const UsbDeviceLink&) = delete;
    UsbDeviceLink& operator=(const UsbDeviceLink&) = delete;

    // Opens `path` at 115200 baud 8N1, raw, with DTR and RTS raised, and starts the threads.
    SoundResult open(const std::string& path);
    // Stops the threads and closes the device; what was not written is dropped.
    void close();
    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

    // Queues a command or set-up write (at most one audio block long).
    SoundResult sendControl(std::span<const uint8_t> bytes);
    // Queues one audio block. `readyNow` tells whether another block fits at once; if not,
    // `tag` comes back through readyForMore when it does.
    SoundResult sendAudio(std::span<const uint8_t, usb::kBlockBytes> block, int tag,
                          bool& readyNow);
    // Ends the last queued audio block with 'B' 'G' 0 if it has not gone out yet.
    bool markEndOfLastBlock();
    // Waits until every queued write has gone out (true), the link failed, or the time-out.
    bool drain(std::chrono::milliseconds timeout);
    int audioBlocksQueued() const;

    // Station's thread: takes received bytes, oldest first.
    std::size_t read(std::span<uint8_t> out) { return ring_.pop(out.data(), out.size()); }
    void discardReceived();

    bool hasFailed() const { return failed_.load(std::memory_order_acquire); }
    // The failure, naming the device; empty while the link works.
    std::string failureMessage() const;
    uint64_t receiveStalls() const { return stalls_.load(std::memory_order_relaxed); }

  private:
    struct Write {
        std::array<uint8_t, usb::kBlockBytes> bytes{};
        std::size_t length = 0;
        bool audio = false;
        bool started = false;
    };
    static constexpr std::size_t kWriteSlots = usb::kWritesInFlight + 4;

    SoundResult enqueue(std::span<const uint8_t> bytes, bool audio);
    void readerLoop();
    void writerLoop();
    bool writeAll(const Write& write);
    // poll() on the device and the wake-up descriptor; false when stopping or on an error.
    bool waitFor(short events, int timeoutMs, bool& ready);
    void fail(const std::string& why);

    UsbLinkListener& listener_;
    int fd_ = -1;
    int wakeFd_ = -1;
    std::string path_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> failed_{false};
    std::atomic<uint64_t> stalls_{0};

    SpscRing<uint8_t> ring_;
    std::thread reader_;

    mutable std::mutex mutex_;  // guards everything below
    std::condition_variable changed_;
    std::array<Write, kWriteSlots> writes_{};
    std::size_t head_ = 0;  // next write to send
    std::size_t count_ = 0;
    int audioQueued_ = 0;
    std::array<int, kWriteSlots> waitingTags_{};
    std::size_t waitingHead_ = 0;
    std::size_t waitingCount_ = 0;
    std::string failure_;
    std::thread writer_;
};

}  // namespace tarnvel::audio
