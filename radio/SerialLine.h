#pragma once
// What the radio needs of a serial port: bytes out and the two modem-control lines. The
// termios port implements it; tests put a recording fake in its place, since ptys have no
// modem lines to read back.

#include <cstdint>
#include <span>
#include <string>

namespace tarnvel::radio {

enum class SerialError : uint8_t {
    None,
    NotOpen,           // no device is open
    OpenFailed,        // the device could not be opened
    NotSerial,         // the device is not a terminal (no line settings)
    SettingsRefused,   // the driver refused the speed or framing
    UnsupportedSpeed,  // the speed is not one a serial port can be set to
    ThreadFailed,      // a port thread could not be started
    LinesUnsupported,  // the device has no modem-control lines (a pty)
    LineFailed,        // setting a modem-control line failed for another reason
    DeviceLost,        // the device went away (unplugged) while open
    QueueFull,         // the transmit queue cannot take that many bytes now
    BadArgument,       // a value the radio cannot send (named in the message)
};

// The outcome of a port operation: None, or an error with a message naming what failed.
struct SerialResult {
    SerialError error = SerialError::None;
    std::string message;

    bool ok() const { return error == SerialError::None; }
    explicit operator bool() const { return ok(); }
    static SerialResult failure(SerialError e, std::string text) { return {e, std::move(text)}; }
};

class SerialLine {
  public:
    virtual ~SerialLine() = default;

    virtual bool isOpen() const = 0;
    // Queues the bytes for sending; returns at once.
    virtual SerialResult write(std::span<const uint8_t> bytes) = 0;
    // Asserts (on) or clears the line at once.
    virtual SerialResult setRts(bool on) = 0;
    virtual SerialResult setDtr(bool on) = 0;
};

}  // namespace tarnvel::radio
