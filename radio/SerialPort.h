#pragma once
// A serial device driven through termios: raw 8N1 at a chosen speed, no flow control.
//
// Opening a tty raises DTR and RTS, which keys a transmitter wired to them; both are cleared
// straight after open() and the time they stood raised is kept (`lineRaiseWindow`). HUPCL is
// set, so the kernel drops the lines even if the program dies with the port open.
//
// Two threads move bytes and nothing else: a writer that empties the transmit queue, and a
// reader that collects what the device sends into a receive ring (kept, not interpreted).
// When the device goes away (a USB adapter unplugged, the far end of a pty closed) the first
// thread to notice records it once: `takeLostMessage` hands the message to the station's
// thread exactly once, and the lost handler (run on the port thread, so it should only post)
// tells the station to look.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "radio/SerialLine.h"

namespace tarnvel::radio {

class SerialPort final : public SerialLine {
  public:
    static constexpr std::size_t kRingBytes = 16384;  // receive ring and transmit queue limit
    static constexpr std::size_t kReadChunk = 1023;   // bytes taken from the driver at a time

    using LostHandler = std::function<void()>;

    SerialPort();
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens `device` at `baud`, 8N1, raw. The message of a failure names the device.
    SerialResult open(const std::string& device, int baud);
    // Releases RTS and DTR before anything else, then stops the threads, discards what was
    // not sent and closes the device. NotOpen when nothing was open.
    SerialResult close();

    bool isOpen() const override { return fd_ >= 0; }
    const std::string& device() const { return device_; }
    int baud() const { return baud_; }

    SerialResult write(std::span<const uint8_t> bytes) override;
    SerialResult setRts(bool on) override;
    SerialResult setDtr(bool on) override;

    // Waits until everything queued has left the driver, at most `timeout`; true if it has.
    bool flush(std::chrono::milliseconds timeout);
    std::size_t pendingBytes() const;

    // The receive ring (bytes the device sent, oldest first).
    std::size_t read(std::span<uint8_t> buffer);
    int readByte();  // -1 when the ring is empty
    std::vector<uint8_t> readAll();
    uint64_t rxOverflows() const;

    // Set before open; runs once, on whichever thread notices the loss first (usually a
    // port thread, so it should only post to the station).
    void setLostHandler(LostHandler handler) { lostHandler_ = std::move(handler); }
    bool lost() const { return lost_.load(std::memory_order_acquire); }
    // The loss message, once; nothing on later calls or while the device is there.
    std::optional<std::string> takeLostMessage();

    // From the start of open() until both lines were cleared again.
    std::chrono::microseconds lineRaiseWindow() const { return lineRaiseWindow_; }
    // False when the device has no modem-control lines (found out at open).
    bool hasModemLines() const { return hasModemLines_; }

  private:
    SerialResult configure(int baud);
    SerialResult startThreads();
    SerialResult changeLine(int bit, bool on, const char* name);
    void stopThreads();
    void writerLoop();
    void readerLoop();
    bool writeAll(const std::vector<uint8_t>& bytes);
    bool waitReady(short events);
    void markLost(const std::string& why);
    void releaseLines();

    int fd_ = -1;
    int wakeFd_ = -1;
    std::string device_;
    int baud_ = 0;
    bool hasModemLines_ = true;
    std::chrono::microseconds lineRaiseWindow_{0};

    std::atomic<bool> stopping_{false};
    std::atomic<bool> lost_{false};
    std::atomic<bool> lostTaken_{false};
    std::string lostMessage_;  // written once, before lost_ is set
    LostHandler lostHandler_;

    mutable std::mutex txMutex_;
    std::condition_variable txChanged_;
    std::vector<uint8_t> txQueue_;
    std::size_t txInFlight_ = 0;
    std::thread writer_;

    mutable std::mutex rxMutex_;
    std::vector<uint8_t> rxRing_;
    std::size_t rxWrite_ = 0;
    std::size_t rxRead_ = 0;
    std::size_t rxCount_ = 0;
    uint64_t rxOverflows_ = 0;
    std::thread reader_;
};

// True for the speeds a serial port can be set to (300 to 4000000 baud, the termios ones).
bool isSupportedSerialSpeed(int baud);

// Sets an open terminal `fd` to raw 8N1 at `baud`, without flow control, and empties its
// queues. Messages name `device`. Shared by every serial link of the program.
SerialResult configureRawLine(int fd, const std::string& device, int baud);

}  // namespace tarnvel::radio
